# Long run of item transactions against the simulated rack with random faults.
v9_add_bench(bench_soak ${CMAKE_CURRENT_SOURCE_DIR}/bench_soak.cpp)
