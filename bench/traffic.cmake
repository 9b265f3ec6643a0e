# The traffic window under a flood of exchanges; needs the widgets library.
add_executable(bench_traffic ${CMAKE_CURRENT_SOURCE_DIR}/bench_traffic.cpp)
target_link_libraries(bench_traffic PRIVATE v9_settings v9ui)
