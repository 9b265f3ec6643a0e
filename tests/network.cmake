# The network ports against real peers: v9rack-sim behind Debian's ser2net
# (raw and RFC 2217) and on its own TCP port, and small servers in the test.
if(TARGET v9rack-sim AND TARGET v9con-cli)
    v9_add_test(test_network SOURCES test_network.cpp LIBS v9cli)
    target_compile_definitions(test_network PRIVATE
        V9RACK_SIM="$<TARGET_FILE:v9rack-sim>" V9CON_CLI="$<TARGET_FILE:v9con-cli>")
    add_dependencies(test_network v9rack-sim v9con-cli)
endif()
