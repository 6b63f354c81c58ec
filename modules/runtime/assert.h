// Assertions guard the program's own invariants, never its input: a failed one prints where,
// why and a stack trace to standard error and stops the program.
#pragma once

#include <string_view>

#include "print.h"

[[noreturn]] void assertion_failed(const char* file, int line, std::string_view message);

#define quol_assert(condition, ...)                                                    \
    do {                                                                               \
        if (!(condition)) assertion_failed(__FILE__, __LINE__, tprint(__VA_ARGS__));   \
    } while (0)

// With this folder on the include path, this file also answers <assert.h> and so <cassert>
// (Google Benchmark's header uses it): hand such includes on to the C library's header.
#if defined(__has_include_next)
#pragma GCC system_header
#if __has_include_next(<assert.h>)
#include_next <assert.h>
#endif
#endif
