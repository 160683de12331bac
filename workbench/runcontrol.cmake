# Run control: the step timer, the device clocks and the enabling of the run commands over the
# session's run-control core.
add_library(orlek_runcontrol STATIC
  ${CMAKE_CURRENT_LIST_DIR}/runcontrol.h
  ${CMAKE_CURRENT_LIST_DIR}/runcontrol.cpp
)
target_include_directories(orlek_runcontrol PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_SOURCE_DIR})
target_link_libraries(orlek_runcontrol PUBLIC orlek_session orlek_windows Qt6::Widgets)
