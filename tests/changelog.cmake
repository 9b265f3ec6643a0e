v9_add_test(test_changelog SOURCES test_changelog.cpp appfixture.h LIBS v9ui)
