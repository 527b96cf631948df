# creature_sim's frame work, sprite rebuild and the world's frames per second, headless.
add_executable(creature_sim_bench ${CMAKE_CURRENT_LIST_DIR}/creature_sim_bench.cpp)
target_link_libraries(creature_sim_bench PRIVATE creature_world_drawn benchmark::benchmark project_options)
target_compile_definitions(creature_sim_bench PRIVATE
  NC_DEFAULT_NETWORK="${PROJECT_SOURCE_DIR}/examples/config_generated.txt"
  NC_FOLLOWER_NETWORK="${PROJECT_SOURCE_DIR}/examples/follower.txt")
