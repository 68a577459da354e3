# fuzz_address: the broadcast-address check on arbitrary bytes. Included by fuzz/CMakeLists.txt.
add_executable(fuzz_address ${CMAKE_CURRENT_LIST_DIR}/fuzz_address.cpp)
target_link_libraries(fuzz_address PRIVATE kv_ui_core)
target_link_options(fuzz_address PRIVATE -fsanitize=fuzzer)
kv_warnings(fuzz_address)
# A bounded run as a test; new inputs go to a corpus folder in the build tree.
set(KV_FUZZ_ADDRESS_CORPUS ${CMAKE_CURRENT_BINARY_DIR}/corpus_address)
file(MAKE_DIRECTORY ${KV_FUZZ_ADDRESS_CORPUS})
add_test(NAME fuzz_address COMMAND fuzz_address -max_total_time=5 -rss_limit_mb=2048 ${KV_FUZZ_ADDRESS_CORPUS})
