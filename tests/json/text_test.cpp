#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "json_test_support.h"
#include "save_records.h"

struct Text_Record {
    String text;
    float f32;
    double f64;
};
DESCRIBE_STRUCT(Text_Record, text, f32, f64);

namespace {

std::string escaped(std::string_view s) {
    String_Builder builder;
    json_append_escaped(&builder, s);
    return std::string(builder_view(&builder));
}

std::string special(uint64_t flags, Special_Float s) {
    String_Builder builder;
    append_special_float(&builder, flags, s.is_nan, s.is_negative);
    return std::string(builder_view(&builder));
}

TEST(JsonEscaping, ControlBytesQuotesAndBackslashes) {
    using namespace std::string_view_literals;
    EXPECT_EQ(escaped(""), "\"\"");
    EXPECT_EQ(escaped("a\nb\x01" "c"), "\"a\\nb\\u0001c\"");
    EXPECT_EQ(escaped("\\n"), "\"\\\\n\"");
    EXPECT_EQ(escaped("say \"x\"\r\t"), "\"say \\\"x\\\"\\r\\t\"");
    EXPECT_EQ(escaped("\x1b\b\f"), "\"\\u001b\\u0008\\u000c\"");
    EXPECT_EQ(escaped("\0"sv), "\"\\u0000\"");
    EXPECT_EQ(escaped("a/b"), "\"a/b\"");
    EXPECT_EQ(escaped("\xc3\xa9\x7f\xff"), "\"\xc3\xa9\x7f\xff\"");
}

TEST(JsonEscaping, FindEscapeIndex) {
    EXPECT_EQ(find_escape_index("plain \x7f\x80 text"), -1);
    EXPECT_EQ(find_escape_index("ab\"c"), 2);
    EXPECT_EQ(find_escape_index("\x1f"), 0);
    EXPECT_EQ(find_escape_index(""), -1);
}

TEST(JsonSpecialFloats, ClassifyBitPatterns) {
    auto nan64 = classify_special_float(uint64_t(0x7FF8000000000000));
    auto inf64 = classify_special_float(uint64_t(0x7FF0000000000000));
    auto minus_inf64 = classify_special_float(uint64_t(0xFFF0000000000000));
    auto nan32 = classify_special_float(uint32_t(0x7FC00000));
    auto inf32 = classify_special_float(uint32_t(0x7F800000));
    auto minus_inf32 = classify_special_float(uint32_t(0xFF800000));
    for (auto [s, text] : {std::pair{nan64, "\"NaN\""}, {inf64, "\"Infinity\""}, {minus_inf64, "\"-Infinity\""},
                           {nan32, "\"NaN\""}, {inf32, "\"Infinity\""}, {minus_inf32, "\"-Infinity\""}}) {
        EXPECT_TRUE(s.is_nan || s.is_infinite);
        EXPECT_EQ(special(2, s), text);
        EXPECT_EQ(special(1, s), "null");
        EXPECT_EQ(special(0, s), "null");
    }
    EXPECT_TRUE(nan64.is_nan && !nan64.is_infinite);
    EXPECT_TRUE(minus_inf32.is_infinite && minus_inf32.is_negative);
    auto finite = classify_special_float(std::bit_cast<uint64_t>(-1.5));
    EXPECT_FALSE(finite.is_nan || finite.is_infinite);
    EXPECT_TRUE(finite.is_negative);
    auto largest = classify_special_float(std::bit_cast<uint32_t>(std::numeric_limits<float>::max()));
    EXPECT_FALSE(largest.is_nan || largest.is_infinite);
}

// Loading a save writes its state again for the checksum: write, read back, write again must
// give the same bytes for every float and string.
std::string write_record(const Text_Record& record, uint64_t flags = 1) {
    String text = json_write_string(record, "\t", member_has_ignore_note, rename_by_note, flags);
    std::string result(text.view());
    free_string(&text);
    return result;
}

void expect_round_trip(const Text_Record& record, uint64_t flags = 1) {
    std::string first = write_record(record, flags);
    auto [read, ok] = json_parse_string<Text_Record>(first, true, rename_by_note, flags);
    ASSERT_TRUE(ok) << first;
    std::string second = write_record(read, flags);
    EXPECT_EQ(first, second);
    free_string(&read.text);
}

TEST(JsonRoundTrip, FloatsKeepTheirText) {
    std::mt19937_64 random(42);
    for (int i = 0; i < 2000; i++) {
        uint64_t bits = random();
        double f64 = std::bit_cast<double>(bits);
        float f32 = std::bit_cast<float>(uint32_t(bits >> 32));
        if (!std::isfinite(f64)) f64 = 1.0;
        if (!std::isfinite(f32)) f32 = 1.0f;
        expect_round_trip({"", f32, f64});
    }
    for (double value : {0.0, -0.0, 0.0078125, -0.0078125, 1e20, 1e300, -1e-300, 2.0 / 3.0, 9007199254740993.0}) {
        expect_round_trip({"", float(value), value});
    }
    expect_round_trip({"", std::numeric_limits<float>::max(), std::numeric_limits<double>::max()});
    expect_round_trip({"", std::numeric_limits<float>::denorm_min(), std::numeric_limits<double>::lowest()});
}

TEST(JsonRoundTrip, SpecialFloatWordsWithFlagTwo) {
    expect_round_trip({"", std::numeric_limits<float>::infinity(), std::nan("")}, 2);
    expect_round_trip({"", std::nanf(""), -std::numeric_limits<double>::infinity()}, 2);
}

TEST(JsonRoundTrip, StringsKeepTheirBytes) {
    using namespace std::string_view_literals;
    for (std::string_view s : {""sv, "plain"sv, "quote \" backslash \\ slash /"sv, "\n\r\t\b\f\x01\x1f"sv, "\0zero"sv,
                               "\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \x7f"sv, "\\u0041 stays text"sv}) {
        expect_round_trip({String(s), 1, 1});
    }
    std::string all_bytes;
    for (int b = 0; b < 256; b++) all_bytes.push_back(char(b));
    expect_round_trip({String(all_bytes), 1, 1});
}

}  // namespace
