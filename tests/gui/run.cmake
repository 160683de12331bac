# Run control, register panels, value entry and the log window.

# The common conversion of entered numbers needs no Qt.
orlek_add_test(gui_run_valueparse_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gui_run_valueparse.cpp ${CMAKE_SOURCE_DIR}/windows/valueparse.cpp
  LIBS)
target_include_directories(gui_run_valueparse_tests PRIVATE ${CMAKE_SOURCE_DIR}/windows)
set_target_properties(gui_run_valueparse_tests PROPERTIES AUTOMOC OFF)

orlek_add_test(gui_run_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gui_run_main.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_run_dialog.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_run_panels.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_run_control.cpp
  LIBS orlek_runcontrol orlek_windows Qt6::Test
  GUI)
# Run control tests load programs with the generated instruction tables.
add_dependencies(gui_run_tests isa_tables)
