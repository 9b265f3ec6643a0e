# Uploads over v9rack-sim's pty directly and through ser2net (raw and RFC 2217).
if(TARGET v9rack-sim)
    v9_add_bench(bench_network ${CMAKE_CURRENT_SOURCE_DIR}/bench_network.cpp)
    target_compile_definitions(bench_network PRIVATE V9RACK_SIM="$<TARGET_FILE:v9rack-sim>")
    add_dependencies(bench_network v9rack-sim)
endif()
