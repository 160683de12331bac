orlek_add_test(cpu_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/cpu_flags_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cpu_step_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cpu_interrupt_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cpu_opcode_walk_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cpu_bus_test.cpp
  LIBS orlek_engine orlek_isa)
