# As-found backups and Restore: the main window and, where it is built, the
# command-line tool, on a simulated rack.
if(TARGET v9cli)
    v9_add_test(test_restore SOURCES test_restore.cpp appfixture.h inprocesscli.h LIBS v9ui v9cli)
endif()
