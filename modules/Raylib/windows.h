// The game's TextFormat: `%` placeholders filled with the text form of any value, handed to the
// rendering library's formatter so that the result sits in one of its rotating 1024-byte
// buffers (cut after 1020 bytes with "..."). Fit only for immediate use on one thread.
#pragma once

#include <concepts>

#include "runtime.h"
#include "raylib.h"

// Formats into temporary storage and copies the text through the library's TextFormat("%s").
const char* library_text_format(String format, std::initializer_list<Format_Arg> args);

// The format is a template parameter so that a literal format with arguments binds here by an
// exact match and never falls through to the library's C-variadic TextFormat.
template <typename Format, typename... Args>
    requires std::convertible_to<const Format&, String>
const char* TextFormat(const Format& format, const Args&... args) {
    return library_text_format(String(format), {format_arg(args)...});
}
