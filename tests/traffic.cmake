v9_add_test(test_traffic SOURCES test_traffic.cpp appfixture.h LIBS v9ui)
