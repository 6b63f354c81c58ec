// TraceLog: one line on standard output with the library's level prefix, flushed at once.
#include "raylib.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int log_threshold = LOG_INFO;
TraceLogCallback log_callback = nullptr;

const char* level_prefix(int level) {
    switch (level) {
        case LOG_TRACE: return "TRACE: ";
        case LOG_DEBUG: return "DEBUG: ";
        case LOG_INFO: return "INFO: ";
        case LOG_WARNING: return "WARNING: ";
        case LOG_ERROR: return "ERROR: ";
        case LOG_FATAL: return "FATAL: ";
        default: return "";
    }
}

}  // namespace

void SetTraceLogLevel(int logLevel) { log_threshold = logLevel; }

// Null gives the lines back to standard output.
void SetTraceLogCallback(TraceLogCallback callback) { log_callback = callback; }

void TraceLog(int logLevel, const char* text, ...) {
    if (logLevel < log_threshold || !text) return;
    if (log_callback) {  // in place of the output
        va_list args;
        va_start(args, text);
        log_callback(logLevel, text, args);
        va_end(args);
        return;
    }

    // The library builds prefix + format text + newline in a 256-byte line, keeping at most
    // 244 characters of the format text.
    char format[256] = {};
    std::strcpy(format, level_prefix(logLevel));
    std::strncat(format, text, 244);
    std::strcat(format, "\n");

    va_list args;
    va_start(args, text);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vprintf(format, args);
#pragma GCC diagnostic pop
    va_end(args);
    std::fflush(stdout);

    if (logLevel == LOG_FATAL) std::exit(EXIT_FAILURE);
}
