v9_add_test(test_app SOURCES test_app.cpp appfixture.h LIBS v9ui)
v9_add_test(test_upload SOURCES test_upload.cpp appfixture.h LIBS v9ui)
