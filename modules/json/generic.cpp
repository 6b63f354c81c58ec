#include "generic.h"

#include <algorithm>
#include <bit>

namespace {

void append_indent(String_Builder* builder, std::string_view indent_text, int64_t levels) {
    std::pmr::string& out = builder->text;
    out.push_back('\n');
    if (indent_text.size() == 1) return (void)out.append(size_t(levels), indent_text[0]);  // the save's tab
    for (int64_t i = 0; i < levels; i++) out.append(indent_text);
}

// Gives an array's storage exactly its count, so that the tree keeps no spare capacity and a
// failed part of it can be released exactly.
Array_View<JSON_Value> finish_elements(Resizable_Array<JSON_Value>* elements) {
    if (elements->count == 0) {
        array_reset(elements);
        return {};
    }
    if (elements->allocated != elements->count) {
        auto* exact = static_cast<JSON_Value*>(
            elements->allocator->allocate(size_t(elements->count) * sizeof(JSON_Value), alignof(JSON_Value)));
        std::memcpy(static_cast<void*>(exact), elements->data, size_t(elements->count) * sizeof(JSON_Value));
        int64_t count = elements->count;
        array_reset(elements);
        return {count, exact};
    }
    return {elements->count, elements->data};
}

void release_value(JSON_Value* value);

void release_members(JSON_Object* table) {
    for (int64_t i = 0; i < table->allocated; i++) {
        if (!table->entries[i].hash) continue;
        free_string(&table->entries[i].key);
        release_value(&table->entries[i].value);
    }
    table_reset(table);
}

// Releases what a failed element or member value built before it failed: that part is handed
// to no one, and everything in it came from the context's allocator during this read.
void release_value(JSON_Value* value) {
    switch (value->type) {
        case JSON_Type::STRING: free_string(&value->str); break;
        case JSON_Type::ARRAY:
            for (JSON_Value& element : value->array) release_value(&element);
            if (value->array.data) {
                context.allocator->deallocate(value->array.data, size_t(value->array.count) * sizeof(JSON_Value),
                                              alignof(JSON_Value));
            }
            break;
        case JSON_Type::OBJECT:
            release_members(value->object);
            context.allocator->deallocate(value->object, sizeof(JSON_Object), alignof(JSON_Object));
            break;
        default: break;
    }
    make_json_null(value);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Reading.

Generic_Value_Result parse_value(std::string_view text, int64_t depth) {
    JSON_Value result;
    std::memset(static_cast<void*>(&result), 0, sizeof result);
    text = skip_whitespace(text);
    if (text.empty()) return {result, {}, false};
    switch (text[0]) {
        case 'n': {
            Lex_Result literal = expect_and_slice(text, "null");
            if (!literal.ok) return {result, text, false};
            make_json_null(&result);
            return {result, literal.remainder, true};
        }
        case 't':
        case 'f': {
            bool truth = text[0] == 't';
            Lex_Result literal = expect_and_slice(text, truth ? "true" : "false");
            if (!literal.ok) return {result, text, false};
            make_json_boolean(&result, truth);
            return {result, literal.remainder, true};
        }
        case '"': {
            String_Result str = parse_string(text);
            make_json_string(&result, str.result);
            return {result, str.remainder, str.ok};
        }
        case '[': {
            result.type = JSON_Type::ARRAY;
            Generic_Array_Result array = parse_array(text, depth);
            result.array = array.elements;
            return {result, array.remainder, array.ok};
        }
        case '{': {
            auto* record = static_cast<JSON_Object*>(context.allocator->allocate(sizeof(JSON_Object), alignof(JSON_Object)));
            Generic_Object_Result object = parse_object(text, depth);
            new (record) JSON_Object(object.members);
            return {make_json_object(record), object.remainder, object.ok};
        }
        default: {
            result.type = JSON_Type::NUMBER;
            Number_Result number = parse_json_number(text);
            result.number = number.value;
            return {result, number.remainder, number.ok};
        }
    }
}

Generic_Array_Result parse_array(std::string_view text, int64_t depth) {
    quol_assert(!text.empty() && text[0] == '[', "Invalid array start %", text);
    if (depth >= JSON_MAX_DEPTH) {
        report_nesting_too_deep(text);
        return {{}, text, false};
    }
    text = skip_whitespace(text.substr(1));
    if (text.empty()) return {{}, {}, false};
    if (text[0] == ']') return {{}, text.substr(1), true};

    Resizable_Array<JSON_Value> elements;
    for (;;) {
        Generic_Value_Result element = parse_value(text, depth + 1);
        if (!element.ok) {
            release_value(&element.value);
            return {finish_elements(&elements), element.remainder, false};
        }
        array_add(&elements, element.value);
        text = skip_whitespace(element.remainder);
        if (text.empty() || text[0] != ',') break;
        text = skip_whitespace(text.substr(1));
    }
    Array_View<JSON_Value> view = finish_elements(&elements);
    if (!text.empty() && text[0] == ']') return {view, text.substr(1), true};
    return {view, text, false};
}

Generic_Object_Result parse_object(std::string_view text, int64_t depth) {
    quol_assert(!text.empty() && text[0] == '{', "Invalid object start %", text);
    JSON_Object table;
    if (depth >= JSON_MAX_DEPTH) {
        report_nesting_too_deep(text);
        return {table, text, false};
    }
    text = skip_whitespace(text.substr(1));
    if (text.empty()) return {table, {}, false};
    if (text[0] == '}') return {table, text.substr(1), true};

    table_init(&table, 32);
    for (;;) {
        if (text.empty() || text[0] != '"') return {table, text, false};
        String_Result key = parse_string(text);
        if (!key.ok) return {table, key.remainder, false};
        if (table_find(&table, key.result.view())) {
            free_string(&key.result);
            return {table, key.remainder, false};
        }
        text = skip_whitespace(key.remainder);
        if (text.empty() || text[0] != ':') {
            free_string(&key.result);
            return {table, text, false};
        }
        Generic_Value_Result member = parse_value(skip_whitespace(text.substr(1)), depth + 1);
        if (!member.ok) {
            free_string(&key.result);
            release_value(&member.value);
            return {table, member.remainder, false};
        }
        table_add(&table, key.result, member.value);
        text = skip_whitespace(member.remainder);
        if (text.empty() || text[0] != ',') break;
        text = skip_whitespace(text.substr(1));
    }
    if (!text.empty() && text[0] == '}') return {table, text.substr(1), true};
    return {table, text, false};
}

// ---------------------------------------------------------------------------------------------
// Writing.

void json_write_json_value(String_Builder* builder, const JSON_Value& value, std::string_view indent_text,
                           int64_t depth, uint64_t flags) {
    switch (value.type) {
        case JSON_Type::NULL_: append(builder, "null"); return;
        case JSON_Type::BOOLEAN: append(builder, *reinterpret_cast<const uint8_t*>(&value.boolean) ? "true" : "false"); return;
        case JSON_Type::NUMBER: {
            Special_Float special = classify_special_float(std::bit_cast<uint64_t>(value.number));
            if (special.is_nan || special.is_infinite) {
                append_special_float(builder, flags, special.is_nan, special.is_negative);
            } else {
                append_float_text(builder, value.number);
            }
            return;
        }
        case JSON_Type::STRING: json_append_escaped(builder, value.str); return;
        case JSON_Type::ARRAY: {
            append(builder, '[');
            for (int64_t i = 0; i < value.array.count; i++) {
                if (!indent_text.empty()) append_indent(builder, indent_text, depth + 1);
                json_write_json_value(builder, value.array[i], indent_text, depth + 1, flags);
                if (i != value.array.count - 1) append(builder, ',');
            }
            if (!indent_text.empty()) append_indent(builder, indent_text, depth);
            append(builder, ']');
            return;
        }
        case JSON_Type::OBJECT: {
            append(builder, '{');
            const JSON_Object* table = value.object;
            Resizable_Array<String> keys;
            if (table->count > 0) {
                array_reserve(&keys, table->count);
                table_for_each(table, [&](const String& key, const JSON_Value&) { array_add(&keys, key); });
            }
            // Byte order, unsigned: a table keeps none, and equal trees must give equal text.
            std::sort(keys.begin(), keys.end(), [](String a, String b) { return a.view() < b.view(); });
            for (int64_t i = 0; i < keys.count; i++) {
                if (!indent_text.empty()) append_indent(builder, indent_text, depth + 1);
                json_append_escaped(builder, keys[i]);
                append(builder, ": ");
                const JSON_Value* member = table_find(table, keys[i].view());
                quol_assert(member, "Missing table value %", keys[i]);
                json_write_json_value(builder, *member, indent_text, depth + 1, flags);
                if (i != keys.count - 1) append(builder, ',');
            }
            if (!indent_text.empty()) append_indent(builder, indent_text, depth);
            append(builder, '}');
            array_reset(&keys);
            return;
        }
    }
}
