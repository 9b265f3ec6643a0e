# The rack report: HTML and PDF of the demo rack through the tool's command.
if(TARGET v9cli)
    v9_add_test(test_report SOURCES test_report.cpp LIBS v9cli v9report)
endif()
