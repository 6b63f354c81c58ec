// Formatted text with `%` placeholders: each `%` takes the text form of the next argument.
//
//     print("Save completed in background thread %\n", thread_index);
//     String path = tprint("%/quol.sav", game_dir);   // temporary storage, dies with the frame
//     String owned = sprint("Day: %", days);          // context allocator, free_string when done
//
// Text forms: integers in decimal, bools as true/false, floats in fixed point with at most six
// decimals (float_text), strings as they are. Other types join by declaring
// `void append_value(String_Builder*, const T&)` beside the type.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory_resource>
#include <string>
#include <string_view>
#include <type_traits>

#include "basic.h"
#include "context.h"
#include "type_info.h"

// A growable text buffer. Its storage comes from the allocator current when it was made.
struct String_Builder {
    String_Builder() : text(context.allocator) { text.reserve(INITIAL_CAPACITY); }
    explicit String_Builder(std::pmr::memory_resource* allocator, size_t capacity = INITIAL_CAPACITY) : text(allocator) {
        text.reserve(capacity);
    }

    static constexpr size_t INITIAL_CAPACITY = 240;
    std::pmr::string text;
};

inline void append(String_Builder* builder, std::string_view s) { builder->text.append(s); }
inline void append(String_Builder* builder, char c) { builder->text.push_back(c); }
inline int64_t builder_length(const String_Builder* builder) { return int64_t(builder->text.size()); }
inline std::string_view builder_view(const String_Builder* builder) { return builder->text; }
// Copies the builder's text into one string from the context's allocator.
String builder_to_string(const String_Builder* builder);

// The fixed-point float text: six decimals rounded half away from zero, trailing zeros and a
// lone point removed, "-" whenever the sign bit is set. Finite values only.
void append_float_text(String_Builder* builder, double value);
std::string float_text(double value);

void append_value(String_Builder* builder, bool value);
void append_value(String_Builder* builder, float value);
void append_value(String_Builder* builder, double value);
void append_value(String_Builder* builder, String value);
void append_value(String_Builder* builder, std::string_view value);
void append_value(String_Builder* builder, const char* value);
void append_value(String_Builder* builder, const std::string& value);
void append_value(String_Builder* builder, Any value);
void append_signed(String_Builder* builder, int64_t value);
void append_unsigned(String_Builder* builder, uint64_t value);

template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
void append_value(String_Builder* builder, T value) {
    if constexpr (std::is_signed_v<T>) {
        append_signed(builder, value);
    } else {
        append_unsigned(builder, value);
    }
}

template <typename T>
    requires std::is_enum_v<T>
void append_value(String_Builder* builder, T value) {
    append_value(builder, make_any(&value));
}

// One argument of a format call, type-erased so that the formatting itself is not a template.
struct Format_Arg {
    void (*append)(String_Builder* builder, const void* value);
    const void* value;
};

template <typename T>
Format_Arg format_arg(const T& value) {
    return {[](String_Builder* builder, const void* v) { append_value(builder, *static_cast<const T*>(v)); }, &value};
}

template <size_t N>
Format_Arg format_arg(const char (&value)[N]) {
    // The array itself is the value: a decayed pointer would be a temporary.
    return {[](String_Builder* builder, const void* v) { append_value(builder, static_cast<const char*>(v)); }, value};
}

// Replaces each `%` with the next argument. A count mismatch is a programming error: it is
// reported through the logger and the text keeps the unmatched `%` (extra arguments are dropped).
void format_into(String_Builder* builder, std::string_view format, std::initializer_list<Format_Arg> args);
void print_string(std::string_view text);

// Scratch storage for print and sprint, on the stack so that they leave nothing behind.
struct Scratch_Text {
    char bytes[512];
    std::pmr::monotonic_buffer_resource arena{bytes, sizeof bytes, std::pmr::new_delete_resource()};
};

template <typename... Args>
void print(std::string_view format, const Args&... args) {
    Scratch_Text scratch;
    String_Builder builder(&scratch.arena);
    format_into(&builder, format, {format_arg(args)...});
    print_string(builder_view(&builder));
}

template <typename... Args>
String tprint(std::string_view format, const Args&... args) {
    String_Builder builder(temporary_allocator());
    format_into(&builder, format, {format_arg(args)...});
    return {builder.text.data(), int64_t(builder.text.size())};  // the builder's storage is temporary too
}

template <typename... Args>
String sprint(std::string_view format, const Args&... args) {
    Scratch_Text scratch;
    String_Builder builder(&scratch.arena);
    format_into(&builder, format, {format_arg(args)...});
    return copy_string(builder_view(&builder));
}

template <typename... Args>
void log_error(std::string_view format, const Args&... args) {
    log_message(tprint(format, args...), LOG_FLAG_ERROR);
}

template <typename... Args>
void log_info(std::string_view format, const Args&... args) {
    log_message(tprint(format, args...), LOG_FLAG_NONE);
}
