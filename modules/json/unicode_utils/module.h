// Decoding of \u escapes: four hexadecimal characters to a 16-bit unit, a unit to UTF-8.
#pragma once

#include <cstdint>
#include <string_view>

struct Unicode_Result {
    uint16_t unit;
    bool ok;
};

// Reads the four characters after "\u" as one base-16 integer of 0 to 0xFFFF.
Unicode_Result parse_unicode(std::string_view str);

// Writes the UTF-8 form of one unit at `out` (room for 3 bytes) and returns its length. Each
// unit is encoded by itself: surrogate pairs are not joined.
uint8_t encode_utf8_code_unit(uint16_t unit, char* out);
