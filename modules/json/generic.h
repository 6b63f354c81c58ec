// The generic reader and writer: JSON text to JSON_Value trees and back, without descriptions.
#pragma once

#include <cstdint>
#include <string_view>

#include "module.h"

// Each reading step gives back what it read (partial on failure; the caller owns it), the text
// after it and whether it succeeded. `depth` counts the arrays and objects around the text.
struct Generic_Value_Result {
    JSON_Value value;
    std::string_view remainder;
    bool ok;
};

struct Generic_Array_Result {
    Array_View<JSON_Value> elements;
    std::string_view remainder;
    bool ok;
};

struct Generic_Object_Result {
    JSON_Object members;
    std::string_view remainder;
    bool ok;
};

Generic_Value_Result parse_value(std::string_view text, int64_t depth = 0);
Generic_Array_Result parse_array(std::string_view text, int64_t depth = 0);
Generic_Object_Result parse_object(std::string_view text, int64_t depth = 0);

// Writes `value` at `depth`; object members go out in byte order of their keys.
void json_write_json_value(String_Builder* builder, const JSON_Value& value, std::string_view indent_text,
                           int64_t depth, uint64_t flags);
