v9_add_test(test_editors SOURCES test_editors.cpp appfixture.h scriptedrack.h scriptedrack.cpp
            LIBS v9ui)
