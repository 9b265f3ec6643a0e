v9_add_test(test_session SOURCES test_session.cpp appfixture.h LIBS v9ui)
