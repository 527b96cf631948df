# net_lab's frame benchmark: a whole frame of work on a memory bitmap, paused and training.
add_executable(net_lab_bench ${CMAKE_CURRENT_LIST_DIR}/net_lab_bench.cpp)
target_link_libraries(net_lab_bench PRIVATE net_lab_core benchmark::benchmark_main project_options)
