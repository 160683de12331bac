# The workbench window: start-up, persistence, code window, compile command, documents.
orlek_add_test(gui_main_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gui_main_testmain.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_main_startup.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_main_editor.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_main_documents.cpp
          ${CMAKE_CURRENT_LIST_DIR}/gui_main_integration.cpp
  LIBS orlek_workbench Qt6::Test
  GUI)
add_dependencies(gui_main_tests isa_tables)
