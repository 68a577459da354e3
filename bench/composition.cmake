# bench_composition: per-event command and REMOTE line cost, and the broadcast ranking.
# Included by bench/CMakeLists.txt.
add_executable(bench_composition ${CMAKE_CURRENT_LIST_DIR}/bench_composition.cpp)
target_link_libraries(bench_composition PRIVATE kv_remote_core benchmark::benchmark)
kv_warnings(bench_composition)
add_test(NAME bench_composition_smoke COMMAND bench_composition --benchmark_min_time=0.01)
