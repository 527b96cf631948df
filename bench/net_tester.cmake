# net_tester's frame benchmark: evaluation and drawing of a whole network on a memory bitmap.
add_executable(net_tester_bench ${CMAKE_CURRENT_LIST_DIR}/net_tester_bench.cpp)
target_link_libraries(net_tester_bench PRIVATE net_tester_core benchmark::benchmark_main project_options)
