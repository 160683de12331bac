# The main window, documents, window persistence, find and replace, and the listing viewer.
add_library(orlek_workbench STATIC
  ${CMAKE_CURRENT_LIST_DIR}/frmmain.h
  ${CMAKE_CURRENT_LIST_DIR}/frmmain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windowlist.h
  ${CMAKE_CURRENT_LIST_DIR}/windowlist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document.h
  ${CMAKE_CURRENT_LIST_DIR}/document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/findreplace.h
  ${CMAKE_CURRENT_LIST_DIR}/findreplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frmlisting.h
  ${CMAKE_CURRENT_LIST_DIR}/frmlisting.cpp
)
target_include_directories(orlek_workbench PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR})
target_link_libraries(orlek_workbench PUBLIC
  orlek_editor orlek_runcontrol orlek_windows orlek_session orlek_assembler orlek_isa
  QScintilla::QScintilla Qt6::Widgets)
