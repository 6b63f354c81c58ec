// The dix configuration format: a file is the body of one object, an object is a list of
// `name = value;` fields, a value is a number, a bool, a string, a nested object or a dotted
// reference to another field. The reader builds a tree of string-keyed tables of Any values;
// get_dix_value takes values out of it by a path of field names.
#pragma once

#include <cstdint>
#include <memory_resource>
#include <string_view>
#include <unordered_map>

#include <stb_c_lexer.h>

#include "runtime.h"

// An object of the tree. Keys are views of heap copies of the field names; the table owns them.
struct Table {
    std::pmr::unordered_map<std::string_view, Any> entries;
};

enum class Expr_Kind : int64_t { VARIABLE = 0 };

struct Expr_Variable {
    Array_View<String> path;  // at least one name, in the order written
};

// A dotted reference, resolved only by the look-up and always from the root of the file.
struct Expr {
    Expr_Kind kind = Expr_Kind::VARIABLE;
    Expr_Variable variable;
};

// The table is opaque to the descriptions: nothing walks it member by member.
template <>
struct Describe<Table> {
    static inline const Type_Info_Struct info = type_info_detail::make_struct_info(
        "Table", sizeof(Table), type_info_detail::initializer_of<Table>(), {}, {});
};
DESCRIBE_ENUM(Expr_Kind, VARIABLE);
DESCRIBE_STRUCT(Expr_Variable, path);
DESCRIBE_STRUCT(Expr, kind, variable);

// Objects nested deeper than this are refused, so a hostile file can't exhaust the stack.
constexpr int64_t DIX_MAX_NESTING = 100;
// Bytes of the lexer's store for the text of one identifier or string, its zero byte included.
constexpr int DIX_STRING_STORE_SIZE = 1024;
// More nested look-ups than this mean a reference chain too long, or a cycle.
constexpr int64_t DIX_MAX_LOOKUP_DEPTH = 100;

struct Dix_Read {
    Any root;  // the empty Any on failure
    bool success = false;
    // On failure, what the reader reported, on one line ("path:line:column: message"); in the
    // calling thread's temporary storage.
    String error;
};

// Reads and parses one file. Syntax errors are printed on standard output as
// "path:line:column" (line from 1, column from 0) and the message.
Dix_Read load_dix_from_file(String path);
// Parses text already in memory; `path` only names it in the reports. The text needs no
// terminating zero and is never read past its count.
Dix_Read parse_dix_text(String path, String text);

bool parse_object_body(String path, stb_lexer* lexer, Table* table, int64_t depth = 0);
struct Dix_Value {
    Any value;
    bool success = false;
};
Dix_Value parse_value(String path, stb_lexer* lexer, int64_t depth = 0);
bool expect_tokens(String path, stb_lexer* lexer, int64_t expected);

// Prints a report and keeps it for the Dix_Read of the read that fails by it.
void print_dix_report(String place, String message);

template <typename... Args>
void report_error(String path, stb_lexer* lexer, std::string_view format, const Args&... args) {
    stb_lex_location location{1, 0};
    if (lexer->where_firstchar) stb_c_lexer_get_location(lexer, lexer->where_firstchar, &location);
    print_dix_report(tprint("%:%:%", path, location.line_number, location.line_offset), tprint(format, args...));
}

enum Dix_Lookup_Code : int64_t {
    DIX_FOUND = 0,
    DIX_NOT_FOUND = 1,
    DIX_TOO_DEEP = 2,
};

struct Dix_Lookup {
    Any value;
    int64_t code = DIX_NOT_FOUND;
};

// Follows `path` from `root`; a reference at the end of the path is looked up again from the
// root, with `depth` counting the nested look-ups (1 on the first call). Prints nothing.
Dix_Lookup get_dix_value(Any root, Array_View<String> path, int64_t depth);

// The value at `path` when it exists and its type is exactly T, else null. The pointer points
// into the tree.
template <typename T>
T* get_dix_value(Any root, Array_View<String> path) {
    Dix_Lookup found = get_dix_value(root, path, 1);
    if (found.code != DIX_FOUND || found.value.type != type_of<T>()) return nullptr;
    return static_cast<T*>(found.value.value_pointer);
}

template <typename T, size_t N>
T* get_dix_value(Any root, String (&path)[N]) {
    return get_dix_value<T>(root, Array_View<String>{int64_t(N), path});
}
