// TextFormat: printf into one of four rotating static buffers; fit only for immediate use.
#include "raylib.h"

#include <cstdio>
#include <cstring>

const char* TextFormat(const char* text, ...) {
    constexpr int buffer_count = 4;
    constexpr int buffer_length = 1024;
    static char buffers[buffer_count][buffer_length];
    static int index = 0;
    if (!text) return "";

    char* buffer = buffers[index];
    std::memset(buffer, 0, buffer_length);
    va_list args;
    va_start(args, text);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int length = std::vsnprintf(buffer, buffer_length, text, args);
#pragma GCC diagnostic pop
    va_end(args);
    if (length >= buffer_length) std::memcpy(buffer + buffer_length - 4, "...", 4);  // 1020 kept + "..."

    index = (index + 1) % buffer_count;
    return buffer;
}
