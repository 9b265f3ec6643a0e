v9_add_test(test_compare SOURCES test_compare.cpp appfixture.h LIBS v9ui)
