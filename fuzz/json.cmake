# The JSON readers under libFuzzer: the generic reader, and the typed reader of a save record.
# The module is built again here with coverage instrumentation.
add_library(quol_json_fuzzed STATIC ${QUOL_JSON_SOURCES})
target_include_directories(quol_json_fuzzed PUBLIC ${CMAKE_SOURCE_DIR}/modules/json)
target_link_libraries(quol_json_fuzzed PUBLIC quol_runtime)
target_compile_options(quol_json_fuzzed PRIVATE -fsanitize=fuzzer-no-link,address,undefined)

quol_fuzzer(fuzz_json_generic ${CMAKE_CURRENT_LIST_DIR}/json_generic_fuzzer.cpp LIBS quol_json_fuzzed)
quol_fuzzer(fuzz_json_save ${CMAKE_CURRENT_LIST_DIR}/json_save_fuzzer.cpp LIBS quol_json_fuzzed raylib_headers)
target_include_directories(fuzz_json_save PRIVATE ${CMAKE_SOURCE_DIR}/tests/json)
