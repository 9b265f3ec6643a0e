# Parameter files, read from samples written by hand under data/.
v9_add_test(test_files SOURCES test_files.cpp LIBS v9core)
target_compile_definitions(test_files PRIVATE V9_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
