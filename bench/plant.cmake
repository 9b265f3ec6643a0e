# plant backup of 1, 8 and 32 paced simulated racks against one rack's upload.
if(TARGET v9rack-sim AND TARGET v9con-cli)
    add_executable(bench_plant ${CMAKE_CURRENT_SOURCE_DIR}/bench_plant.cpp)
    target_link_libraries(bench_plant PRIVATE v9_settings Qt6::Core)
    target_compile_definitions(bench_plant PRIVATE V9RACK_SIM="$<TARGET_FILE:v9rack-sim>"
        V9CON_CLI="$<TARGET_FILE:v9con-cli>")
    add_dependencies(bench_plant v9rack-sim v9con-cli)
endif()
