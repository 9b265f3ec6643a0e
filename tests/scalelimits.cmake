v9_add_test(test_scalelimits SOURCES test_scalelimits.cpp LIBS v9core)
