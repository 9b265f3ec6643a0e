# Whole-rack transfers and monitoring through the main window, so they need
# the widgets library.
foreach(bench bench_upload bench_download bench_monitor)
    add_executable(${bench} ${CMAKE_CURRENT_SOURCE_DIR}/${bench}.cpp)
    target_link_libraries(${bench} PRIVATE v9_settings v9ui)
endforeach()
