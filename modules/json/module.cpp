#include "module.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "unicode_utils/module.h"

// ---------------------------------------------------------------------------------------------
// The generic value.

void make_json_null(JSON_Value* value) { value->type = JSON_Type::NULL_; }

void make_json_boolean(JSON_Value* value, bool boolean) {
    value->type = JSON_Type::BOOLEAN;
    value->boolean = boolean;
}

void make_json_number(JSON_Value* value, double number) {
    value->type = JSON_Type::NUMBER;
    value->number = number;
}

void make_json_number(JSON_Value* value, int64_t number) {
    value->type = JSON_Type::NUMBER;
    value->number = double(number);
}

void make_json_string(JSON_Value* value, String str) {
    value->type = JSON_Type::STRING;
    value->str = str;
}

void make_json_array(JSON_Value* value, Array_View<JSON_Value> array) {
    value->type = JSON_Type::ARRAY;
    value->array = array;
}

void make_json_object(JSON_Value* value, JSON_Object* object) {
    value->type = JSON_Type::OBJECT;
    value->object = object;
}

JSON_Value make_json_object(JSON_Object* object) {
    JSON_Value value;
    std::memset(static_cast<void*>(&value), 0, sizeof value);
    make_json_object(&value, object);
    return value;
}

const Type_Info_Enum Describe<JSON_Type>::info = type_info_detail::make_enum_info(
    "JSON_Type", static_cast<const Type_Info_Integer*>(type_of<uint8_t>()), 0,
    "NULL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT", {0, 1, 3, 2, 5, 4});

// The payload members share one storage, so they are described as overlays.
const Type_Info_Struct Describe<JSON_Value>::info = type_info_detail::make_struct_info(
    "JSON_Value", sizeof(JSON_Value), nullptr,
    {
        {"type", &Describe<JSON_Type>::info, int64_t(offsetof(JSON_Value, type)), 0, {}, 0},
        {"boolean", type_of<bool>(), int64_t(offsetof(JSON_Value, boolean)), 0, {}, 0},
        {"number", type_of<double>(), int64_t(offsetof(JSON_Value, number)), MEMBER_OVERLAY, {}, 0},
        {"str", type_of<String>(), int64_t(offsetof(JSON_Value, str)), MEMBER_OVERLAY, {}, 0},
        {"array", type_of<Array_View<JSON_Value>>(), int64_t(offsetof(JSON_Value, array)), MEMBER_OVERLAY, {}, 0},
        {"object", type_of<void*>(), int64_t(offsetof(JSON_Value, object)), MEMBER_OVERLAY, {}, 0},
    },
    {});

bool is_json_value_type(const Type_Info* info) { return info == type_of<JSON_Value>(); }

bool is_generic_json_value_or_pointer_to_it(const Type_Info* info) {
    if (is_json_value_type(info)) return true;
    return info && info->type == Type_Info_Tag::POINTER &&
           is_json_value_type(static_cast<const Type_Info_Pointer*>(info)->pointer_to);
}

// ---------------------------------------------------------------------------------------------
// Member notes.

bool member_has_ignore_note(const Type_Info_Struct_Member* member) {
    for (const String& note : member->notes) {
        if (note.view() == std::string_view("JsonIgnore")) return true;
    }
    return false;
}

String rename_by_note(const Type_Info_Struct_Member* member) {
    constexpr std::string_view prefix = "JsonName(";
    for (const String& note : member->notes) {
        if (!note.view().starts_with(prefix)) continue;
        if (note.count <= 10 || note.data[note.count - 1] != ')') {
            log_error("Invalid JsonName note format. Expected a name in parenthesis, but the note was \"%\".", note);
            continue;
        }
        return String(note.data + prefix.size(), note.count - 10);
    }
    return member->name;
}

String type_name(const Type_Info* info) {
    if (!info) return "(none)";
    switch (info->type) {
        case Type_Info_Tag::INTEGER:
            return tprint("%%", static_cast<const Type_Info_Integer*>(info)->is_signed ? "s" : "u", info->runtime_size * 8);
        case Type_Info_Tag::FLOAT: return info->runtime_size == 4 ? "float32" : "float64";
        case Type_Info_Tag::BOOL: return "bool";
        case Type_Info_Tag::STRING: return "string";
        case Type_Info_Tag::POINTER: return tprint("*%", type_name(static_cast<const Type_Info_Pointer*>(info)->pointer_to));
        case Type_Info_Tag::ARRAY: {
            auto* array = static_cast<const Type_Info_Array*>(info);
            String element = type_name(array->element_type);
            if (array->array_type == Array_Type::VIEW) return tprint("[] %", element);
            if (array->array_type == Array_Type::RESIZABLE) return tprint("[..] %", element);
            return tprint("[%] %", array->array_count, element);
        }
        case Type_Info_Tag::STRUCT: return static_cast<const Type_Info_Struct*>(info)->name;
        case Type_Info_Tag::ENUM: return static_cast<const Type_Info_Enum*>(info)->name;
        case Type_Info_Tag::VARIANT: return static_cast<const Type_Info_Variant*>(info)->name;
        case Type_Info_Tag::VOID: return "void";
        case Type_Info_Tag::ANY: return "Any";
        default: return type_tag_name(info->type);
    }
}

// ---------------------------------------------------------------------------------------------
// Text of strings and special floats.

namespace {

constexpr auto escape_table = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c <= 0x1F; c++) table[c] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

bool needs_escape(char c) { return escape_table[uint8_t(c)]; }

}  // namespace

int64_t find_escape_index(std::string_view s) {
    // Eight bytes at a time: a word without a control byte, quote or backslash is skipped whole.
    constexpr uint64_t ones = 0x0101010101010101ull;
    constexpr uint64_t highs = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        uint64_t quote = word ^ (ones * '"');
        uint64_t backslash = word ^ (ones * '\\');
        // A byte that needs escaping is below 0x80 and turns its high bit on in one of the three
        // differences; bytes of 0x80 and above never need it (~word). Other hits only cost time.
        uint64_t hits = ((word - ones * 0x20) | (quote - ones) | (backslash - ones)) & ~word & highs;
        if (hits) break;
    }
    for (; i < s.size(); i++) {
        if (needs_escape(s[i])) return int64_t(i);
    }
    return -1;
}

void json_append_escaped(String_Builder* builder, std::string_view s) {
    std::pmr::string& out = builder->text;
    out.push_back('"');
    int64_t first = find_escape_index(s);
    if (first < 0) {  // the usual case: the string goes out as it is
        out.append(s);
        out.push_back('"');
        return;
    }
    size_t start = 0;
    for (size_t i = size_t(first); i < s.size(); i++) {
        char c = s[i];
        if (!needs_escape(c)) continue;
        append(builder, s.substr(start, i - start));
        start = i + 1;
        switch (c) {
            case '\\': append(builder, "\\\\"); break;
            case '"': append(builder, "\\\""); break;
            case '\n': append(builder, "\\n"); break;
            case '\r': append(builder, "\\r"); break;
            case '\t': append(builder, "\\t"); break;
            default: {
                char escape[6] = {'\\', 'u', '0', '0', "0123456789abcdef"[uint8_t(c) >> 4], "0123456789abcdef"[c & 15]};
                append(builder, std::string_view(escape, sizeof escape));
            }
        }
    }
    out.append(s.substr(start));
    out.push_back('"');
}

void append_special_float(String_Builder* builder, uint64_t flags, bool is_nan, bool is_negative) {
    if (!(flags & JSON_SPECIAL_FLOAT_WORDS)) return append(builder, "null");
    if (is_nan) return append(builder, "\"NaN\"");
    if (is_negative) return append(builder, "\"-Infinity\"");
    append(builder, "\"Infinity\"");
}

// ---------------------------------------------------------------------------------------------
// The lexical layer.

Lex_Result expect_and_slice(std::string_view str, std::string_view expected) {
    if (str.starts_with(expected)) return {str.substr(expected.size()), true};
    log_error("Unexpected token. Expected \"%\" but got: %", expected, str);
    return {str, false};
}

Literal_Scan scan_string_literal(std::string_view str) {
    quol_assert(!str.empty() && str[0] == '"', "Invalid string start %", str);
    if (str.size() == 1) return {{}, {}, false, false};
    size_t i = 1;
    bool escaped = false;
    for (;;) {
        // The byte after a backslash is stepped over, so it never closes the literal; an input
        // that ends inside the literal fails here instead of being read past.
        if (i >= str.size()) return {{}, str, false, false};
        char c = str[i];
        if (c == '"') break;
        if (c == '\\') {
            escaped = true;
            i++;
        }
        i++;
    }
    return {str.substr(1, i - 1), str.substr(i + 1), escaped, true};
}

String_Result parse_string(std::string_view str) {
    Literal_Scan scan = scan_string_literal(str);
    if (!scan.ok) return {{}, scan.remainder, false};
    if (!scan.escaped) return {copy_string(scan.content), scan.remainder, true};
    Unescape_Result decoded = unescape(scan.content);
    if (!decoded.ok) return {{}, str, false};
    return {decoded.result, scan.remainder, true};
}

namespace {

// Walks the escapes of `str`; with `out` null it only measures. Returns the decoded length, or
// -1 when the content is not valid.
int64_t decode_escapes(std::string_view str, char* out) {
    int64_t n = 0;
    for (size_t i = 0; i < str.size(); i++) {
        char c = str[i];
        if (c != '\\') {
            if (uint8_t(c) < 0x20) return -1;
            if (out) out[n] = c;
            n++;
            continue;
        }
        if (i + 1 >= str.size()) return -1;
        char e = str[++i];
        char decoded;
        switch (e) {
            case '"': decoded = '"'; break;
            case '/': decoded = '/'; break;
            case '\\': decoded = '\\'; break;
            case 'b': decoded = '\b'; break;
            case 'f': decoded = '\f'; break;
            case 'n': decoded = '\n'; break;
            case 'r': decoded = '\r'; break;
            case 't': decoded = '\t'; break;
            case 'u': {
                if (i + 4 >= str.size()) return -1;
                Unicode_Result unit = parse_unicode(str.substr(i + 1, 4));
                if (!unit.ok) return -1;
                char bytes[3];
                uint8_t length = encode_utf8_code_unit(unit.unit, bytes);
                if (out) std::memcpy(out + n, bytes, length);
                n += length;
                i += 4;
                continue;
            }
            default: return -1;
        }
        if (out) out[n] = decoded;
        n++;
    }
    return n;
}

}  // namespace

Unescape_Result unescape(std::string_view str) {
    // Measured first, so the result is allocated at its decoded length and a bad escape
    // allocates nothing.
    int64_t length = decode_escapes(str, nullptr);
    if (length < 0) return {{}, false};
    if (length == 0) return {{}, true};
    auto* bytes = static_cast<char*>(context.allocator->allocate(size_t(length), 1));
    decode_escapes(str, bytes);
    return {String(bytes, length), true};
}

Number_Result parse_json_number(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    size_t digits_start = i;
    size_t digit_count = 0;
    int64_t leading_exponent = 0;  // decimal exponent of the first nonzero digit, roughly
    bool seen_nonzero = false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (text[i] != '0') seen_nonzero = true;
        if (seen_nonzero) leading_exponent++;
        i++, digit_count++;
    }
    if (i < text.size() && text[i] == '.') {
        i++;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (text[i] != '0') seen_nonzero = true;
            if (!seen_nonzero) leading_exponent--;
            i++, digit_count++;
        }
    }
    if (digit_count == 0) return {0, text, false};
    int64_t exponent = 0;
    if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        bool exponent_negative = false;
        if (text[j] == '-' || text[j] == '+') exponent_negative = text[j++] == '-';
        if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
                // Capped far beyond any text's length, so that the sign of the scale below
                // stays right for every run of leading or trailing zeros.
                if (exponent < 100000000000000000) exponent = exponent * 10 + (text[j] - '0');
                j++;
            }
            if (exponent_negative) exponent = -exponent;
            i = j;
        }
    }
    double value = 0;
    if (seen_nonzero) {
        std::from_chars_result parsed = std::from_chars(text.data() + digits_start, text.data() + i, value);
        if (parsed.ec == std::errc::result_out_of_range) {
            value = leading_exponent + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
    }
    return {negative ? -value : value, text.substr(i), true};
}

void report_nesting_too_deep(std::string_view text) {
    log_error("JSON nested deeper than % levels of arrays and objects at: %", JSON_MAX_DEPTH, text.substr(0, 50));
}

void append_indent(String_Builder* builder, std::string_view indent_text, int64_t levels) {
    std::pmr::string& out = builder->text;
    out.push_back('\n');
    if (indent_text.size() == 1) return (void)out.append(size_t(levels), indent_text[0]);  // the save's tab
    for (int64_t i = 0; i < levels; i++) out.append(indent_text);
}
