# The dix reader on arbitrary text, and the look-up on every tree it builds.
quol_fuzzer(dix_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dix_fuzzer.cpp LIBS quol_dix quol_runtime)
# Instrument the reader itself, so that its coverage guides the fuzzer and ASan checks its reads.
target_compile_options(quol_dix PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
# Anything else in this build that links the reader (the game) needs the sanitizer runtimes too.
target_link_options(quol_dix INTERFACE -fsanitize=address,undefined)
