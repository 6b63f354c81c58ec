#include "dix_test_util.h"

namespace {

class Reader : public Dix_Test {
protected:
    void expect_report(std::string_view text, std::string_view report) {
        Dix_Read read = parse(text);
        EXPECT_FALSE(read.success) << text;
        EXPECT_EQ(read.root.value_pointer, nullptr) << text;
        EXPECT_EQ(output, report) << text;
    }
    void expect_unexpected(std::string_view text, int column, int code) {
        expect_report(text, "t.dix:1:" + std::to_string(column) + "\nERROR: Unexpected token " + std::to_string(code) + "\n\n");
    }
    void expect_expected(std::string_view text, int column, int expected, int got) {
        expect_report(text, "t.dix:1:" + std::to_string(column) + "\nERROR: Unexpected token. Expected " +
                                std::to_string(expected) + " but got " + std::to_string(got) + "\n");
    }

    // The value of the field x in `text`, which must be of type T.
    template <typename T>
    T x_of(std::string_view text) {
        Table* root = table_of(root_of(text));
        Any x = root && root->entries.contains("x") ? root->entries.at("x") : Any{};
        EXPECT_EQ(x.type, type_of<T>()) << text;
        return x.type == type_of<T>() ? *static_cast<T*>(x.value_pointer) : T{};
    }
    std::string path_of(std::string_view text) {
        std::string names;
        for (String name : x_of<Expr>(text).variable.path) names += std::string(name.view()) + "|";
        return names;
    }
};

TEST_F(Reader, BodiesEndAtTheEndOfInputOrTheFirstUnmatchedBrace) {
    for (std::string_view text : {"", " \t\r\n\f", "// line\n/* block\n */ # hash line\n#", "}", "} junk = = ;{"}) {
        EXPECT_TRUE(table_of(root_of(text))->entries.empty()) << text;
    }
    EXPECT_EQ(table_of(root_of("a = 1; } b = 2; \"open"))->entries.size(), 1u);

    Table* root = table_of(root_of("x = { x = 1; y = { x = 2.5; }; }; $caf\xC3\xA9 = { x = true; };"));
    EXPECT_EQ(*static_cast<float*>(table_of(table_of(root->entries.at("x"))->entries.at("y"))->entries.at("x").value_pointer), 2.5f);
    EXPECT_TRUE(root->entries.contains("$caf\xC3\xA9"));
    expect_report("a = 1;\n  a = 2;", "t.dix:2:2\nERROR: Redefinition of field a\n");
}

TEST_F(Reader, Literals) {
    EXPECT_EQ(x_of<int64_t>("x = 5;"), 5);
    EXPECT_EQ(x_of<float>("x = 5.0;"), 5.0f);
    EXPECT_EQ(x_of<float>("x = 1e3;"), 1000.0f);
    EXPECT_EQ(x_of<int64_t>("x = 010;"), 8);
    EXPECT_EQ(x_of<int64_t>("x = 0x1F;"), 31);
    EXPECT_EQ(x_of<int64_t>("x = 99999999999;"), 2147483647);  // 32-bit saturation on every platform
    EXPECT_TRUE(x_of<bool>("x = true;"));
    EXPECT_EQ(x_of<String>(R"(x = "ab\0cd";)").view(), "ab");
    EXPECT_EQ(x_of<String>(R"(x = "";)").count, 0);
    EXPECT_EQ(x_of<String>(R"(x = "\"\'\\\f\n\r\t\q";)").view(), "\"'\\\f\n\r\t\\q");
    EXPECT_EQ(path_of("x = True;"), "True|");
    EXPECT_EQ(path_of("x = a . /* here */ b // there\n  .c;"), "a|b|c|");

    expect_expected("x = 1.5f;", 7, 59, 260);
    expect_unexpected("speed = -5.0;", 8, 45);
    expect_unexpected("x = 0x;", 4, 257);
    expect_expected("x = true.y;", 8, 59, 46);
    expect_expected("x = a.;", 6, 260, 59);
    expect_unexpected(R"(x = "\x41";)", 4, 257);
    expect_unexpected(R"(x = "\u0041";)", 4, 257);
    expect_unexpected("x = 'a';", 4, 263);
    expect_unexpected("x = 'a'", 4, 263);  // closed as the very last bytes of the text
    expect_unexpected("x = 'a", 4, 257);
    expect_expected("x == 1;", 2, 61, 264);
}

TEST_F(Reader, TheStringStoreHolds1023Characters) {
    std::string name(1023, 'n');
    EXPECT_TRUE(table_of(root_of(name + " = 1;"))->entries.contains(name));
    EXPECT_EQ(x_of<String>("x = \"" + std::string(1023, 's') + "\";").count, 1023);
    expect_expected(std::string(1024, 'n') + " = 1;", 0, 260, 257);
    expect_unexpected("x = " + std::string(1024, 'n') + ";", 4, 257);
    // A string that fills the store has no room left for its zero byte.
    expect_unexpected("x = \"" + std::string(1024, 's') + "\";", 4, 257);
}

TEST_F(Reader, ReportsPointAtTheTokenRead) {
    // CR LF, LF CR, lone CR and lone LF each end one line.
    expect_report("a = 1;\r\nb = 2;\n= 3;", "t.dix:3:0\nERROR: Unexpected token. Expected 260 but got 61\n");
    expect_report("a = 1;\n\rb = 2;\r  = 3;", "t.dix:3:2\nERROR: Unexpected token. Expected 260 but got 61\n");
    // At the end of input: the start of the last token.
    expect_expected("x = { y = 1; }", 13, 59, 256);
    expect_expected("x = 1 // no semicolon\n", 4, 59, 256);
    expect_unexpected(std::string_view("x = \0;", 6), 4, 0);
}

TEST_F(Reader, TextEndingInsideATokenIsNeverReadPast) {
    for (std::string_view open : {"x = \"abc", "x = \"abc\\", "x = \"abc\\\"", "x = '", "x = '\\", "x = 0x"}) {
        expect_unexpected(open, 4, 257);
    }
    expect_expected("\"", 0, 260, 257);
    expect_expected("x = 12", 4, 59, 256);
    expect_expected("x = 1.5e", 7, 59, 260);
    expect_expected("x = abc", 4, 59, 256);
    expect_expected("x = a /*", 6, 59, 257);
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
    const char* too_deep = "\nERROR: Objects are nested more than 100 levels deep\n";
    expect_report(nested(101), std::string("t.dix:1:504") + too_deep);
    expect_report(nested(300000), std::string("t.dix:1:504") + too_deep);
}

}  // namespace
