v9_add_test(test_commcard SOURCES test_commcard.cpp appfixture.h scriptedrack.h scriptedrack.cpp
    LIBS v9ui)
