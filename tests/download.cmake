v9_add_test(test_download SOURCES test_download.cpp appfixture.h LIBS v9ui)
target_compile_definitions(test_download PRIVATE V9_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
