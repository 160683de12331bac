# Fast run in the workbench: steps per second against an empty 1 ms timer, and the CPU time of
# one step with its display refresh. A plain timing tool (it needs a QApplication and a real
# event loop); `bench_gui --help` lists its options.
add_executable(bench_gui ${CMAKE_CURRENT_LIST_DIR}/bench_gui.cpp)
target_link_libraries(bench_gui PRIVATE orlek_runcontrol orlek_windows orlek_assembler QScintilla::QScintilla)
target_compile_definitions(bench_gui PRIVATE ORLEK_PROGRAM_DIR="${ORLEK_PROGRAM_DIR}")
add_dependencies(bench_gui isa_tables)
add_dependencies(benchmarks bench_gui)
set_target_properties(bench_gui PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
