v9_add_test(test_trend SOURCES test_trend.cpp appfixture.h LIBS v9ui)
