# The command-line tool: its commands in-process on a simulated rack, and
# the built v9con-cli run as a process.
if(TARGET v9con-cli)
    v9_add_test(test_cli SOURCES test_cli.cpp LIBS v9cli)
    target_compile_definitions(test_cli PRIVATE V9CON_CLI="$<TARGET_FILE:v9con-cli>")
    add_dependencies(test_cli v9con-cli)
    if(TARGET v9rack-sim)
        target_compile_definitions(test_cli PRIVATE V9RACK_SIM="$<TARGET_FILE:v9rack-sim>")
        add_dependencies(test_cli v9rack-sim)
    endif()
endif()
