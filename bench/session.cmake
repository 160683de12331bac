add_executable(bench_session ${CMAKE_CURRENT_LIST_DIR}/bench_session.cpp)
target_link_libraries(bench_session PRIVATE orlek_session benchmark::benchmark benchmark::benchmark_main)
target_compile_definitions(bench_session PRIVATE ORLEK_PROGRAM_DIR="${ORLEK_PROGRAM_DIR}")
set_target_properties(bench_session PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench"
  AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
if(TARGET isa_tables)
  add_dependencies(bench_session isa_tables)
endif()
add_dependencies(benchmarks bench_session)
