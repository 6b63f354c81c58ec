#include <string>

#include "dix_test_util.h"

namespace {

class Reader : public Dix_Test {
protected:
    void expect_report(std::string_view text, std::string_view report) {
        Parsed parsed = parse(text);
        EXPECT_FALSE(parsed.read.success) << text;
        EXPECT_EQ(parsed.read.root.type, nullptr) << text;
        EXPECT_EQ(parsed.read.root.value_pointer, nullptr) << text;
        EXPECT_EQ(parsed.output, report) << text;
    }

    template <typename T>
    T value_of(std::string_view text) {
        Any x = field(text);
        EXPECT_EQ(x.type, type_of<T>()) << text;
        if (x.type != type_of<T>()) return T{};
        return *static_cast<T*>(x.value_pointer);
    }

    std::string string_of(std::string_view text) { return std::string(value_of<String>(text).view()); }

    std::vector<std::string> reference_path(std::string_view text) {
        Expr expr = value_of<Expr>(text);
        EXPECT_EQ(expr.kind, Expr_Kind::VARIABLE);
        std::vector<std::string> names;
        for (String name : expr.variable.path) names.emplace_back(name.view());
        return names;
    }
};

TEST_F(Reader, EmptyAndCommentOnlyFilesGiveAnEmptyRoot) {
    for (std::string_view text : {"", " \t\r\n\f", "// line\n/* block\n */ # hash line\n#", "}", "} junk = = ;{"}) {
        EXPECT_TRUE(table_of(root_of(text))->entries.empty()) << text;
    }
    // The first unmatched brace ends the read; what follows is never looked at.
    Table* root = table_of(root_of("a = 1; } b = 2; \"open"));
    EXPECT_EQ(root->entries.size(), 1u);
    EXPECT_TRUE(root->entries.contains("a"));
}

TEST_F(Reader, NestedObjectsAndNamesPerObject) {
    Table* root = table_of(root_of("x = { x = 1; y = { x = 2.5; }; }; y = { x = true; };"));
    Table* x = table_of(root->entries.at("x"));
    EXPECT_EQ(*static_cast<int64_t*>(x->entries.at("x").value_pointer), 1);
    EXPECT_EQ(*static_cast<float*>(table_of(x->entries.at("y"))->entries.at("x").value_pointer), 2.5f);
    EXPECT_TRUE(*static_cast<bool*>(table_of(root->entries.at("y"))->entries.at("x").value_pointer));

    EXPECT_TRUE(table_of(root_of("$cost_\xC3\xA9 = 1;"))->entries.contains("$cost_\xC3\xA9"));
    EXPECT_TRUE(table_of(root_of("Speed = 1; speed = 2;"))->entries.contains("Speed"));
    expect_report("a = 1;\n  a = 2;", "t.dix:2:2\nERROR: Redefinition of field a\n");
    expect_report("o = { a = 1; a = 1; };", "t.dix:1:13\nERROR: Redefinition of field a\n");
}

TEST_F(Reader, NumbersKeepTheirKind) {
    EXPECT_EQ(value_of<int64_t>("x = 5;"), 5);
    EXPECT_EQ(value_of<float>("x = 5.0;"), 5.0f);
    EXPECT_EQ(value_of<float>("x = 5.;"), 5.0f);
    EXPECT_EQ(value_of<float>("x = 1e3;"), 1000.0f);
    EXPECT_EQ(value_of<float>("x = 0.1;"), 0.1f);
    EXPECT_EQ(value_of<int64_t>("x = 010;"), 8);
    EXPECT_EQ(value_of<int64_t>("x = 0x1F;"), 31);
    EXPECT_EQ(value_of<int64_t>("x = 0X1f;"), 31);
    // strtol saturates at 32 bits on every platform.
    EXPECT_EQ(value_of<int64_t>("x = 2147483647;"), 2147483647);
    EXPECT_EQ(value_of<int64_t>("x = 99999999999;"), 2147483647);
    EXPECT_EQ(value_of<int64_t>("x = 0xFFFFFFFFFFFFFFFFFF;"), 2147483647);

    expect_report("x = 1.5f;", "t.dix:1:7\nERROR: Unexpected token. Expected 59 but got 260\n");
    expect_report("x = 09;", "t.dix:1:5\nERROR: Unexpected token. Expected 59 but got 258\n");
    expect_report("speed = -5.0;", "t.dix:1:8\nERROR: Unexpected token 45\n\n");
    expect_report("x = +5;", "t.dix:1:4\nERROR: Unexpected token 43\n\n");
    expect_report("x = .5;", "t.dix:1:4\nERROR: Unexpected token 46\n\n");
    expect_report("x = 0x;", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = 0xg;", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
}

TEST_F(Reader, BoolsAndReferences) {
    EXPECT_TRUE(value_of<bool>("x = true;"));
    EXPECT_FALSE(value_of<bool>("x = false;"));
    EXPECT_EQ(reference_path("x = True;"), std::vector<std::string>{"True"});
    EXPECT_EQ(reference_path("x = a . /* here */ b // there\n  .c;"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(reference_path("x = truer.y;"), (std::vector<std::string>{"truer", "y"}));
    expect_report("x = true.y;", "t.dix:1:8\nERROR: Unexpected token. Expected 59 but got 46\n");
    expect_report("x = a.;", "t.dix:1:6\nERROR: Unexpected token. Expected 260 but got 59\n");
    expect_report("x = a.5;", "t.dix:1:6\nERROR: Unexpected token. Expected 260 but got 258\n");
}

TEST_F(Reader, Strings) {
    EXPECT_EQ(string_of(R"(x = "ab\0cd";)"), "ab");
    EXPECT_EQ(value_of<String>(R"(x = "";)").count, 0);
    EXPECT_EQ(string_of(R"(x = "\"\'\\\f\n\r\t";)"), "\"'\\\f\n\r\t");
    EXPECT_EQ(string_of(R"(x = "a\qb";)"), "a\\qb");
    EXPECT_EQ(string_of("x = \"two\nlines\";"), "two\nlines");
    expect_report(R"(x = "\x41";)", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report(R"(x = "\X41";)", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report(R"(x = "\u0041";)", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
}

TEST_F(Reader, TheStringStoreHolds1023Characters) {
    std::string name(1023, 'n');
    EXPECT_TRUE(table_of(root_of(name + " = 1;"))->entries.contains(name));
    EXPECT_EQ(reference_path("x = " + name + ";"), std::vector<std::string>{name});
    EXPECT_EQ(string_of("x = \"" + std::string(1023, 's') + "\";").size(), 1023u);

    expect_report(std::string(1024, 'n') + " = 1;", "t.dix:1:0\nERROR: Unexpected token. Expected 260 but got 257\n");
    expect_report("x = " + std::string(1024, 'n') + ";", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    // A string that fills the store exactly has no room for its zero byte.
    expect_report("x = \"" + std::string(1024, 's') + "\";", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = \"" + std::string(5000, 's') + "\";", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
}

TEST_F(Reader, ErrorLocations) {
    // CR LF, LF CR, lone CR and lone LF each end one line; columns count from 0.
    expect_report("a = 1;\r\nb = 2;\n= 3;", "t.dix:3:0\nERROR: Unexpected token. Expected 260 but got 61\n");
    expect_report("a = 1;\n\rb = 2;\r  = 3;", "t.dix:3:2\nERROR: Unexpected token. Expected 260 but got 61\n");
    // At the end of input the report points at the last token.
    expect_report("x = { y = 1; }", "t.dix:1:13\nERROR: Unexpected token. Expected 59 but got 256\n");
    expect_report("x = 1 // no semicolon\n", "t.dix:1:4\nERROR: Unexpected token. Expected 59 but got 256\n");
    expect_report("x", "t.dix:1:0\nERROR: Unexpected token. Expected 61 but got 256\n");
    expect_report("x == 1;", "t.dix:1:2\nERROR: Unexpected token. Expected 61 but got 264\n");
    expect_report("x = 'a';", "t.dix:1:4\nERROR: Unexpected token 263\n\n");
    expect_report(std::string_view("x = \0;", 6), "t.dix:1:4\nERROR: Unexpected token 0\n\n");
    expect_report("x = 1; /* open", "t.dix:1:7\nERROR: Unexpected token. Expected 260 but got 257\n");
    expect_report("= 1;", "t.dix:1:0\nERROR: Unexpected token. Expected 260 but got 61\n");
}

TEST_F(Reader, TextEndingInsideATokenIsNeverReadPast) {
    // Each text is a heap block of exactly its bytes: AddressSanitizer catches any overread.
    expect_report("x = \"abc", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = \"abc\\", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = \"abc\\\"", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = \"", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("\"", "t.dix:1:0\nERROR: Unexpected token. Expected 260 but got 257\n");
    expect_report("x = '", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = '\\", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = 12", "t.dix:1:4\nERROR: Unexpected token. Expected 59 but got 256\n");
    expect_report("x = 1.5e", "t.dix:1:7\nERROR: Unexpected token. Expected 59 but got 260\n");
    expect_report("x = 0x", "t.dix:1:4\nERROR: Unexpected token 257\n\n");
    expect_report("x = abc", "t.dix:1:4\nERROR: Unexpected token. Expected 59 but got 256\n");
    expect_report("x = /", "t.dix:1:4\nERROR: Unexpected token 47\n\n");
    expect_report("x = a /*", "t.dix:1:6\nERROR: Unexpected token. Expected 59 but got 257\n");
}

TEST_F(Reader, NestingDepthIsBounded) {
    auto nested = [](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i) text += "a = {";
        for (int i = 0; i < levels; ++i) text += "};";
        return text;
    };
    Any value = root_of(nested(100));
    for (int i = 0; i < 100; ++i) value = table_of(value)->entries.at("a");
    EXPECT_TRUE(table_of(value)->entries.empty());

    expect_report(nested(101), "t.dix:1:504\nERROR: Objects are nested more than 100 levels deep\n");
    expect_report(std::string(1000000, '{'), "t.dix:1:0\nERROR: Unexpected token. Expected 260 but got 123\n");
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "a={";
    expect_report(deep, "t.dix:1:302\nERROR: Objects are nested more than 100 levels deep\n");
}

}  // namespace
