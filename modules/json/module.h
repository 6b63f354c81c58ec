// The JSON module's shared layer: the generic value model, member notes, the text of strings
// and special floats, and the lexical layer both readers stand on.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime.h"
#include "table.h"

// Flags of the writers and readers (one set for both).
constexpr uint64_t JSON_NULL_IS_NAN = 1;          // reader: null into a float stores NaN
constexpr uint64_t JSON_SPECIAL_FLOAT_WORDS = 2;  // NaN and infinities as quoted words, both ways

// Arrays and objects nested deeper than this fail to read instead of exhausting the stack.
constexpr int64_t JSON_MAX_DEPTH = 512;

// ---------------------------------------------------------------------------------------------
// The generic value.

// Declaration order and values are both fixed: stored tags and the description's member order.
enum class JSON_Type : uint8_t {
    NULL_ = 0,  // NULL is a macro in C++; the description names it NULL
    BOOLEAN = 1,
    NUMBER = 3,
    STRING = 2,
    ARRAY = 5,
    OBJECT = 4,
};

struct JSON_Value;
using JSON_Object = Table<JSON_Value>;

struct JSON_Value {
    JSON_Type type = JSON_Type::NULL_;
    union {
        bool boolean;
        double number;
        String str;
        Array_View<JSON_Value> array;
        JSON_Object* object;
    };

    JSON_Value() : str() {}  // NULL, with its payload bytes zero
};

// The constructors set the tag and the one payload field of that kind, nothing else. Strings,
// elements and tables are shared with the caller, not copied.
void make_json_null(JSON_Value* value);
void make_json_boolean(JSON_Value* value, bool boolean);
void make_json_number(JSON_Value* value, double number);
void make_json_number(JSON_Value* value, int64_t number);
void make_json_string(JSON_Value* value, String str);
void make_json_array(JSON_Value* value, Array_View<JSON_Value> array);
void make_json_object(JSON_Value* value, JSON_Object* object);
JSON_Value make_json_object(JSON_Object* object);

template <>
struct Describe<JSON_Type> {
    static const Type_Info_Enum info;
};
template <>
struct Describe<JSON_Value> {
    static const Type_Info_Struct info;
};

bool is_json_value_type(const Type_Info* info);
bool is_generic_json_value_or_pointer_to_it(const Type_Info* info);

// ---------------------------------------------------------------------------------------------
// Member notes. Filters answer true for a member to leave out; renamers give its JSON key (a
// result of count 0 means the declared name).

using Member_Filter = bool (*)(const Type_Info_Struct_Member* member);
using Member_Renamer = String (*)(const Type_Info_Struct_Member* member);

bool member_has_ignore_note(const Type_Info_Struct_Member* member);
String rename_by_note(const Type_Info_Struct_Member* member);

// The name of a type as messages print it: s64, float32, string, *T, [3] T, a record's name.
String type_name(const Type_Info* info);

// ---------------------------------------------------------------------------------------------
// Text of strings and special floats.

int64_t find_escape_index(std::string_view s);
void json_append_escaped(String_Builder* builder, std::string_view s);

struct Special_Float {
    bool is_nan;
    bool is_infinite;
    bool is_negative;
};
inline Special_Float classify_special_float(uint32_t bits) {
    bool all_ones = ((bits >> 23) & 0xFF) == 0xFF;
    bool fraction = (bits & 0x7FFFFF) != 0;
    return {all_ones && fraction, all_ones && !fraction, (bits >> 31) != 0};
}

inline Special_Float classify_special_float(uint64_t bits) {
    bool all_ones = ((bits >> 52) & 0x7FF) == 0x7FF;
    bool fraction = (bits & 0xFFFFFFFFFFFFFull) != 0;
    return {all_ones && fraction, all_ones && !fraction, (bits >> 63) != 0};
}
void append_special_float(String_Builder* builder, uint64_t flags, bool is_nan, bool is_negative);

// ---------------------------------------------------------------------------------------------
// The lexical layer. Every step takes the remaining text and gives back what follows what it
// read (the remainder).

struct Lex_Result {
    std::string_view remainder;
    bool ok;
};

struct String_Result {
    String result;  // from the context's allocator, owned by the caller; empty on failure
    std::string_view remainder;
    bool ok;
};

struct Unescape_Result {
    String result;
    bool ok;
};

inline bool is_json_whitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

inline std::string_view skip_whitespace(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && is_json_whitespace(text[i])) i++;
    return text.substr(i);
}

Lex_Result expect_and_slice(std::string_view str, std::string_view expected);
String_Result parse_string(std::string_view str);
Unescape_Result unescape(std::string_view str);

// The scan of parse_string without its copy: the content between the quotes as a view of the
// input, and whether it holds a backslash.
struct Literal_Scan {
    std::string_view content;
    std::string_view remainder;
    bool escaped;
    bool ok;
};
Literal_Scan scan_string_literal(std::string_view str);

// Numbers as both readers accept them: optional sign, digits with an optional fraction (a digit
// on at least one side of the point), optional exponent. No words, no hexadecimal.
struct Number_Result {
    double value;
    std::string_view remainder;
    bool ok;
};
Number_Result parse_json_number(std::string_view text);

// The error every reader gives for input nested deeper than JSON_MAX_DEPTH.
void report_nesting_too_deep(std::string_view text);
