# The rack simulator: its protocol and its faults through the program's link.
v9_add_test(test_sim SOURCES test_sim.cpp LIBS v9core)
v9_add_test(test_sim_faults SOURCES test_sim_faults.cpp LIBS v9core)

