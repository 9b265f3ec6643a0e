v9_add_test(test_monitor SOURCES test_monitor.cpp appfixture.h LIBS v9ui)
