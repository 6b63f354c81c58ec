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

