#include "print.h"

#include <cstdio>
#include <cstring>

#define STB_SPRINTF_IMPLEMENTATION
#define STB_SPRINTF_STATIC
#define STB_SPRINTF_NOUNALIGNED  // its unaligned stores are undefined behaviour
#include <stb_sprintf.h>

String builder_to_string(const String_Builder* builder) { return copy_string(builder->text); }

void append_float_text(String_Builder* builder, double value) {
    // stb_sprintf's real-to-decimal conversion: 6 decimals, rounded half away from zero, no
    // exponent ever; the sign is taken from the sign bit, so -0.0 keeps its "-".
    char digits[512];
    int length = stbsp_snprintf(digits, sizeof digits, "%.6f", value);
    std::string_view text(digits, size_t(length));
    if (text.find('.') != std::string_view::npos) {
        while (text.back() == '0') text.remove_suffix(1);
        if (text.back() == '.') text.remove_suffix(1);
    }
    append(builder, text);
}

std::string float_text(double value) {
    String_Builder builder(std::pmr::new_delete_resource());
    append_float_text(&builder, value);
    return std::string(builder_view(&builder));
}

void append_value(String_Builder* builder, bool value) { append(builder, value ? "true" : "false"); }
void append_value(String_Builder* builder, float value) { append_float_text(builder, double(value)); }
void append_value(String_Builder* builder, double value) { append_float_text(builder, value); }
void append_value(String_Builder* builder, String value) { append(builder, value.view()); }
void append_value(String_Builder* builder, std::string_view value) { append(builder, value); }
void append_value(String_Builder* builder, const char* value) { append(builder, value ? std::string_view(value) : "null"); }
void append_value(String_Builder* builder, const std::string& value) { append(builder, std::string_view(value)); }

void append_unsigned(String_Builder* builder, uint64_t value) {
    char digits[20];
    int n = 0;
    do {
        digits[sizeof digits - 1 - n++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    append(builder, std::string_view(digits + sizeof digits - n, size_t(n)));
}

void append_signed(String_Builder* builder, int64_t value) {
    if (value < 0) {
        append(builder, '-');
        append_unsigned(builder, uint64_t(0) - uint64_t(value));
    } else {
        append_unsigned(builder, uint64_t(value));
    }
}

namespace {

int64_t read_signed(const void* p, int64_t size) {
    switch (size) {
        case 1: return *static_cast<const int8_t*>(p);
        case 2: return *static_cast<const int16_t*>(p);
        case 4: return *static_cast<const int32_t*>(p);
        default: return *static_cast<const int64_t*>(p);
    }
}

uint64_t read_unsigned(const void* p, int64_t size) {
    switch (size) {
        case 1: return *static_cast<const uint8_t*>(p);
        case 2: return *static_cast<const uint16_t*>(p);
        case 4: return *static_cast<const uint32_t*>(p);
        default: return *static_cast<const uint64_t*>(p);
    }
}

void append_integer(String_Builder* builder, const Type_Info_Integer* info, const void* p) {
    if (info->is_signed) {
        append_signed(builder, read_signed(p, info->runtime_size));
    } else {
        append_unsigned(builder, read_unsigned(p, info->runtime_size));
    }
}

void append_hex(String_Builder* builder, uint64_t bits) {
    char digits[16];
    int n = 0;
    do {
        digits[sizeof digits - 1 - n++] = "0123456789abcdef"[bits & 15];
        bits >>= 4;
    } while (bits);
    append(builder, std::string_view(digits + sizeof digits - n, size_t(n)));
}

void append_enum(String_Builder* builder, const Type_Info_Enum* info, const void* p) {
    const Type_Info_Integer* internal = info->internal_type;
    int64_t value = internal->is_signed ? read_signed(p, internal->runtime_size)
                                        : int64_t(read_unsigned(p, internal->runtime_size));
    if (!(info->enum_type_flags & ENUM_IS_FLAGS)) {
        for (int64_t i = 0; i < info->values.count; i++) {
            if (info->values[i] == value) return append(builder, info->names[i].view());
        }
        append(builder, "(enum out of range: ");
        if (internal->is_signed) {
            append_signed(builder, value);
        } else {
            append_unsigned(builder, uint64_t(value));
        }
        append(builder, ')');
        return;
    }
    if (value == 0) {
        for (int64_t i = 0; i < info->values.count; i++) {
            if (info->values[i] == 0) return append(builder, info->names[i].view());
        }
        return append(builder, '0');
    }
    uint64_t bits = uint64_t(value);
    uint64_t named = 0;
    bool first = true;
    for (int64_t i = 0; i < info->values.count; i++) {
        uint64_t member = uint64_t(info->values[i]);
        if (member == 0 || (bits & member) != member || (named | member) == named) continue;
        if (!first) append(builder, " | ");
        append(builder, info->names[i].view());
        named |= member;
        first = false;
    }
    uint64_t rest = bits & ~named;
    if (rest) {
        if (!first) append(builder, " | 0x");
        append_hex(builder, rest);
    }
}

}  // namespace

void append_value(String_Builder* builder, Any value) {
    const Type_Info* info = value.type;
    const void* p = value.value_pointer;
    switch (info->type) {
        case Type_Info_Tag::INTEGER: return append_integer(builder, static_cast<const Type_Info_Integer*>(info), p);
        case Type_Info_Tag::FLOAT:
            if (info->runtime_size == 4) return append_value(builder, *static_cast<const float*>(p));
            return append_value(builder, *static_cast<const double*>(p));
        case Type_Info_Tag::BOOL: return append_value(builder, *static_cast<const uint8_t*>(p) != 0);
        case Type_Info_Tag::STRING: return append_value(builder, *static_cast<const String*>(p));
        case Type_Info_Tag::ENUM: return append_enum(builder, static_cast<const Type_Info_Enum*>(info), p);
        case Type_Info_Tag::VARIANT:
            return append_value(builder, Any{static_cast<const Type_Info_Variant*>(info)->variant_of, value.value_pointer});
        case Type_Info_Tag::POINTER: {
            const void* address = *static_cast<void* const*>(p);
            if (!address) return append(builder, "null");
            append(builder, "0x");
            return append_hex(builder, uint64_t(reinterpret_cast<uintptr_t>(address)));
        }
        case Type_Info_Tag::STRUCT: {
            auto* record = static_cast<const Type_Info_Struct*>(info);
            append(builder, '{');
            bool first = true;
            for_each_effective_member(record, [&](const Type_Info_Struct_Member& member, int64_t offset) {
                if (!first) append(builder, ", ");
                first = false;
                append_value(builder, Any{member.type, static_cast<char*>(value.value_pointer) + offset});
            });
            append(builder, '}');
            return;
        }
        default:
            append(builder, "(");
            append(builder, type_tag_name(info->type));
            append(builder, ")");
            return;
    }
}

void format_into(String_Builder* builder, std::string_view format, std::initializer_list<Format_Arg> args) {
    const Format_Arg* next = args.begin();
    int64_t placeholders = 0;
    size_t start = 0;
    for (size_t i = 0; i < format.size(); i++) {
        if (format[i] != '%') continue;
        append(builder, format.substr(start, i - start));
        start = i + 1;
        placeholders++;
        if (next != args.end()) {
            next->append(builder, next->value);
            ++next;
        } else {
            append(builder, '%');
        }
    }
    append(builder, format.substr(start));
    if (placeholders != int64_t(args.size())) {
        String_Builder report(temporary_allocator());
        append(&report, "Formatting error: the format \"");
        append(&report, format);
        append(&report, "\" has ");
        append_signed(&report, placeholders);
        append(&report, " placeholders but ");
        append_signed(&report, int64_t(args.size()));
        append(&report, " arguments were given");
        log_message(builder_view(&report), LOG_FLAG_ERROR);
    }
}

void print_string(std::string_view text) {
    fwrite(text.data(), 1, text.size(), stdout);
    fflush(stdout);
}
