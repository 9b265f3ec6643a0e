add_executable(bench_upload ${CMAKE_CURRENT_SOURCE_DIR}/bench_upload.cpp)
target_link_libraries(bench_upload PRIVATE v9_settings v9ui)
