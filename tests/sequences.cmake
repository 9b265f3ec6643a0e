# Seeded random walks over the main window's operations on two simulated
# racks; the files they open are made by the command-line tool in-process.
if(TARGET v9cli)
    v9_add_test(test_sequences SOURCES test_sequences.cpp appfixture.h inprocesscli.h
                LIBS v9ui v9cli)
endif()
