#include "typed.h"

#include <bit>
#include <cmath>
#include <limits>

#include "generic.h"

namespace {

void append_indent(String_Builder* builder, std::string_view indent_text, int64_t levels) {
    std::pmr::string& out = builder->text;
    out.push_back('\n');
    if (indent_text.size() == 1) return (void)out.append(size_t(levels), indent_text[0]);  // the save's tab
    for (int64_t i = 0; i < levels; i++) out.append(indent_text);
}

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

// Stores the low `size` bytes of a two's complement value.
void write_integer(void* p, int64_t size, uint64_t bits) {
    switch (size) {
        case 1: *static_cast<uint8_t*>(p) = uint8_t(bits); break;
        case 2: *static_cast<uint16_t*>(p) = uint16_t(bits); break;
        case 4: *static_cast<uint32_t*>(p) = uint32_t(bits); break;
        default: *static_cast<uint64_t*>(p) = bits; break;
    }
}

// Descriptions carry no alignment; for the types they can describe it follows from the kinds.
int64_t type_alignment(const Type_Info* info) {
    switch (info->type) {
        case Type_Info_Tag::INTEGER:
        case Type_Info_Tag::FLOAT:
        case Type_Info_Tag::ENUM: return info->runtime_size;
        case Type_Info_Tag::BOOL: return 1;
        case Type_Info_Tag::ARRAY: {
            auto* array = static_cast<const Type_Info_Array*>(info);
            return array->array_type == Array_Type::FIXED ? type_alignment(array->element_type) : alignof(void*);
        }
        case Type_Info_Tag::STRUCT: {
            int64_t alignment = 1;
            for (const Type_Info_Struct_Member& member : static_cast<const Type_Info_Struct*>(info)->members) {
                if (!(member.flags & MEMBER_CONSTANT)) alignment = std::max(alignment, type_alignment(member.type));
            }
            return alignment;
        }
        default: return alignof(void*);
    }
}

const double READ_NAN = std::bit_cast<double>(uint64_t(0x7FFFFFFFFFFFFFFF));

}  // namespace

// ---------------------------------------------------------------------------------------------
// Writing.

void json_write_native(String_Builder* builder, const void* data, const Type_Info* info, std::string_view indent_text,
                       Member_Filter member_filter, Member_Renamer member_renamer, uint64_t flags, int64_t depth) {
    switch (info->type) {
        case Type_Info_Tag::BOOL: append(builder, *static_cast<const uint8_t*>(data) ? "true" : "false"); return;
        case Type_Info_Tag::INTEGER:
            if (static_cast<const Type_Info_Integer*>(info)->is_signed) {
                append_signed(builder, read_signed(data, info->runtime_size));
            } else {
                append_unsigned(builder, read_unsigned(data, info->runtime_size));
            }
            return;
        case Type_Info_Tag::FLOAT: {
            double value;
            Special_Float special;
            if (info->runtime_size == 4) {
                float f = *static_cast<const float*>(data);
                special = classify_special_float(std::bit_cast<uint32_t>(f));
                value = double(f);
            } else {
                value = *static_cast<const double*>(data);
                special = classify_special_float(std::bit_cast<uint64_t>(value));
            }
            if (special.is_nan || special.is_infinite) return append_special_float(builder, flags, special.is_nan, special.is_negative);
            return append_float_text(builder, value);
        }
        case Type_Info_Tag::ENUM:
            append(builder, '"');
            append_value(builder, Any{info, const_cast<void*>(data)});
            append(builder, '"');
            return;
        case Type_Info_Tag::STRING: return json_append_escaped(builder, *static_cast<const String*>(data));
        case Type_Info_Tag::ARRAY: {
            auto* array = static_cast<const Type_Info_Array*>(info);
            int64_t element_size = array->element_type->runtime_size;
            quol_assert(element_size != -1, "Unknown element size");
            int64_t count = array->array_count;
            const char* element = static_cast<const char*>(data);
            if (array->array_count == -1) {
                auto* view = static_cast<const Array_View<const char>*>(data);
                count = view->count;
                element = view->data;
            }
            append(builder, '[');
            if (element) {
                for (int64_t i = 0; i < count; i++, element += element_size) {
                    if (!indent_text.empty()) append_indent(builder, indent_text, depth + 1);
                    json_write_native(builder, element, array->element_type, indent_text, member_filter, member_renamer,
                                      flags, depth + 1);
                    if (i != count - 1) append(builder, ',');
                }
            }
            if (!indent_text.empty()) append_indent(builder, indent_text, depth);
            append(builder, ']');
            return;
        }
        case Type_Info_Tag::STRUCT: {
            if (is_json_value_type(info)) {
                return json_write_json_value(builder, *static_cast<const JSON_Value*>(data), indent_text, depth, 1);
            }
            append(builder, '{');
            bool first = true;
            json_write_native_members(builder, data, static_cast<const Type_Info_Struct*>(info)->members, indent_text,
                                      member_filter, member_renamer, flags, depth, &first);
            if (!indent_text.empty()) append_indent(builder, indent_text, depth);
            append(builder, '}');
            return;
        }
        case Type_Info_Tag::POINTER: {
            const void* address = *static_cast<const void* const*>(data);
            if (!address) return append(builder, "null");
            return json_write_native(builder, address, static_cast<const Type_Info_Pointer*>(info)->pointer_to,
                                     indent_text, member_filter, member_renamer, flags, depth);
        }
        default: quol_assert(false, "Unsupported type: %", type_tag_name(info->type));
    }
}

void json_write_native_members(String_Builder* builder, const void* data,
                               Array_View<const Type_Info_Struct_Member> members, std::string_view indent_text,
                               Member_Filter member_filter, Member_Renamer member_renamer, uint64_t flags,
                               int64_t depth, bool* first) {
    for (const Type_Info_Struct_Member& member : members) {
        if (member.flags & MEMBER_CONSTANT) continue;
        if (member_filter && member_filter(&member)) continue;
        const char* field = static_cast<const char*>(data) + member.offset_in_bytes;
        if ((member.flags & MEMBER_USING) && member.type->type == Type_Info_Tag::STRUCT) {
            json_write_native_members(builder, field, static_cast<const Type_Info_Struct*>(member.type)->members,
                                      indent_text, member_filter, member_renamer, flags, depth, first);
            continue;
        }
        if (!*first) append(builder, ',');
        *first = false;
        if (!indent_text.empty()) append_indent(builder, indent_text, depth + 1);
        String key = member_renamer ? member_renamer(&member) : String();
        json_append_escaped(builder, key.count > 0 ? key : member.name);
        append(builder, ": ");
        json_write_native(builder, field, member.type, indent_text, member_filter, member_renamer, flags, depth + 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Reading: values.

Prepared_Slot prepare_slot(Type_Info_Tag expected, const Type_Info* description, void* destination, std::string_view text) {
    const Type_Info* value_description = description;
    if (description->type == Type_Info_Tag::POINTER) value_description = static_cast<const Type_Info_Pointer*>(description)->pointer_to;
    if (description->type == Type_Info_Tag::ENUM) value_description = static_cast<const Type_Info_Enum*>(description)->internal_type;
    bool is_generic = is_json_value_type(value_description);
    if (!is_generic && value_description->type != expected) {
        log_error("Cannot parse % value into type \"%\". Remaining input is: %…", type_tag_name(expected),
                  type_name(description), text.substr(0, 50));
        return {nullptr, false, false, nullptr};
    }
    if (description->type == Type_Info_Tag::POINTER) {
        int64_t size = value_description->runtime_size;
        quol_assert(size >= 0, "Unknown size of %", type_name(value_description));
        void* pointee = context.allocator->allocate(size_t(size), size_t(type_alignment(value_description)));
        auto* record = static_cast<const Type_Info_Struct*>(value_description);
        if (value_description->type == Type_Info_Tag::STRUCT && record->initializer) {
            record->initializer(pointee);
        } else {
            std::memset(pointee, 0, size_t(size));
        }
        *static_cast<void**>(destination) = pointee;
        return {pointee, true, is_generic, value_description};
    }
    return {destination, true, is_generic, value_description};
}

bool store_float_value(const Type_Info* description, void* destination, std::string_view text, double value) {
    Prepared_Slot slot = prepare_slot(Type_Info_Tag::FLOAT, description, destination, text);
    if (!slot.ok) return false;
    if (slot.is_generic) {
        make_json_number(static_cast<JSON_Value*>(slot.value_address), value);
    } else if (slot.value_description->runtime_size == 4) {
        *static_cast<float*>(slot.value_address) = float(value);
    } else {
        quol_assert(slot.value_description->runtime_size == 8, "Unsupported float size %", slot.value_description->runtime_size);
        *static_cast<double*>(slot.value_address) = value;
    }
    return true;
}

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

struct Integer_Bounds {
    bool is_signed;
    uint64_t max_magnitude_negative;  // how far below zero the type reaches
    uint64_t max_positive;
};

Integer_Bounds integer_bounds(const Type_Info_Integer* description) {
    int bits = int(description->runtime_size * 8);
    if (description->is_signed) return {true, uint64_t(1) << (bits - 1), (uint64_t(1) << (bits - 1)) - 1};
    return {false, 0, bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1};
}

void report_out_of_range(std::string_view value_text, const Integer_Bounds& bounds) {
    if (bounds.is_signed) {
        log_error("The value '%' is out of range. (It must be between % and %.)", value_text,
                  -int64_t(bounds.max_magnitude_negative - 1) - 1, int64_t(bounds.max_positive));
    } else {
        log_error("The value '%' is out of range. (It must be between % and %.)", value_text, uint64_t(0), bounds.max_positive);
    }
}

// Range-checks a value given as sign and magnitude and stores it in the description's width.
bool store_checked_integer(const Type_Info_Integer* description, void* destination, bool negative, uint64_t magnitude) {
    Integer_Bounds bounds = integer_bounds(description);
    bool fits = negative ? magnitude <= bounds.max_magnitude_negative : magnitude <= bounds.max_positive;
    if (!fits) {
        report_out_of_range(tprint("%%", negative ? "-" : "", magnitude), bounds);
        return false;
    }
    write_integer(destination, description->runtime_size, negative ? uint64_t(0) - magnitude : magnitude);
    return true;
}

}  // namespace

template <typename Integer>
Parse_Step parse_and_write_integer(const Type_Info_Integer* description, void* destination, std::string_view text) {
    constexpr bool is_signed = std::is_signed_v<Integer>;
    size_t i = 0;
    while (i < text.size() && is_blank(text[i])) i++;
    bool negative = false;
    if (is_signed && i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i++] == '-';
        while (i < text.size() && is_blank(text[i])) i++;
    }
    size_t digits_start = i;
    uint64_t magnitude = 0;
    bool overflow = false;  // digits beyond 64 bits are rejected, never wrapped
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++) {
        uint64_t digit = uint64_t(text[i] - '0');
        if (magnitude > (~uint64_t(0) - digit) / 10) overflow = true;
        if (!overflow) magnitude = magnitude * 10 + digit;
    }
    std::string_view digits = text.substr(digits_start, i - digits_start);
    if (digits.empty()) {
        log_error(is_signed ? "Could not parse \"%\" as an integer." : "Could not parse \"%\" as an unsigned integer.", text);
        return {text.substr(digits_start), false};
    }
    if (overflow) {
        while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
        report_out_of_range(tprint("%%", negative ? "-" : "", digits), integer_bounds(description));
        return {text.substr(i), false};
    }
    if (!store_checked_integer(description, destination, negative && magnitude, magnitude)) return {text.substr(i), false};
    return {text.substr(i), true};
}

template Parse_Step parse_and_write_integer<int64_t>(const Type_Info_Integer*, void*, std::string_view);
template Parse_Step parse_and_write_integer<uint64_t>(const Type_Info_Integer*, void*, std::string_view);

Parse_Step parse_and_write_integer(const Type_Info_Integer* description, void* destination, std::string_view text) {
    if (description->is_signed) return parse_and_write_integer<int64_t>(description, destination, text);
    return parse_and_write_integer<uint64_t>(description, destination, text);
}

Parse_Step parse_value(std::string_view text, void* destination, const Type_Info* description, bool ignore_unknown,
                       std::string_view field_name, Member_Renamer member_renamer, uint64_t flags, int64_t depth) {
    // Messages quote the text as handed over, whitespace before the value included.
    std::string_view given = text;
    text = skip_whitespace(text);
    if (text.empty()) return {{}, false};
    bool has_destination = destination && description;
    switch (text[0]) {
        case 'n': {
            Lex_Result literal = expect_and_slice(text, "null");
            if (!literal.ok) return {text, false};
            if (!has_destination) return {literal.remainder, true};
            if (description->type == Type_Info_Tag::POINTER) {
                *static_cast<void**>(destination) = nullptr;
            } else if (description->type == Type_Info_Tag::FLOAT && (flags & JSON_NULL_IS_NAN)) {
                store_float_value(description, destination, given, READ_NAN);
            } else {
                log_error("Found NULL value for non-pointer type \"%\" of field \"%\". Keeping default value instead.",
                          type_name(description), field_name);
            }
            return {literal.remainder, true};
        }
        case 't':
        case 'f': {
            bool truth = text[0] == 't';
            Lex_Result literal = expect_and_slice(text, truth ? "true" : "false");
            if (!literal.ok) return {text, false};
            if (!has_destination) return {literal.remainder, true};
            Prepared_Slot slot = prepare_slot(Type_Info_Tag::BOOL, description, destination, given);
            if (!slot.ok) return {text, false};
            if (slot.is_generic) {
                make_json_boolean(static_cast<JSON_Value*>(slot.value_address), truth);
            } else {
                *static_cast<bool*>(slot.value_address) = truth;
            }
            return {literal.remainder, true};
        }
        case '"': {
            if (has_destination && description->type == Type_Info_Tag::ENUM) {
                auto* enumeration = static_cast<const Type_Info_Enum*>(description);
                Prepared_Slot slot = prepare_slot(Type_Info_Tag::INTEGER, enumeration->internal_type, destination, given);
                if (!slot.ok) return {text, false};
                return parse_enum_string(text, slot.value_address, enumeration);
            }
            String_Result str = parse_string(text);
            if (!str.ok) return {str.remainder, false};
            if (!has_destination) {
                free_string(&str.result);
                return {str.remainder, true};
            }
            if (description->type == Type_Info_Tag::FLOAT && (flags & JSON_SPECIAL_FLOAT_WORDS)) {
                if (str.result == "NaN") {
                    store_float_value(description, destination, given, READ_NAN);
                } else if (str.result == "Infinity") {
                    store_float_value(description, destination, given, std::numeric_limits<double>::infinity());
                } else if (str.result == "-Infinity") {
                    store_float_value(description, destination, given, -std::numeric_limits<double>::infinity());
                } else {
                    log_error("Found unsupported string value \"%\" for field \"%\" of type %.", str.result, field_name,
                              type_name(description));
                }
                free_string(&str.result);
                return {str.remainder, true};
            }
            Prepared_Slot slot = prepare_slot(Type_Info_Tag::STRING, description, destination, given);
            if (!slot.ok) {
                free_string(&str.result);
                return {text, false};
            }
            if (slot.is_generic) {
                make_json_string(static_cast<JSON_Value*>(slot.value_address), str.result);
            } else {
                *static_cast<String*>(slot.value_address) = str.result;
            }
            return {str.remainder, true};
        }
        case '[': {
            Prepared_Slot slot{};
            if (has_destination) {
                slot = prepare_slot(Type_Info_Tag::ARRAY, description, destination, given);
                if (!slot.ok) return {text, false};
            }
            if (slot.is_generic) {
                Generic_Array_Result array = parse_array(text, depth);
                make_json_array(static_cast<JSON_Value*>(slot.value_address), array.elements);
                return {array.remainder, array.ok};
            }
            return parse_array(text, slot.value_address, static_cast<const Type_Info_Array*>(slot.value_description),
                               ignore_unknown, member_renamer, flags, depth);
        }
        case '{': {
            Prepared_Slot slot{};
            if (has_destination) {
                slot = prepare_slot(Type_Info_Tag::STRUCT, description, destination, given);
                if (!slot.ok) return {text, false};
            }
            if (slot.is_generic) {
                auto* table = static_cast<JSON_Object*>(context.allocator->allocate(sizeof(JSON_Object), alignof(JSON_Object)));
                Generic_Object_Result object = parse_object(text, depth);
                new (table) JSON_Object(object.members);
                make_json_object(static_cast<JSON_Value*>(slot.value_address), table);
                return {object.remainder, object.ok};
            }
            return parse_object(text, slot.value_address, static_cast<const Type_Info_Struct*>(slot.value_description),
                                ignore_unknown, member_renamer, flags, depth);
        }
        default: {
            if (!has_destination || description->type == Type_Info_Tag::FLOAT ||
                is_generic_json_value_or_pointer_to_it(description)) {
                Number_Result number = parse_json_number(text);
                if (!number.ok) return {text, false};
                if (has_destination && !store_float_value(description, destination, given, number.value)) return {text, false};
                return {number.remainder, true};
            }
            Prepared_Slot slot = prepare_slot(Type_Info_Tag::INTEGER, description, destination, given);
            if (!slot.ok) return {text, false};
            return parse_and_write_integer(static_cast<const Type_Info_Integer*>(slot.value_description), slot.value_address, text);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Reading: enumerations.

namespace {

std::string_view trim_whitespace(std::string_view s) {
    while (!s.empty() && is_json_whitespace(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_json_whitespace(s.back())) s.remove_suffix(1);
    return s;
}

// Finds one member by name ("RED", " RED ", ".RED" or "Color.RED"); reports a miss.
bool find_enum_member(const Type_Info_Enum* description, std::string_view piece, uint64_t* bits) {
    std::string_view name = trim_whitespace(piece);
    std::string_view enum_name = description->name;
    if (name.size() > enum_name.size() && name.starts_with(enum_name) && name[enum_name.size()] == '.') {
        name.remove_prefix(enum_name.size() + 1);
    } else if (name.starts_with('.')) {
        name.remove_prefix(1);
    }
    for (int64_t i = 0; i < description->names.count; i++) {
        if (description->names[i].view() == name) {
            *bits = uint64_t(description->values[i]);
            return true;
        }
    }
    log_error("Enum \"%\" does not contain a member named \"%\".", enum_name, name);
    return false;
}

}  // namespace

Parse_Step parse_enum_string(std::string_view text, void* destination, const Type_Info_Enum* description) {
    String_Result str = parse_string(text);
    if (!str.ok) return {str.remainder, false};
    // The members' values are kept as signed 64-bit numbers; their bits are read back in the
    // enumeration's own signedness, so an unsigned 64-bit value with the top bit set fits.
    uint64_t bits = 0;
    bool ok = true;
    if (description->enum_type_flags & ENUM_IS_FLAGS) {
        std::string_view rest = str.result.view();
        for (;;) {
            size_t bar = rest.find('|');
            uint64_t piece_bits = 0;
            if (find_enum_member(description, rest.substr(0, bar), &piece_bits)) {
                bits |= piece_bits;
            } else {
                ok = false;
            }
            if (bar == std::string_view::npos) break;
            rest.remove_prefix(bar + 1);
        }
    } else {
        ok = find_enum_member(description, str.result.view(), &bits);
    }
    if (ok) {
        const Type_Info_Integer* internal = description->internal_type;
        bool negative = internal->is_signed && int64_t(bits) < 0;
        uint64_t magnitude = negative ? uint64_t(0) - bits : bits;
        ok = store_checked_integer(internal, destination, negative, magnitude);
    }
    free_string(&str.result);
    return {str.remainder, ok};
}

// ---------------------------------------------------------------------------------------------
// Reading: arrays.

namespace {

// The element buffer: the layout of every Resizable_Array.
struct Element_Buffer {
    int64_t count = 0;
    char* data = nullptr;
    int64_t allocated = 0;
    std::pmr::memory_resource* allocator = nullptr;
};

char* add_element(Element_Buffer* buffer, const Type_Info* element_type, int64_t element_size, int64_t alignment) {
    if (buffer->count == buffer->allocated) {
        array_reserve_bytes(buffer, std::max<int64_t>(8, 2 * buffer->count), element_size, alignment);
    }
    char* element = buffer->data + buffer->count * element_size;
    buffer->count++;
    auto* record = static_cast<const Type_Info_Struct*>(element_type);
    if (element_type->type == Type_Info_Tag::STRUCT && record->initializer) {
        record->initializer(element);
    } else {
        std::memset(element, 0, size_t(element_size));
    }
    return element;
}

Parse_Step read_past_array(std::string_view text, bool ignore_unknown, Member_Renamer member_renamer, uint64_t flags,
                           int64_t depth) {
    for (bool first = true;; first = false) {
        if (text[0] == ']') break;
        if (!first) {
            if (text[0] != ',') return {text, false};
            text.remove_prefix(1);
        }
        Parse_Step element = parse_value(text, nullptr, nullptr, ignore_unknown, {}, member_renamer, flags, depth + 1);
        if (!element.ok) return element;
        text = skip_whitespace(element.remainder);
        if (text.empty()) return {{}, false};
    }
    return {text.substr(1), true};
}

}  // namespace

Parse_Step parse_array(std::string_view text, void* destination, const Type_Info_Array* description, bool ignore_unknown,
                       Member_Renamer member_renamer, uint64_t flags, int64_t depth) {
    int64_t element_size = 0;
    if (destination) {
        element_size = description->element_type->runtime_size;
        quol_assert(element_size != -1, "Unknown element size");
    }
    quol_assert(!text.empty() && text[0] == '[', "Invalid array start %", text);
    if (depth >= JSON_MAX_DEPTH) {
        report_nesting_too_deep(text);
        return {text, false};
    }
    text = skip_whitespace(text.substr(1));
    if (text.empty()) return {{}, false};
    if (!destination) return read_past_array(text, ignore_unknown, member_renamer, flags, depth);

    const Type_Info* element_type = description->element_type;
    int64_t alignment = type_alignment(element_type);
    Element_Buffer buffer;
    bool ok = true;
    for (;;) {
        if (text[0] == ']') break;
        if (buffer.count > 0) {
            if (text[0] != ',') {
                ok = false;
                break;
            }
            text = skip_whitespace(text.substr(1));
            if (text.empty() || text[0] == ']') {
                ok = false;
                break;
            }
        }
        if (description->array_type == Array_Type::FIXED && buffer.count == description->array_count) {
            log_error("Expected array of size %, but found array of with at least % elements\n", description->array_count,
                      description->array_count + 1);
            ok = false;
            break;
        }
        char* element = add_element(&buffer, element_type, element_size, alignment);
        Parse_Step step = parse_value(text, element, element_type, ignore_unknown, {}, member_renamer, flags, depth + 1);
        if (!step.ok) {
            text = step.remainder;
            ok = false;
            break;
        }
        text = skip_whitespace(step.remainder);
        if (text.empty()) {
            ok = false;
            break;
        }
    }

    // What was gathered goes to the destination on failure too.
    if (description->array_type == Array_Type::VIEW) {
        auto* view = static_cast<Array_View<char>*>(destination);
        view->count = buffer.count;
        view->data = buffer.data;
    } else if (description->array_count == -1) {
        *static_cast<Element_Buffer*>(destination) = buffer;
    } else {
        if (buffer.count != description->array_count) {
            log_error("Expected array of size %, but found array of size %.\n", description->array_count, buffer.count);
            ok = false;
            while (buffer.count < description->array_count) add_element(&buffer, element_type, element_size, alignment);
        }
        if (description->array_count > 0) std::memcpy(destination, buffer.data, size_t(description->array_count * element_size));
        array_free_bytes(&buffer, element_size, alignment);
    }

    if (!text.empty() && text[0] == ']') return {text.substr(1), ok};
    return {text, false};
}

// ---------------------------------------------------------------------------------------------
// Reading: objects.

void fill_member_table(Table<Member_Offset>* table, const Type_Info_Struct* description, Member_Renamer member_renamer,
                       int64_t base_offset) {
    for (const Type_Info_Struct_Member& member : description->members) {
        if (member.flags & MEMBER_CONSTANT) continue;
        int64_t offset = base_offset + member.offset_in_bytes;
        String key = member_renamer ? member_renamer(&member) : member.name;
        bool found = false;
        Member_Offset* entry = table_find_or_add(table, key, &found);
        quol_assert(!found, "Redeclaration of member \"%\": % (offset %) vs. % (offset %)", key, member.name, offset,
                    entry->member->name, entry->offset_in_bytes);
        *entry = {&member, offset};
        if ((member.flags & MEMBER_USING) && member.type->type == Type_Info_Tag::STRUCT) {
            fill_member_table(table, static_cast<const Type_Info_Struct*>(member.type), member_renamer, offset);
        }
    }
}

namespace {

Parse_Step read_members(std::string_view text, void* destination, const Type_Info_Struct* description,
                        const Table<Member_Offset>* table, bool ignore_unknown, Member_Renamer member_renamer,
                        uint64_t flags, int64_t depth) {
    for (;;) {
        if (text.empty() || text[0] != '"') return {text, false};
        // A key without escapes is looked up where it lies; only an escaped one is decoded
        // into a string of its own, released when its member is done.
        Literal_Scan scan = scan_string_literal(text);
        if (!scan.ok) return {scan.remainder, false};
        String key = scan.content;
        bool key_owned = false;
        if (scan.escaped) {
            Unescape_Result decoded = unescape(scan.content);
            if (!decoded.ok) return {text, false};
            key = decoded.result;
            key_owned = true;
        }
        auto release_key = [&] {
            if (key_owned) free_string(&key);
        };
        text = scan.remainder;

        const Member_Offset* found = table_find(table, key.view());
        void* target = nullptr;
        const Type_Info* target_description = nullptr;
        if (found) {
            target = static_cast<char*>(destination) + found->offset_in_bytes;
            target_description = found->member->type;
        } else if (!ignore_unknown) {
            log_error("Missing member % in %", key, description ? type_name(description) : String("(none)"));
            release_key();
            return {text, false};
        }

        text = skip_whitespace(text);
        if (text.empty() || text[0] != ':') {
            release_key();
            return {text, false};
        }
        Parse_Step value = parse_value(text.substr(1), target, target_description, ignore_unknown, key.view(),
                                       member_renamer, flags, depth + 1);
        release_key();
        if (!value.ok) return value;
        text = skip_whitespace(value.remainder);
        if (text.empty() || text[0] != ',') break;
        text = skip_whitespace(text.substr(1));
    }
    if (text.empty() || text[0] != '}') return {text, false};
    return {text.substr(1), true};
}

}  // namespace

Parse_Step parse_object(std::string_view text, void* destination, const Type_Info_Struct* description,
                        bool ignore_unknown, Member_Renamer member_renamer, uint64_t flags, int64_t depth) {
    quol_assert(!text.empty() && text[0] == '{', "Invalid object start %", text);
    if (depth >= JSON_MAX_DEPTH) {
        report_nesting_too_deep(text);
        return {text, false};
    }
    text = skip_whitespace(text.substr(1));
    if (text.empty()) return {{}, false};
    if (text[0] == '}') return {text.substr(1), true};

    // Records of up to six members fit the table's first storage here, on the stack.
    using Entry = Table<Member_Offset>::Entry;
    alignas(Entry) unsigned char first_storage[8 * sizeof(Entry)];
    Table<Member_Offset> table;
    if (description) {
        table_init_borrowed(&table, reinterpret_cast<Entry*>(first_storage), 8);
        fill_member_table(&table, description, member_renamer, 0);
    }
    Parse_Step result = read_members(text, destination, description, &table, ignore_unknown, member_renamer, flags, depth);
    table_reset(&table);
    return result;
}
