#include "unicode_utils/module.h"

namespace {

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Unicode_Result parse_unicode(std::string_view str) {
    // The string library's integer reader in base 16: blanks, one sign, blanks, digits; all four
    // characters must be used.
    std::string_view text = str.substr(0, 4);
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        i++;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++;
    }
    uint32_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && hex_digit_value(text[i]) >= 0; i++, digits++) value = value * 16 + uint32_t(hex_digit_value(text[i]));
    if (digits == 0 || i != 4 || text.size() != 4) return {0, false};
    if (negative && value != 0) return {0, false};
    return {uint16_t(value), true};
}

uint8_t encode_utf8_code_unit(uint16_t unit, char* out) {
    if (unit & 0xF800) {
        out[0] = char(0xE0 | ((unit & 0xF000) >> 12));
        out[1] = char(0x80 | ((unit & 0x0FC0) >> 6));
        out[2] = char(0x80 | (unit & 0x3F));
        return 3;
    }
    if (unit & 0x0F80) {
        out[0] = char(0xC0 | ((unit & 0x0FC0) >> 6));
        out[1] = char(0x80 | (unit & 0x3F));
        return 2;
    }
    out[0] = char(unit & 0x7F);
    return 1;
}
