# Device models, bus trace, the board and whole programs running on it.
orlek_add_test(devices_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/devices_ports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/devices_timer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/devices_sci.cpp
    ${CMAKE_CURRENT_LIST_DIR}/trace_conditions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/machine_routing.cpp
    ${CMAKE_CURRENT_LIST_DIR}/programs_run.cpp
  LIBS orlek_engine)
