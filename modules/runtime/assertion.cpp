#include "assertion.h"

#include <cstdio>
#include <cstdlib>

#if defined(__has_include)
#if __has_include(<execinfo.h>)
#include <execinfo.h>
#define QUOL_HAVE_BACKTRACE 1
#endif
#endif

void assertion_failed(const char* file, int line, std::string_view message) {
    fprintf(stderr, "%s:%d: Assertion failed: %.*s\n", file, line, int(message.size()), message.data());
#ifdef QUOL_HAVE_BACKTRACE
    void* frames[64];
    int count = backtrace(frames, 64);
    fputs("Stack trace:\n", stderr);
    backtrace_symbols_fd(frames + 1, count - 1, 2);
#endif
    fflush(stderr);
    abort();
}
