v9_add_test(test_app SOURCES test_app.cpp appfixture.h LIBS v9ui)
# The built program is run once as a process, without a display.
target_compile_definitions(test_app PRIVATE V9CON="$<TARGET_FILE:v9con>")
add_dependencies(test_app v9con)
v9_add_test(test_upload SOURCES test_upload.cpp appfixture.h LIBS v9ui)
