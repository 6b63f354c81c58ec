#include <cmath>
#include <limits>

#include "json_test_support.h"
#include "unicode_utils/module.h"

namespace {

using namespace std::string_view_literals;

struct Parsed {
    std::string result;
    std::string remainder;
    bool ok;
};

// Copies the input into a block of its exact size, so that AddressSanitizer catches any read
// past its end.
Parsed parse(std::string_view input) {
    std::unique_ptr<char[]> exact(new char[input.size()]);
    std::memcpy(exact.get(), input.data(), input.size());
    String_Result r = parse_string({exact.get(), input.size()});
    Parsed parsed{text_of(r.result), std::string(r.remainder), r.ok};
    free_string(&r.result);
    return parsed;
}

TEST(JsonLiterals, ExpectAndSlice) {
    Log_Capture log;
    Lex_Result match = expect_and_slice("nullx", "null");
    EXPECT_TRUE(match.ok);
    EXPECT_EQ(match.remainder, "x");
    EXPECT_TRUE(log.errors.empty());

    Lex_Result short_text = expect_and_slice("nul", "null");
    EXPECT_FALSE(short_text.ok);
    EXPECT_EQ(short_text.remainder, "nul");
    Lex_Result wrong = expect_and_slice("trUe, 1]", "true");
    EXPECT_FALSE(wrong.ok);
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_EQ(log.errors[0], "Unexpected token. Expected \"null\" but got: nul");
    EXPECT_EQ(log.errors[1], "Unexpected token. Expected \"true\" but got: trUe, 1]");
}

TEST(JsonStrings, LiteralsAndEscapes) {
    struct Case {
        std::string_view text, result, remainder;
    };
    for (Case c : {Case{"\"abc\", 1", "abc", ", 1"}, {"\"\"x", "", "x"}, {"\"a\tb\"", "a\tb", ""},
                   {R"("\"")", "\"", ""}, {R"("\/")", "/", ""}, {R"("\\")", "\\", ""},
                   {R"("\b\f\n\r\t")", "\b\f\n\r\t", ""}, {R"("\u00e9")", "\xc3\xa9", ""},
                   {R"("\u20AC")", "\xe2\x82\xac", ""}, {R"("\u0041")", "A", ""}, {R"("\u0000")", "\0"sv, ""},
                   {R"("\ud83d\ude00")", "\xed\xa0\xbd\xed\xb8\x80", ""},  // surrogates are never joined
                   {R"("a\"b" rest)", "a\"b", " rest"}}) {
        Parsed p = parse(c.text);
        EXPECT_TRUE(p.ok) << c.text;
        EXPECT_EQ(p.result, c.result) << c.text;
        EXPECT_EQ(p.remainder, c.remainder) << c.text;
    }
}

TEST(JsonStrings, BadLiteralsFailSilentlyWithTheLiteralAsRemainder) {
    Log_Capture log;
    // A raw tab passes in a literal without a backslash (above), not in one with an escape.
    for (std::string_view bad : {R"("\u12")"sv, R"("\uwxyz")"sv, R"("\x")"sv, "\"a\\n\tb\""sv, R"("\u 1 2")"sv,
                                 // unterminated: never read past the end
                                 R"("abc)"sv, R"("ab\")"sv, R"("a\")"sv, R"("\)"sv, R"("\u00)"sv}) {
        Parsed p = parse(bad);
        EXPECT_FALSE(p.ok) << bad;
        EXPECT_EQ(p.result, "") << bad;
        EXPECT_EQ(p.remainder, bad) << bad;
    }
    Parsed lone = parse("\"");
    EXPECT_FALSE(lone.ok);
    EXPECT_EQ(lone.remainder, "");
    EXPECT_TRUE(log.errors.empty());
}

TEST(JsonStrings, FailedUnescapeOwnsNothing) {
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    for (std::string_view bad : {R"("ok \n then \q")"sv, R"("\u00zz")"sv}) parse(bad);
    EXPECT_EQ(tracking.live_count(), 0u);
    Unescape_Result decoded = unescape(R"(a\nb\u00e9)");
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.result, "a\nb\xc3\xa9");
    free_string(&decoded.result);  // sized exactly: the tracker checks the released size
    EXPECT_EQ(tracking.live_count(), 0u);
}

TEST(JsonUnicode, ParseUnicode) {
    EXPECT_EQ(parse_unicode("00e9").unit, 0xe9);
    EXPECT_EQ(parse_unicode("FFFF").unit, 0xFFFF);
    EXPECT_TRUE(parse_unicode(" 041").ok);
    EXPECT_EQ(parse_unicode(" 041").unit, 0x41);
    EXPECT_EQ(parse_unicode("+041").unit, 0x41);
    EXPECT_TRUE(parse_unicode("-000").ok);
    EXPECT_FALSE(parse_unicode("-001").ok);
    EXPECT_FALSE(parse_unicode("12g4").ok);
    EXPECT_FALSE(parse_unicode("1 23").ok);
    EXPECT_FALSE(parse_unicode("    ").ok);
    EXPECT_FALSE(parse_unicode("12").ok);
}

TEST(JsonUnicode, EncodeOneUnit) {
    char out[3];
    EXPECT_EQ(encode_utf8_code_unit(0x41, out), 1);
    EXPECT_EQ(out[0], 'A');
    EXPECT_EQ(encode_utf8_code_unit(0x7FF, out), 2);
    EXPECT_EQ(std::string_view(out, 2), "\xdf\xbf");
    EXPECT_EQ(encode_utf8_code_unit(0x800, out), 3);
    EXPECT_EQ(std::string_view(out, 3), "\xe0\xa0\x80");
    EXPECT_EQ(encode_utf8_code_unit(0xFFFF, out), 3);
    EXPECT_EQ(std::string_view(out, 3), "\xef\xbf\xbf");
}

TEST(JsonNumbers, NumberForms) {
    struct Case {
        std::string_view text;
        double value;
        std::string_view remainder;
    };
    for (Case c : {Case{"1", 1, ""}, {"2.5e2,", 250, ","}, {"1E+2]", 100, "]"}, {".5", 0.5, ""}, {"7.", 7, ""},
                   {"-.5", -0.5, ""}, {"007", 7, ""}, {"+3", 3, ""}, {"1e", 1, "e"}, {"1e]", 1, "e]"},
                   {"1e+", 1, "e+"}, {"0x10", 0, "x10"}, {"12.5.3", 12.5, ".3"}}) {
        Number_Result n = parse_json_number(c.text);
        EXPECT_TRUE(n.ok) << c.text;
        EXPECT_EQ(n.value, c.value) << c.text;
        EXPECT_EQ(n.remainder, c.remainder) << c.text;
    }
    Number_Result minus_zero = parse_json_number("-0");
    EXPECT_TRUE(std::signbit(minus_zero.value));
    EXPECT_EQ(parse_json_number("1e400").value, std::numeric_limits<double>::infinity());
    EXPECT_EQ(parse_json_number("-1e99999999999999999999").value, -std::numeric_limits<double>::infinity());
    Number_Result tiny = parse_json_number("-1e-400");
    EXPECT_EQ(tiny.value, 0.0);
    EXPECT_TRUE(std::signbit(tiny.value));
    EXPECT_EQ(parse_json_number("0.000000000000000000000000000000001e-300").value, 0.0);
    EXPECT_EQ(parse_json_number("4.9406564584124654e-324").value, std::numeric_limits<double>::denorm_min());
    // Long runs of zeros beside a long exponent still scale the right way.
    std::string zeros(200000, '0');
    EXPECT_EQ(parse_json_number("0." + zeros + "1e1000000").value, std::numeric_limits<double>::infinity());
    EXPECT_EQ(parse_json_number("1" + zeros + "e-1000000").value, 0.0);
    for (std::string_view bad : {"-"sv, "+"sv, "."sv, "+e5"sv, "x"sv, "NaN"sv, "Infinity"sv, "]"sv, ""sv}) {
        Number_Result n = parse_json_number(bad);
        EXPECT_FALSE(n.ok) << bad;
        EXPECT_EQ(n.remainder, bad);
    }
}

}  // namespace
