add_executable(bench_engine ${CMAKE_CURRENT_LIST_DIR}/bench_engine.cpp)
target_link_libraries(bench_engine PRIVATE orlek_engine benchmark::benchmark benchmark::benchmark_main)
set_target_properties(bench_engine PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
add_dependencies(benchmarks bench_engine)
