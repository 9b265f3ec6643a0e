# A plant of racks: the plant file, and v9con-cli's plant commands run as a
# process on v9rack-sim processes.
if(TARGET v9con-cli AND TARGET v9rack-sim)
    v9_add_test(test_plant SOURCES test_plant.cpp LIBS v9core)
    target_compile_definitions(test_plant PRIVATE V9CON_CLI="$<TARGET_FILE:v9con-cli>"
        V9RACK_SIM="$<TARGET_FILE:v9rack-sim>")
    add_dependencies(test_plant v9con-cli v9rack-sim)
endif()
