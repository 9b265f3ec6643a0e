# The rack simulator: its protocol and its faults through the program's link,
# and the v9rack-sim pty server run as a process.
v9_add_test(test_sim SOURCES test_sim.cpp LIBS v9core)

if(TARGET v9rack-sim)
    v9_add_test(test_sim_pty SOURCES test_sim_pty.cpp LIBS v9core)
    target_compile_definitions(test_sim_pty PRIVATE V9RACK_SIM="$<TARGET_FILE:v9rack-sim>")
    add_dependencies(test_sim_pty v9rack-sim)
endif()
