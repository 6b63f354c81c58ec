#include <cmath>

#include "json_test_support.h"

namespace {

using namespace std::string_view_literals;

// Generic trees live as long as their allocator: each test reads into its own tracker.
struct Generic_Fixture : ::testing::Test {
    Tracking_Resource tracking;
    Push_Allocator use{&tracking};
    Log_Capture log;
};

std::string write(const JSON_Value& value, std::string_view indent = "\t", uint64_t flags = 1) {
    String_Builder builder;
    json_write_json_value(&builder, value, indent, 0, flags);
    return std::string(builder_view(&builder));
}

using JsonGenericReader = Generic_Fixture;
using JsonGenericWriter = Generic_Fixture;

TEST(JsonValueModel, Constructors) {
    JSON_Value value;
    EXPECT_EQ(value.type, JSON_Type::NULL_);
    make_json_number(&value, int64_t(9007199254740993));
    EXPECT_EQ(value.number, 9007199254740992.0);
    make_json_number(&value, int64_t(-1));
    EXPECT_EQ(value.number, -1.0);
    make_json_string(&value, String());
    EXPECT_EQ(value.type, JSON_Type::STRING);
    EXPECT_EQ(value.str.count, 0);
    make_json_array(&value, {});
    EXPECT_EQ(write(value), "[\n]");

    char bytes[] = "ab";
    JSON_Value first, second;
    make_json_string(&first, String(bytes, 2));
    make_json_string(&second, String(bytes, 2));
    bytes[0] = 'x';
    EXPECT_EQ(first.str, "xb");
    EXPECT_EQ(second.str, "xb");

    JSON_Object table;
    JSON_Value object = make_json_object(&table);
    EXPECT_EQ(object.type, JSON_Type::OBJECT);
    EXPECT_EQ(object.object, &table);
}

TEST(JsonValueModel, DescriptionKeepsTheDeclarationOrder) {
    const auto* type_enum = static_cast<const Type_Info_Enum*>(type_of<JSON_Type>());
    ASSERT_EQ(type_enum->names.count, 6);
    const char* names[] = {"NULL", "BOOLEAN", "NUMBER", "STRING", "ARRAY", "OBJECT"};
    int64_t values[] = {0, 1, 3, 2, 5, 4};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(type_enum->names[i], names[i]);
        EXPECT_EQ(type_enum->values[i], values[i]);
    }
    EXPECT_EQ(int(JSON_Type::NUMBER), 3);
    EXPECT_EQ(int(JSON_Type::OBJECT), 4);
    EXPECT_TRUE(is_json_value_type(type_of<JSON_Value>()));
    EXPECT_TRUE(is_generic_json_value_or_pointer_to_it(type_of<JSON_Value*>()));
    EXPECT_FALSE(is_generic_json_value_or_pointer_to_it(type_of<JSON_Value**>()));
    EXPECT_FALSE(is_json_value_type(type_of<double>()));
}

TEST_F(JsonGenericReader, Scalars) {
    auto r = parse_value(" [1, 2.5e2, -0, 1E+2, .5, 007, null, true, false, \"s\\n\"] x");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.remainder, " x");
    ASSERT_EQ(r.value.type, JSON_Type::ARRAY);
    auto& e = r.value.array;
    ASSERT_EQ(e.count, 10);
    double numbers[] = {1, 250, -0.0, 100, 0.5, 7};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(e[i].type, JSON_Type::NUMBER);
        EXPECT_EQ(e[i].number, numbers[i]);
    }
    EXPECT_TRUE(std::signbit(e[2].number));
    EXPECT_EQ(e[6].type, JSON_Type::NULL_);
    EXPECT_TRUE(e[7].boolean);
    EXPECT_EQ(e[8].type, JSON_Type::BOOLEAN);
    EXPECT_FALSE(e[8].boolean);
    EXPECT_EQ(e[9].str, "s\n");
    auto prefix = parse_value("nullx");
    EXPECT_TRUE(prefix.ok);
    EXPECT_EQ(prefix.remainder, "x");
    EXPECT_FALSE(parse_value("True").ok);
    EXPECT_TRUE(log.errors.empty());
}

TEST_F(JsonGenericReader, EmptyContainers) {
    for (std::string_view text : {"[]"sv, "[ ]"sv, "[\n]"sv}) {
        auto r = parse_value(text);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.value.array.count, 0);
        EXPECT_EQ(r.value.array.data, nullptr);
    }
    auto object = parse_value("{}");
    ASSERT_TRUE(object.ok);
    EXPECT_EQ(object.value.object->count, 0);
    EXPECT_EQ(object.value.object->entries, nullptr);
    auto deep = parse_value("[[[]], {\"x\": [{}]}]");
    ASSERT_TRUE(deep.ok);
    EXPECT_EQ(deep.value.array[0].array[0].type, JSON_Type::ARRAY);
    EXPECT_EQ(table_find(deep.value.array[1].object, "x")->array[0].type, JSON_Type::OBJECT);
}

TEST_F(JsonGenericReader, FailuresAndRemainders) {
    struct Case {
        std::string_view text;
        std::string_view remainder;
    };
    for (Case c : {Case{"[1e]", "e]"}, {"[1 2]", "2]"}, {"[1,]", "]"}, {"[1,", ""}, {"{\"a\": 1,}", "}"},
                   {"{\"a\": 1, \"a\": 2}", ": 2}"}, {"{\"a\": 1, \"\\u0061\": 2}", ": 2}"}, {"{\"a\" 1}", "1}"},
                   {"{\"a\": 1 \"b\": 2}", "\"b\": 2}"}, {"{\"a\": 1,", ""}, {"{\"a\":", ""}, {"[", ""}, {"{", ""},
                   {"", ""}, {"-", "-"}, {"{1: 2}", "1: 2}"}, {"[\"open]", "\"open]"}}) {
        auto r = parse_value(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.remainder, c.remainder) << c.text;
    }
    EXPECT_TRUE(log.errors.empty());
    EXPECT_FALSE(parse_value("[nul]").ok);
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], "Unexpected token. Expected \"null\" but got: nul]");
    auto two = parse_value("{\"a\": 1, \"b\": 2}");
    EXPECT_TRUE(two.ok);
    EXPECT_EQ(two.value.object->count, 2);
}

TEST_F(JsonGenericReader, FailedReadsHandOverWhatTheyBuilt) {
    auto array = parse_value("[1, \"two\", [3], {\"k\": [\"v\"]}, [\"half\", ");
    EXPECT_FALSE(array.ok);
    EXPECT_EQ(array.value.array.count, 4);  // the failed fifth element was released
    auto object = parse_value("{\"a\": \"x\", \"b\": {\"c\": [1, 2}");
    EXPECT_FALSE(object.ok);
    EXPECT_EQ(object.value.object->count, 1);
    EXPECT_EQ(table_find(object.value.object, "b"), nullptr);
}

TEST_F(JsonGenericReader, NestingDepthIsBounded) {
    std::string ok_text(512, '[');
    ok_text += std::string(512, ']');
    EXPECT_TRUE(parse_value(ok_text).ok);
    std::string deep(200000, '[');
    EXPECT_FALSE(parse_value(deep).ok);
    std::string deep_objects;
    for (int i = 0; i < 100000; i++) deep_objects += "{\"a\":";
    EXPECT_FALSE(parse_value(deep_objects).ok);
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_EQ(log.errors[1].rfind("JSON nested deeper than 512 levels of arrays and objects at: {\"a\":", 0), 0u);
}

TEST_F(JsonGenericWriter, LayoutAndKeyOrder) {
    auto r = parse_value("{\"b\": [2, true, \"x\"], \"a\": null, \"c\": {}}");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(write(r.value), "{\n\t\"a\": null,\n\t\"b\": [\n\t\t2,\n\t\ttrue,\n\t\t\"x\"\n\t],\n\t\"c\": {\n\t}\n}");
    EXPECT_EQ(write(r.value, ""), "{\"a\": null,\"b\": [2,true,\"x\"],\"c\": {}}");

    auto keys = parse_value("{\"b\": 1, \"aa\": 2, \"a\": 3, \"_\": 4, \"B\": 5, \"\xc3\xa9\": 6, \"z\": 7}");
    ASSERT_TRUE(keys.ok);
    EXPECT_EQ(write(keys.value, ""), "{\"B\": 5,\"_\": 4,\"a\": 3,\"aa\": 2,\"b\": 1,\"z\": 7,\"\xc3\xa9\": 6}");
    auto reordered = parse_value("{\"z\": 7, \"\xc3\xa9\": 6, \"B\": 5, \"_\": 4, \"a\": 3, \"aa\": 2, \"b\": 1}");
    EXPECT_EQ(write(reordered.value), write(keys.value));
}

TEST_F(JsonGenericWriter, EmptyContainersAtDepth) {
    JSON_Value array;
    make_json_array(&array, {});
    String_Builder builder;
    json_write_json_value(&builder, array, "\t", 2, 1);
    EXPECT_EQ(builder_view(&builder), "[\n\t\t]");
    JSON_Object table;
    JSON_Value object = make_json_object(&table);
    EXPECT_EQ(write(object), "{\n}");
    EXPECT_EQ(write(object, ""), "{}");
}

TEST_F(JsonGenericWriter, ScalarsAndEscapes) {
    JSON_Value value;
    make_json_number(&value, std::nan(""));
    EXPECT_EQ(write(value, "", 1), "null");
    EXPECT_EQ(write(value, "", 2), "\"NaN\"");
    make_json_number(&value, -INFINITY);
    EXPECT_EQ(write(value, "", 2), "\"-Infinity\"");
    make_json_number(&value, 0.0078125);
    EXPECT_EQ(write(value), "0.007813");
    std::memset(&value.boolean, 2, 1);
    value.type = JSON_Type::BOOLEAN;
    EXPECT_EQ(write(value), "true");
    value.type = JSON_Type(9);
    EXPECT_EQ(write(value), "");
    auto escaped = parse_value("{\"k\\\"ey\": \"line\\nbreak\"}");
    EXPECT_EQ(write(escaped.value, ""), "{\"k\\\"ey\": \"line\\nbreak\"}");
}

TEST_F(JsonGenericWriter, RoundTripGivesTheSameBytes) {
    std::string_view text = "{\"list\": [1.5, -0, \"\\u0001\\t\", {\"deep\": [[], {}]}], \"n\": 123456789, \"t\": false}";
    auto first = parse_value(text);
    ASSERT_TRUE(first.ok);
    std::string written = write(first.value);
    auto second = parse_value(written);
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(write(second.value), written);
}

}  // namespace
