add_executable(bench_devices ${CMAKE_CURRENT_LIST_DIR}/bench_devices.cpp)
target_link_libraries(bench_devices PRIVATE orlek_engine benchmark::benchmark benchmark::benchmark_main)
set_target_properties(bench_devices PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
add_dependencies(benchmarks bench_devices)
