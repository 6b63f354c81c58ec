#include "dix/module.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

// The lexer's rules for dix: C comments and numbers without suffixes, identifiers with `$`,
// double-quoted strings, `#` lines skipped. Character literals and the C operators are still
// lexed so that they show up as unexpected tokens with their own codes.
#define STB_C_LEX_C_DECIMAL_INTS Y
#define STB_C_LEX_C_HEX_INTS Y
#define STB_C_LEX_C_OCTAL_INTS Y
#define STB_C_LEX_C_DECIMAL_FLOATS Y
#define STB_C_LEX_C99_HEX_FLOATS N
#define STB_C_LEX_C_IDENTIFIERS Y
#define STB_C_LEX_C_DQ_STRINGS Y
#define STB_C_LEX_C_SQ_STRINGS N
#define STB_C_LEX_C_CHARS Y
#define STB_C_LEX_C_COMMENTS Y
#define STB_C_LEX_CPP_COMMENTS Y
#define STB_C_LEX_C_COMPARISONS Y
#define STB_C_LEX_C_LOGICAL Y
#define STB_C_LEX_C_SHIFTS Y
#define STB_C_LEX_C_INCREMENTS Y
#define STB_C_LEX_C_ARROW Y
#define STB_C_LEX_EQUAL_ARROW N
#define STB_C_LEX_C_BITWISEEQ Y
#define STB_C_LEX_C_ARITHEQ Y
#define STB_C_LEX_PARSE_SUFFIXES N
#define STB_C_LEX_DECIMAL_SUFFIXES ""
#define STB_C_LEX_HEX_SUFFIXES ""
#define STB_C_LEX_OCTAL_SUFFIXES ""
#define STB_C_LEX_FLOAT_SUFFIXES ""
#define STB_C_LEX_0_IS_EOF N
#define STB_C_LEX_INTEGERS_AS_DOUBLES N
#define STB_C_LEX_MULTILINE_DSTRINGS N
#define STB_C_LEX_MULTILINE_SSTRINGS N
#define STB_C_LEX_USE_STDLIB Y
#define STB_C_LEX_DOLLAR_IDENTIFIER Y
#define STB_C_LEX_FLOAT_NO_DECIMAL Y
#define STB_C_LEX_DEFINE_ALL_TOKEN_NAMES N
#define STB_C_LEX_DISCARD_PREPROCESSOR Y
#define STB_C_LEXER_DEFINITIONS
#define STB_C_LEXER_IMPLEMENTATION
#include <stb_c_lexer.h>
#undef Y
#undef N

namespace {

// The last report of this thread's read, in its temporary storage.
thread_local String last_report;

// The lexer peeks a byte or two past a token, hands numbers to strtol/strtod and runs a string
// literal on to its closing quote, all without looking at the end of the text. It therefore
// reads a private copy followed by these bytes: two quotes end any open string (one may be
// eaten by a backslash), and stop every number and identifier.
constexpr char TEXT_SENTINEL[] = {'"', '"', 0, 0};

template <typename T>
T* make_in_tree(T value) {
    void* storage = context.allocator->allocate(sizeof(T), alignof(T));
    return new (storage) T(std::move(value));
}

Table* make_table() {
    return make_in_tree(Table{std::pmr::unordered_map<std::string_view, Any>(context.allocator)});
}

void fail_token(stb_lexer* lexer, char* resume_at) {
    lexer->token = CLEX_parse_error;
    lexer->parse_point = resume_at;
}

// Every token the reader takes comes through here; it turns what the lexer lets slip into
// lexical errors and keeps integers to 32 bits on every platform.
void read_token(stb_lexer* lexer) {
    stb_c_lexer_get_token(lexer);
    if (lexer->token == CLEX_eof) return;
    // A string literal that ran into the sentinel was never closed. A character literal is only
    // ever closed inside the text (the sentinel holds no '), and stb ends it past its quote.
    if (lexer->token != CLEX_charlit && lexer->where_lastchar >= lexer->eof) {
        fail_token(lexer, lexer->eof);
        return;
    }
    if (lexer->token == CLEX_intlit) {
        char* first = lexer->where_firstchar;
        bool hex_prefix = first[0] == '0' && first + 1 < lexer->eof && (first[1] == 'x' || first[1] == 'X');
        if (hex_prefix && lexer->where_lastchar < first + 2) {
            // strtol takes "0x" without digits as a lone 0.
            fail_token(lexer, first + 2);
            return;
        }
        // long is 64 bits here and 32 on Windows: saturate the same way on both.
        if (lexer->int_number > INT32_MAX) lexer->int_number = INT32_MAX;
        if (lexer->int_number < INT32_MIN) lexer->int_number = INT32_MIN;
    }
    if (lexer->token == CLEX_dqstring && lexer->string_len >= DIX_STRING_STORE_SIZE) {
        // The text filled the whole store, so its zero byte did not fit.
        fail_token(lexer, lexer->parse_point);
    }
}

Dix_Value parse_reference_or_bool(String path, stb_lexer* lexer) {
    String first(lexer->string);
    if (first == "true") return {make_any(make_in_tree(true)), true};
    if (first == "false") return {make_any(make_in_tree(false)), true};

    Resizable_Array<String> names;
    array_add(&names, copy_string(first));
    for (;;) {
        stb_lexer saved = *lexer;
        read_token(lexer);
        if (lexer->token != '.') {
            *lexer = saved;
            break;
        }
        if (!expect_tokens(path, lexer, CLEX_id)) return {};
        array_add(&names, copy_string(lexer->string));
    }
    Expr expr{Expr_Kind::VARIABLE, {Array_View<String>(names)}};
    return {make_any(make_in_tree(expr)), true};
}

}  // namespace

void print_dix_report(String place, String message) {
    print("%\n%\n", place, message);
    std::string_view line = message.view();
    while (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    last_report = tprint("%: %", place, line);
}

bool expect_tokens(String path, stb_lexer* lexer, int64_t expected) {
    read_token(lexer);
    if (lexer->token == expected) return true;
    report_error(path, lexer, "ERROR: Unexpected token. Expected % but got %", expected, int64_t(lexer->token));
    return false;
}

Dix_Value parse_value(String path, stb_lexer* lexer, int64_t depth) {
    read_token(lexer);
    switch (lexer->token) {
        case '{': {
            if (depth + 1 > DIX_MAX_NESTING) {
                report_error(path, lexer, "ERROR: Objects are nested more than % levels deep", DIX_MAX_NESTING);
                return {};
            }
            Table* table = make_table();
            if (!parse_object_body(path, lexer, table, depth + 1)) return {};
            return {make_any(table), true};
        }
        case CLEX_floatlit:
            return {make_any(make_in_tree(float(lexer->real_number))), true};
        case CLEX_intlit:
            return {make_any(make_in_tree(int64_t(int32_t(lexer->int_number)))), true};
        case CLEX_id:
            return parse_reference_or_bool(path, lexer);
        case CLEX_dqstring:
            return {make_any(make_in_tree(copy_string(lexer->string))), true};
        default:
            report_error(path, lexer, "ERROR: Unexpected token %\n", int32_t(lexer->token));
            return {};
    }
}

bool parse_object_body(String path, stb_lexer* lexer, Table* table, int64_t depth) {
    for (;;) {
        stb_lexer saved = *lexer;
        read_token(lexer);
        if (lexer->token == '}' || lexer->token == CLEX_eof) return true;
        *lexer = saved;

        if (!expect_tokens(path, lexer, CLEX_id)) return false;
        std::string_view name_text(lexer->string);
        if (table->entries.contains(name_text)) {
            report_error(path, lexer, "ERROR: Redefinition of field %", name_text);
            return false;
        }
        String name = copy_string(name_text);  // the lexer's store is reused by the next token

        if (!expect_tokens(path, lexer, '=')) return false;
        Dix_Value value = parse_value(path, lexer, depth);
        if (!value.success) return false;
        if (!expect_tokens(path, lexer, ';')) return false;
        table->entries.emplace(name.view(), value.value);
    }
}

Dix_Read parse_dix_text(String path, String text) {
    size_t count = size_t(text.count);
    std::unique_ptr<char[]> bounded(new char[count + sizeof TEXT_SENTINEL]);
    if (count > 0) std::memcpy(bounded.get(), text.data, count);
    std::memcpy(bounded.get() + count, TEXT_SENTINEL, sizeof TEXT_SENTINEL);

    // One spare byte: a string that fills the store gets its zero byte written just past it.
    char string_store[DIX_STRING_STORE_SIZE + 1] = {};
    stb_lexer lexer{};
    stb_c_lexer_init(&lexer, bounded.get(), bounded.get() + count, string_store, DIX_STRING_STORE_SIZE);
    lexer.where_firstchar = bounded.get();

    Table* root = make_table();
    last_report = {};
    if (!parse_object_body(path, &lexer, root)) return {{}, false, last_report};
    return {make_any(root), true, {}};
}

Dix_Read load_dix_from_file(String path) {
    Capture_First_Error read_error;
    File_Contents file = read_entire_file(path);
    read_error.stop();
    if (!file.ok) {
        String why = read_error.first_error.empty() ? tprint("% could not be read", path) : tprint("%", read_error.first_error);
        return {{}, false, why};
    }
    if (starts_as_utf16(file.text)) {
        print("%: ERROR: %\n", path, UTF16_TEXT_REFUSED);
        free_string(&file.text);
        return {{}, false, tprint("%: ERROR: %", path, UTF16_TEXT_REFUSED)};
    }
    Dix_Read read = parse_dix_text(path, without_utf8_mark(file.text));
    free_string(&file.text);
    return read;
}

Dix_Lookup get_dix_value(Any root, Array_View<String> path, int64_t depth) {
    if (depth > DIX_MAX_LOOKUP_DEPTH) return {{}, DIX_TOO_DEEP};
    Any current = root;
    for (String name : path) {
        if (current.type != type_of<Table>()) return {{}, DIX_NOT_FOUND};
        auto* table = static_cast<Table*>(current.value_pointer);
        auto found = table->entries.find(name.view());
        if (found == table->entries.end()) return {{}, DIX_NOT_FOUND};
        current = found->second;
    }
    if (current.type == type_of<Expr>()) {
        auto* expr = static_cast<Expr*>(current.value_pointer);
        if (expr->kind == Expr_Kind::VARIABLE) return get_dix_value(root, expr->variable.path, depth + 1);
    }
    return {current, DIX_FOUND};
}
