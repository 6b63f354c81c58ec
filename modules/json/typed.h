// The typed writer and reader: any described value to JSON text and back, walking its
// description. Neither knows a record type in advance.
//
//     String text = json_write_string(save, "\t", member_has_ignore_note, rename_by_note, 1);
//     auto [loaded, ok] = json_parse_file<Game_Save>(path, true, rename_by_note, 1);
#pragma once

#include <cstdint>
#include <string_view>

#include "module.h"

// ---------------------------------------------------------------------------------------------
// Writing. An empty indent text gives compact output.

void json_write_native(String_Builder* builder, const void* data, const Type_Info* info, std::string_view indent_text,
                       Member_Filter member_filter, Member_Renamer member_renamer, uint64_t flags, int64_t depth);

void json_write_native_members(String_Builder* builder, const void* data,
                               Array_View<const Type_Info_Struct_Member> members, std::string_view indent_text,
                               Member_Filter member_filter, Member_Renamer member_renamer, uint64_t flags,
                               int64_t depth, bool* first);

template <typename T>
void json_append_value(String_Builder* builder, T value, std::string_view indent_text, Member_Filter member_filter,
                       Member_Renamer member_renamer, uint64_t flags) {
    json_write_native(builder, &value, type_of<T>(), indent_text, member_filter, member_renamer, flags, 0);
}

// The whole text in one string from the context's allocator; the caller frees it.
template <typename T>
String json_write_string(T value, std::string_view indent_text, Member_Filter member_filter,
                         Member_Renamer member_renamer, uint64_t flags) {
    // The first 4096 bytes of text are built on the stack; only longer texts touch the heap. The
    // slack holds the string's terminating zero and any rounding of its allocation.
    constexpr size_t FIRST_TEXT_BYTES = 4096;
    alignas(std::max_align_t) char first_buffer[FIRST_TEXT_BYTES + 64];
    std::pmr::monotonic_buffer_resource storage(first_buffer, sizeof first_buffer, context.allocator);
    String_Builder builder(&storage, FIRST_TEXT_BYTES);
    json_append_value(&builder, value, indent_text, member_filter, member_renamer, flags);
    return copy_string(builder_view(&builder));
}

// ---------------------------------------------------------------------------------------------
// Reading. Each step takes the text at the value and gives back the text after it; the first
// failure ends the reading, leaving what was stored so far in place.

struct Parse_Step {
    std::string_view remainder;
    bool ok;
};

template <typename T>
struct Parse_Result {
    T result;
    bool success;
};

Parse_Step parse_value(std::string_view text, void* destination, const Type_Info* description, bool ignore_unknown,
                       std::string_view field_name, Member_Renamer member_renamer, uint64_t flags, int64_t depth = 0);

struct Prepared_Slot {
    void* value_address;
    bool ok;
    bool is_generic;
    const Type_Info* value_description;
};
Prepared_Slot prepare_slot(Type_Info_Tag expected, const Type_Info* description, void* destination, std::string_view text);

bool store_float_value(const Type_Info* description, void* destination, std::string_view text, double value);

// One instance for signed types (Integer = int64_t), one for unsigned (uint64_t); the
// non-template overload picks one by the description.
template <typename Integer>
Parse_Step parse_and_write_integer(const Type_Info_Integer* description, void* destination, std::string_view text);
Parse_Step parse_and_write_integer(const Type_Info_Integer* description, void* destination, std::string_view text);

Parse_Step parse_enum_string(std::string_view text, void* destination, const Type_Info_Enum* description);

Parse_Step parse_array(std::string_view text, void* destination, const Type_Info_Array* description, bool ignore_unknown,
                       Member_Renamer member_renamer, uint64_t flags, int64_t depth = 0);

Parse_Step parse_object(std::string_view text, void* destination, const Type_Info_Struct* description,
                        bool ignore_unknown, Member_Renamer member_renamer, uint64_t flags, int64_t depth = 0);

struct Member_Offset {
    const Type_Info_Struct_Member* member;
    int64_t offset_in_bytes;
};
void fill_member_table(Hash_Table<Member_Offset>* table, const Type_Info_Struct* description, Member_Renamer member_renamer,
                       int64_t base_offset);

template <typename T>
Parse_Result<T> json_parse_string(std::string_view text, bool ignore_unknown, Member_Renamer member_renamer,
                                  uint64_t flags) {
    Parse_Result<T> parsed{T{}, false};
    if (text.empty()) return parsed;
    Parse_Step step = parse_value(text, &parsed.result, type_of<T>(), ignore_unknown, {}, member_renamer, flags);
    if (!step.ok) return parsed;
    std::string_view rest = skip_whitespace(step.remainder);
    if (!rest.empty()) {
        log_error("Unexpected trailing characters: %", rest);
        return parsed;
    }
    parsed.success = true;
    return parsed;
}

template <typename T>
Parse_Result<T> json_parse_file(std::string_view path, bool ignore_unknown, Member_Renamer member_renamer,
                                uint64_t flags) {
    File_Contents file = read_entire_file(path);
    if (!file.ok) {
        log_error("Could not read file: %", path);
        return {T{}, false};
    }
    log_message(tprint("Read file: %", file.ok), LOG_FLAG_VERBOSE_ONLY);  // the read's success, not the path
    if (starts_as_utf16(file.text)) {
        log_error("%: %", path, UTF16_TEXT_REFUSED);
        free_string(&file.text);
        return {T{}, false};
    }
    Parse_Result<T> parsed = json_parse_string<T>(without_utf8_mark(file.text), ignore_unknown, member_renamer, flags);
    free_string(&file.text);
    return parsed;
}
