#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "json_test_support.h"
#include "save_records.h"

struct Scalars {
    float f32;
    double f64;
    int32_t s32;
    uint8_t u8;
    int64_t s64;
    uint64_t u64;
    bool flag;
    String text;
    int32_t* pointer;
    Player_Record record;
};
DESCRIBE_STRUCT(Scalars, f32, f64, s32, u8, s64, u64, flag, text, pointer, record);

struct Generic_Slots {
    JSON_Value value;
    JSON_Value* pointer;
};
DESCRIBE_STRUCT(Generic_Slots, value, pointer);

enum class Shade : uint8_t { RED = 1, GREEN = 2, BLUE = 200 };
DESCRIBE_ENUM(Shade, RED, GREEN, BLUE);

enum Mode : uint16_t { MODE_A = 1, MODE_B = 4 };
DESCRIBE_FLAGS_ENUM(Mode, MODE_A, MODE_B);

enum Wide : uint64_t { SMALL = 1, TOP = 0x8000000000000000ull };
DESCRIBE_FLAGS_ENUM(Wide, SMALL, TOP);

enum class Signed_Shade : int8_t { DARK = -1, LIGHT = 1 };
DESCRIBE_ENUM(Signed_Shade, DARK, LIGHT);

struct Enum_Record {
    Shade shade;
    Mode mode;
    Wide wide;
    Signed_Shade signed_shade;
};
DESCRIBE_STRUCT(Enum_Record, shade, mode, wide, signed_shade);

struct Defaults {
    int32_t a = 5;
    int32_t b = 6;
};
DESCRIBE_STRUCT(Defaults, a, b);

struct Array_Record {
    Array_View<int32_t> view;
    Resizable_Array<Defaults> resizable;
    int32_t fixed[3];
};
DESCRIBE_STRUCT(Array_Record, view, resizable, fixed);

struct Inner_Using {
    int32_t v;
};
DESCRIBE_STRUCT(Inner_Using, v);

struct Keyed {
    Inner_Using u;
    int32_t constant;
    int32_t renamed;
    int32_t plain;
};
DESCRIBE_STRUCT_WITH(Keyed,
                     (member_flags("u", MEMBER_USING), member_flags("constant", MEMBER_CONSTANT),
                      member_notes("renamed", {"JsonName(alias)"})),
                     u, constant, renamed, plain);

struct Colliding {
    int32_t first;
    int32_t second;
};
DESCRIBE_STRUCT_WITH(Colliding, (member_notes("second", {"JsonName(first)"})), first, second);

namespace {

template <typename T>
Parse_Result<T> read(std::string_view text, uint64_t flags = 1, bool ignore_unknown = true) {
    return json_parse_string<T>(text, ignore_unknown, rename_by_note, flags);
}

// One value read straight through parse_value, with its remainder.
template <typename T>
Parse_Step read_value(std::string_view text, T* destination, uint64_t flags = 1) {
    return parse_value(text, destination, type_of<T>(), true, "field", rename_by_note, flags);
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedEntry, SaveReadsBackWhatWasWritten) {
    String text = json_write_string(example_save(), "\t", member_has_ignore_note, rename_by_note, 1);
    auto [save, ok] = read<Save_Record>(text);
    ASSERT_TRUE(ok);
    EXPECT_EQ(save.header.version, 0.1f);
    EXPECT_EQ(save.header.checksum, 3000000000u);
    EXPECT_EQ(save.state.saved_at, "8/12/2026 - 9:5");
    EXPECT_EQ(save.state.player.position.x, 412.5f);
    EXPECT_EQ(save.state.player.position.y, -96.25f);
    EXPECT_FALSE(save.state.time.night_time);
    EXPECT_EQ(save.state.time.ingame_hours, 19);
    EXPECT_EQ(save.state.time.ingame_minutes, 40);
    EXPECT_EQ(save.state.time.days, 3);
    EXPECT_EQ(save.state.time.month, "Summer 2");
    free_string(&text);
    free_string(&save.state.saved_at);
    free_string(&save.state.time.month);
}

TEST(JsonTypedEntry, WhitespaceAroundTheValueAndTrailingText) {
    Log_Capture log;
    EXPECT_TRUE(read<Player_Record>("\r\n\t {\"position\": {\"x\": 1, \"y\": 2}} \r\n").success);
    auto trailing = read<Player_Record>("{\"position\": {\"x\": 1, \"y\": 2}} \n x,");
    EXPECT_FALSE(trailing.success);
    EXPECT_EQ(trailing.result.position.y, 2);  // what was read stays
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], "Unexpected trailing characters: x,");
}

TEST(JsonTypedEntry, EmptyTextFailsSilently) {
    Log_Capture log;
    EXPECT_FALSE(read<Player_Record>("").success);
    EXPECT_FALSE(read<Player_Record>("  \n").success);
    EXPECT_TRUE(log.errors.empty());
}

TEST(JsonTypedEntry, Files) {
    Log_Capture log;
    auto dir = std::filesystem::temp_directory_path() / "quol_json_test";
    std::filesystem::create_directories(dir);
    std::string empty = (dir / "empty.json").string();
    std::ofstream(empty).close();
    EXPECT_FALSE(json_parse_file<Player_Record>(empty, true, rename_by_note, 1).success);
    EXPECT_TRUE(log.errors.empty());

    std::string good = (dir / "good.json").string();
    std::ofstream(good) << "{\"position\": {\"x\": 3, \"y\": 4}}\n";
    auto [player, ok] = json_parse_file<Player_Record>(good, true, rename_by_note, 1);
    EXPECT_TRUE(ok);
    EXPECT_EQ(player.position.x, 3);

    std::string missing = (dir / "missing.json").string();
    EXPECT_FALSE(json_parse_file<Player_Record>(missing, true, rename_by_note, 1).success);
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_EQ(log.errors[0].rfind("Could not open file \"" + missing + "\": code ", 0), 0u);
    EXPECT_EQ(log.errors[1], "Could not read file: " + missing);
    std::filesystem::remove_all(dir);
}

TEST(JsonTypedEntry, SaveWithReorderedAndExtraKeys) {
    auto [save, ok] = read<Save_Record>(
        "{\"state\": {\"time\": {\"month\": \"Winter\", \"extra\": [1, {\"a\": [true, null]}], \"days\": 9},"
        " \"comment\": \"x\\ny\"}, \"header\": {\"checksum\": 7, \"version\": 2.5}, \"more\": {}}");
    ASSERT_TRUE(ok);
    EXPECT_EQ(save.header.checksum, 7u);
    EXPECT_EQ(save.header.version, 2.5f);
    EXPECT_EQ(save.state.time.days, 9);
    EXPECT_EQ(save.state.time.month, "Winter");
    free_string(&save.state.time.month);
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedScalars, NullByDestination) {
    Log_Capture log;
    Scalars s{};
    s.f32 = 1;
    s.text = "kept";
    int32_t target = 0;
    s.pointer = &target;
    auto r = read_value("{\"f32\": null, \"pointer\": null, \"text\": null, \"record\": null, \"f64\": null}", &s, 1);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(std::isnan(s.f32));
    EXPECT_TRUE(std::isnan(s.f64));
    EXPECT_EQ(s.pointer, nullptr);
    EXPECT_EQ(s.text, "kept");
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_EQ(log.errors[0], "Found NULL value for non-pointer type \"string\" of field \"text\". Keeping default value instead.");
    EXPECT_EQ(log.errors[1], "Found NULL value for non-pointer type \"Player_Record\" of field \"record\". Keeping default value instead.");

    s.f32 = 1;
    EXPECT_TRUE(read_value("{\"f32\": null}", &s, 0).ok);
    EXPECT_EQ(s.f32, 1);
    EXPECT_EQ(log.errors.back(), "Found NULL value for non-pointer type \"float32\" of field \"f32\". Keeping default value instead.");
}

TEST(JsonTypedScalars, SpecialFloatWords) {
    Log_Capture log;
    Scalars s{};
    EXPECT_TRUE(read_value("{\"f32\": \"NaN\", \"f64\": \"-Infinity\"}", &s, 2).ok);
    EXPECT_TRUE(std::isnan(s.f32));
    EXPECT_EQ(s.f64, -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(read_value("{\"f64\": \"Infinity\"}", &s, 2).ok);
    EXPECT_EQ(s.f64, std::numeric_limits<double>::infinity());
    s.f32 = 4;
    EXPECT_TRUE(read_value("{\"f32\": \"infinity\"}", &s, 2).ok);
    EXPECT_EQ(s.f32, 4);
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], "Found unsupported string value \"infinity\" for field \"f32\" of type float32.");

    Parse_Step without_flag = read_value("{\"f32\": \"NaN\"}", &s, 1);
    EXPECT_FALSE(without_flag.ok);
    EXPECT_EQ(log.errors.back(), "Cannot parse STRING value into type \"float32\". Remaining input is:  \"NaN\"}…");
}

TEST(JsonTypedScalars, IntegerRangesAndForms) {
    Log_Capture log;
    Scalars s{};
    Parse_Step too_big = read_value("{\"u8\": 300}", &s);
    EXPECT_FALSE(too_big.ok);
    EXPECT_EQ(too_big.remainder, "}");
    EXPECT_EQ(log.errors.back(), "The value '300' is out of range. (It must be between 0 and 255.)");
    EXPECT_EQ(s.u8, 0);

    Parse_Step negative = read_value("{\"u8\": -1}", &s);
    EXPECT_FALSE(negative.ok);
    EXPECT_EQ(negative.remainder, "-1}");
    EXPECT_EQ(log.errors.back(), "Could not parse \"-1}\" as an unsigned integer.");

    Parse_Step fraction = read_value("{\"s32\": 12.5}", &s);
    EXPECT_FALSE(fraction.ok);
    EXPECT_EQ(s.s32, 12);
    EXPECT_EQ(fraction.remainder, ".5}");

    EXPECT_TRUE(read_value("{\"s32\":\n-2147483648, \"u8\": 255, \"s64\": - 5}", &s).ok);
    EXPECT_EQ(s.s32, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(s.u8, 255);
    EXPECT_EQ(s.s64, -5);
    EXPECT_FALSE(read_value("{\"s32\": 2147483648}", &s).ok);
    EXPECT_EQ(log.errors.back(), "The value '2147483648' is out of range. (It must be between -2147483648 and 2147483647.)");
}

TEST(JsonTypedScalars, SixtyFourBitLimitsAreNeverWrapped) {
    Log_Capture log;
    Scalars s{};
    EXPECT_TRUE(read_value("{\"s64\": -9223372036854775808, \"u64\": 18446744073709551615}", &s).ok);
    EXPECT_EQ(s.s64, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(s.u64, std::numeric_limits<uint64_t>::max());

    s = {};
    EXPECT_FALSE(read_value("{\"u64\": 18446744073709551616}", &s).ok);
    EXPECT_EQ(log.errors.back(),
              "The value '18446744073709551616' is out of range. (It must be between 0 and 18446744073709551615.)");
    EXPECT_FALSE(read_value("{\"s64\": 9223372036854775808}", &s).ok);
    EXPECT_EQ(log.errors.back(),
              "The value '9223372036854775808' is out of range. (It must be between -9223372036854775808 and "
              "9223372036854775807.)");
    Parse_Step huge = read_value("{\"s64\": -000123456789012345678901234567890, \"u8\": 1}", &s);
    EXPECT_FALSE(huge.ok);
    EXPECT_EQ(huge.remainder, ", \"u8\": 1}");
    EXPECT_EQ(log.errors.back(),
              "The value '-123456789012345678901234567890' is out of range. (It must be between -9223372036854775808 and "
              "9223372036854775807.)");
    EXPECT_EQ(s.s64, 0);
    EXPECT_EQ(s.u64, 0u);
}

TEST(JsonTypedScalars, FormsTheDestinationCannotHold) {
    Log_Capture log;
    Scalars s{};
    EXPECT_FALSE(read_value("{\"text\": 5}", &s).ok);
    EXPECT_EQ(log.errors.back(), "Cannot parse INTEGER value into type \"string\". Remaining input is:  5}…");
    EXPECT_FALSE(read_value("{\"flag\": \"yes\"}", &s).ok);
    EXPECT_EQ(log.errors.back(), "Cannot parse STRING value into type \"bool\". Remaining input is:  \"yes\"}…");
    EXPECT_FALSE(read_value("{\"s32\": [1]}", &s).ok);
    EXPECT_EQ(log.errors.back(), "Cannot parse ARRAY value into type \"s32\". Remaining input is:  [1]}…");
    EXPECT_FALSE(read_value("{\"record\":true}", &s).ok);
    EXPECT_EQ(log.errors.back(), "Cannot parse BOOL value into type \"Player_Record\". Remaining input is: true}…");
    // Only the first 50 bytes of the rest are quoted.
    EXPECT_FALSE(read_value("{\"flag\": 1, \"padding\": \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"}", &s).ok);
    EXPECT_EQ(log.errors.back(),
              "Cannot parse INTEGER value into type \"bool\". Remaining input is:  1, \"padding\": \"" + std::string(34, 'a') + "…");
    // A mistyped literal and a float without digits.
    Parse_Step literal = read_value("{\"flag\": tru}", &s);
    EXPECT_FALSE(literal.ok);
    EXPECT_EQ(literal.remainder, "tru}");
    EXPECT_EQ(log.errors.back(), "Unexpected token. Expected \"true\" but got: tru}");
    size_t before = log.errors.size();
    Parse_Step no_digits = read_value("{\"f32\": -x}", &s);
    EXPECT_FALSE(no_digits.ok);
    EXPECT_EQ(no_digits.remainder, "-x}");
    EXPECT_EQ(log.errors.size(), before);
}

TEST(JsonTypedScalars, PointersGetAFreshPointee) {
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    Scalars s{};
    EXPECT_TRUE(read_value("{\"pointer\": 42}", &s).ok);
    ASSERT_NE(s.pointer, nullptr);
    EXPECT_EQ(*s.pointer, 42);
    EXPECT_EQ(tracking.live_count(), 1u);
}

TEST(JsonTypedScalars, GenericSlots) {
    Log_Capture log;
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    Generic_Slots slots{};
    EXPECT_TRUE(read_value("{\"value\": 5}", &slots).ok);
    EXPECT_EQ(slots.value.type, JSON_Type::NUMBER);
    EXPECT_EQ(slots.value.number, 5);
    EXPECT_TRUE(read_value("{\"value\": \"s\"}", &slots).ok);
    EXPECT_EQ(slots.value.type, JSON_Type::STRING);
    EXPECT_EQ(slots.value.str, "s");
    EXPECT_TRUE(read_value("{\"value\": true}", &slots).ok);
    EXPECT_EQ(slots.value.type, JSON_Type::BOOLEAN);
    EXPECT_TRUE(read_value("{\"value\": null}", &slots).ok);
    EXPECT_EQ(slots.value.type, JSON_Type::BOOLEAN);
    EXPECT_EQ(log.errors.back(), "Found NULL value for non-pointer type \"JSON_Value\" of field \"value\". Keeping default value instead.");
    EXPECT_TRUE(read_value("{\"value\": [1, {\"k\": []}], \"pointer\": {\"b\": 2, \"a\": \"x\"}}", &slots).ok);
    ASSERT_EQ(slots.value.type, JSON_Type::ARRAY);
    EXPECT_EQ(slots.value.array.count, 2);
    ASSERT_NE(slots.pointer, nullptr);
    ASSERT_EQ(slots.pointer->type, JSON_Type::OBJECT);
    EXPECT_EQ(slots.pointer->object->count, 2);
    String text = json_write_string(slots, "", nullptr, nullptr, 1);
    EXPECT_EQ(text_of(text), "{\"value\": [1,{\"k\": []}],\"pointer\": {\"a\": \"x\",\"b\": 2}}");
    free_string(&text);
    EXPECT_TRUE(read_value("{\"pointer\": null}", &slots).ok);
    EXPECT_EQ(slots.pointer, nullptr);
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedEnums, NamesAndQualifiers) {
    Log_Capture log;
    Enum_Record e{};
    for (std::string_view name : {"\"RED\"", "\" RED \"", "\".RED\"", "\"Shade.RED\"", "\"\\u0052ED\"", "1"}) {
        e.shade = Shade::GREEN;
        Parse_Step step = parse_value(name, &e.shade, type_of<Shade>(), true, {}, rename_by_note, 1);
        EXPECT_TRUE(step.ok) << name;
        EXPECT_EQ(e.shade, Shade::RED) << name;
    }
    EXPECT_TRUE(log.errors.empty());
    EXPECT_FALSE(parse_value("\"red\"", &e.shade, type_of<Shade>(), true, {}, rename_by_note, 1).ok);
    EXPECT_EQ(log.errors.back(), "Enum \"Shade\" does not contain a member named \"red\".");
    EXPECT_FALSE(parse_value("\"Shade.\"", &e.shade, type_of<Shade>(), true, {}, rename_by_note, 1).ok);
    EXPECT_EQ(log.errors.back(), "Enum \"Shade\" does not contain a member named \"\".");
    EXPECT_FALSE(parse_value("\"shade.RED\"", &e.shade, type_of<Shade>(), true, {}, rename_by_note, 1).ok);
    EXPECT_EQ(log.errors.back(), "Enum \"Shade\" does not contain a member named \"shade.RED\".");
    EXPECT_EQ(e.shade, Shade::RED);
    Parse_Step bad_range = parse_value("300", &e.shade, type_of<Shade>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(bad_range.ok);
    EXPECT_EQ(log.errors.back(), "The value '300' is out of range. (It must be between 0 and 255.)");
    EXPECT_TRUE(read_value("{\"signed_shade\": \"DARK\"}", &e).ok);
    EXPECT_EQ(e.signed_shade, Signed_Shade::DARK);
}

TEST(JsonTypedEnums, FlagsJoinedByBars) {
    Log_Capture log;
    Enum_Record e{};
    Parse_Step step = read_value("{\"mode\": \"MODE_A|MODE_B\"} tail", &e);
    EXPECT_TRUE(step.ok);
    EXPECT_EQ(step.remainder, " tail");
    EXPECT_EQ(e.mode, MODE_A | MODE_B);
    e.mode = Mode(0);
    EXPECT_TRUE(read_value("{\"mode\": \" MODE_A | Mode.MODE_B \"}", &e).ok);
    EXPECT_EQ(e.mode, 5);
    EXPECT_TRUE(log.errors.empty());

    e.mode = MODE_B;
    EXPECT_FALSE(read_value("{\"mode\": \"MODE_A|\"}", &e).ok);
    EXPECT_EQ(log.errors.back(), "Enum \"Mode\" does not contain a member named \"\".");
    EXPECT_FALSE(read_value("{\"mode\": \"\"}", &e).ok);
    log.errors.clear();
    Parse_Step bad = parse_value("\"MODE_A|X|Y\",", &e.mode, type_of<Mode>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.remainder, ",");
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_EQ(log.errors[0], "Enum \"Mode\" does not contain a member named \"X\".");
    EXPECT_EQ(log.errors[1], "Enum \"Mode\" does not contain a member named \"Y\".");
    EXPECT_EQ(e.mode, MODE_B);
}

TEST(JsonTypedEnums, UnsignedSixtyFourBitTopBit) {
    Enum_Record e{};
    EXPECT_TRUE(read_value("{\"wide\": \"SMALL | TOP\"}", &e).ok);
    EXPECT_EQ(uint64_t(e.wide), 0x8000000000000001ull);
    e.wide = Wide(0);
    EXPECT_TRUE(read_value("{\"wide\": 9223372036854775808}", &e).ok);
    EXPECT_EQ(e.wide, TOP);
    String text = json_write_string(e, "", nullptr, nullptr, 1);
    EXPECT_NE(text.view().find("\"wide\": \"TOP\""), std::string_view::npos);
    free_string(&text);
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedArrays, EmptyArraysOfEachKind) {
    Log_Capture log;
    Array_Record a{};
    a.fixed[0] = 9;
    EXPECT_TRUE(read_value("{\"view\": [], \"resizable\": [ \n ]}", &a).ok);
    EXPECT_EQ(a.view.count, 0);
    EXPECT_EQ(a.view.data, nullptr);
    EXPECT_EQ(a.resizable.count, 0);
    EXPECT_EQ(a.resizable.data, nullptr);
    EXPECT_EQ(a.resizable.allocator, nullptr);
    EXPECT_TRUE(log.errors.empty());

    int32_t zero_sized[1];
    const Type_Info_Array zero_fixed{{Type_Info_Tag::ARRAY, 0}, type_of<int32_t>(), Array_Type::FIXED, 0};
    EXPECT_TRUE(parse_value("[]", zero_sized, &zero_fixed, true, {}, rename_by_note, 1).ok);
    Parse_Step too_few = read_value("{\"fixed\": []}", &a);
    EXPECT_FALSE(too_few.ok);
    EXPECT_EQ(too_few.remainder, "}");
    EXPECT_EQ(log.errors.back(), "Expected array of size 3, but found array of size 0.\n");
    EXPECT_EQ(a.fixed[0], 0);
}

TEST(JsonTypedArrays, ElementsOfEachKind) {
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    Array_Record a{};
    EXPECT_TRUE(read_value("{\"view\": [ 1 ,2 , 3 ], \"fixed\": [4,5,6], \"resizable\": "
                           "[{\"a\": 1}, {}, {\"b\": 2, \"a\": 3}, {}, {}, {}, {}, {}, {}]}",
                           &a)
                    .ok);
    ASSERT_EQ(a.view.count, 3);
    EXPECT_EQ(a.view[2], 3);
    EXPECT_EQ(a.fixed[0], 4);
    EXPECT_EQ(a.fixed[2], 6);
    ASSERT_EQ(a.resizable.count, 9);
    EXPECT_EQ(a.resizable.allocated, 16);
    EXPECT_EQ(a.resizable.allocator, &tracking);
    // Elements start from their record's defaults.
    EXPECT_EQ(a.resizable[0].a, 1);
    EXPECT_EQ(a.resizable[0].b, 6);
    EXPECT_EQ(a.resizable[1].a, 5);
    EXPECT_EQ(a.resizable[2].a, 3);
    EXPECT_EQ(a.resizable[2].b, 2);
    array_reset(&a.resizable);  // owned storage goes back with its own size and alignment
    tracking.deallocate(a.view.data, 8 * sizeof(int32_t), alignof(int32_t));
    EXPECT_EQ(tracking.live_count(), 0u);
}

TEST(JsonTypedArrays, MalformedArraysAndTheirRemainders) {
    Log_Capture log;
    Tracking_Resource tracking;  // each failed read hands its elements to the view
    Push_Allocator use(&tracking);
    Array_Record a{};
    Parse_Step trailing_comma = parse_value("[1,] x", &a.view, type_of<Array_View<int32_t>>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(trailing_comma.ok);
    EXPECT_EQ(trailing_comma.remainder, " x");
    Parse_Step missing_comma = parse_value("[1 2]", &a.view, type_of<Array_View<int32_t>>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(missing_comma.ok);
    EXPECT_EQ(missing_comma.remainder, "2]");
    EXPECT_TRUE(log.errors.empty());
    Parse_Step leading_comma = parse_value("[,1]", &a.view, type_of<Array_View<int32_t>>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(leading_comma.ok);
    EXPECT_EQ(log.errors.back(), "Could not parse \",1]\" as an integer.");
    EXPECT_EQ(a.view.count, 1);  // the half-read element stays counted
    Parse_Step open = parse_value("[1, 2", &a.view, type_of<Array_View<int32_t>>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.remainder, "");
    EXPECT_EQ(a.view.count, 2);
    Parse_Step comma_at_end = parse_value("[1,", &a.view, type_of<Array_View<int32_t>>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(comma_at_end.ok);
    EXPECT_EQ(comma_at_end.remainder, "");
    Parse_Step bracket_only = parse_value("[ ", &a.view, type_of<Array_View<int32_t>>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(bracket_only.ok);
    EXPECT_EQ(bracket_only.remainder, "");

    Parse_Step too_many = read_value("{\"fixed\": [1,2,3,4]}", &a);
    EXPECT_FALSE(too_many.ok);
    EXPECT_EQ(too_many.remainder, "4]}");
    EXPECT_EQ(log.errors.back(), "Expected array of size 3, but found array of with at least 4 elements\n");
    EXPECT_EQ(a.fixed[0], 1);
    EXPECT_EQ(a.fixed[2], 3);
}

TEST(JsonTypedArrays, ReadPastWithoutDestination) {
    Log_Capture log;
    Player_Record p{};
    EXPECT_TRUE(read_value("{\"skip\": [[1, [2, {\"x\": [3, \"s\"]}]], {\"y\": {}}, null], \"position\": {\"x\": 8}}", &p).ok);
    EXPECT_EQ(p.position.x, 8);
    Parse_Step trailing_comma = read_value("{\"skip\": [1,]}", &p);
    EXPECT_FALSE(trailing_comma.ok);
    EXPECT_EQ(trailing_comma.remainder, "]}");
    Parse_Step missing_comma = read_value("{\"skip\": [1 2]}", &p);
    EXPECT_FALSE(missing_comma.ok);
    EXPECT_EQ(missing_comma.remainder, "2]}");
    EXPECT_TRUE(log.errors.empty());
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedObjects, EmptyAndOpenObjects) {
    Log_Capture log;
    Colliding c{1, 2};
    // No member table is built for an empty object, so colliding keys don't matter here.
    EXPECT_TRUE(read<Colliding>("{ \t\r\n}").success);
    EXPECT_TRUE(read_value("{}", &c).ok);
    EXPECT_EQ(c.first, 1);
    Parse_Step open = read_value("{ \n ", &c);
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.remainder, "");
    EXPECT_TRUE(log.errors.empty());
}

TEST(JsonTypedObjects, SeparatorsAndTheirFailures) {
    Log_Capture log;
    Scalars s{};
    EXPECT_TRUE(read_value("{ \"s32\" : 1 , \"u8\" :2 }", &s).ok);
    EXPECT_EQ(s.s32, 1);
    EXPECT_EQ(s.u8, 2);
    Parse_Step comma_brace = read_value("{\"s32\":1,}", &s);
    EXPECT_FALSE(comma_brace.ok);
    EXPECT_EQ(comma_brace.remainder, "}");
    Parse_Step no_comma = read_value("{\"s32\":1 \"u8\":2}", &s);
    EXPECT_FALSE(no_comma.ok);
    EXPECT_EQ(no_comma.remainder, "\"u8\":2}");
    Parse_Step no_colon = read_value("{\"s32\" 1}", &s);
    EXPECT_FALSE(no_colon.ok);
    EXPECT_EQ(no_colon.remainder, "1}");
    Parse_Step bad_key = read_value("{\"s\\x\": 1}", &s);
    EXPECT_FALSE(bad_key.ok);
    EXPECT_EQ(bad_key.remainder, "\"s\\x\": 1}");
    Parse_Step unquoted = read_value("{s32: 1}", &s);
    EXPECT_FALSE(unquoted.ok);
    EXPECT_EQ(unquoted.remainder, "s32: 1}");
    Parse_Step open = read_value("{\"s32\": 1", &s);
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.remainder, "");
    EXPECT_TRUE(log.errors.empty());
}

TEST(JsonTypedObjects, KeysAndMembers) {
    Log_Capture log;
    Keyed k{{0}, 0, 0, 0};
    EXPECT_TRUE(read_value("{\"u\": {\"v\": 1}}", &k).ok);
    EXPECT_EQ(k.u.v, 1);
    EXPECT_TRUE(read_value("{\"v\": 2, \"alias\": 3, \"plain\": 4, \"plain\": 5}", &k).ok);
    EXPECT_EQ(k.u.v, 2);
    EXPECT_EQ(k.renamed, 3);
    EXPECT_EQ(k.plain, 5);  // the later of two equal keys stays
    // Neither a constant's name nor a renamed member's declared name names a member.
    EXPECT_TRUE(read_value("{\"constant\": 7, \"renamed\": 8}", &k).ok);
    EXPECT_EQ(k.constant, 0);
    EXPECT_EQ(k.renamed, 3);
    EXPECT_TRUE(log.errors.empty());

    auto strict = read<Keyed>("{\"plain\": 1, \"renamed\": 8}", 1, false);
    EXPECT_FALSE(strict.success);
    EXPECT_EQ(strict.result.plain, 1);
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], "Missing member renamed in Keyed");
    Parse_Step strict_step = parse_value("{\"nope\": {\"deep\": 1}}", &k, type_of<Keyed>(), false, {}, rename_by_note, 1);
    EXPECT_FALSE(strict_step.ok);
    EXPECT_EQ(strict_step.remainder, ": {\"deep\": 1}}");
}

TEST(JsonTypedObjects, AbsentMembersKeepTheirBytes) {
    Scalars s{};
    s.s64 = 77;
    s.record.position = {1, 2};
    EXPECT_TRUE(read_value("{\"record\": {\"position\": {\"y\": 5}}}", &s).ok);
    EXPECT_EQ(s.s64, 77);
    EXPECT_EQ(s.record.position.x, 1);
    EXPECT_EQ(s.record.position.y, 5);
}

TEST(JsonTypedObjectsDeath, CollidingKeysStopTheProgram) {
    EXPECT_DEATH(read<Colliding>("{\"first\": 1}"), "Redeclaration of member \"first\"");
}

// ---------------------------------------------------------------------------------------------

std::string nested(int levels, std::string_view open, std::string_view inner, std::string_view close) {
    std::string text;
    for (int i = 0; i < levels; i++) text += open;
    text += inner;
    for (int i = 0; i < levels; i++) text += close;
    return text;
}

TEST(JsonTypedSafety, NestingDepthIsBounded) {
    Log_Capture log;
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    Player_Record p{};
    EXPECT_TRUE(read_value("{\"skip\": " + nested(510, "[", "1", "]") + "}", &p).ok);
    EXPECT_TRUE(log.errors.empty());
    EXPECT_FALSE(read_value("{\"skip\": " + nested(100000, "[", "", "]") + "}", &p).ok);
    EXPECT_FALSE(read_value("{\"skip\": " + nested(100000, "{\"a\":", "1", "}") + "}", &p).ok);
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_EQ(log.errors[0].rfind("JSON nested deeper than 512 levels of arrays and objects at: [[[", 0), 0u);
    Generic_Slots slots{};
    EXPECT_FALSE(read_value("{\"value\": " + nested(100000, "[", "", "]") + "}", &slots).ok);
    EXPECT_EQ(log.errors.size(), 3u);
}

TEST(JsonTypedSafety, NothingLeaksOnSuccessOrFailure) {
    Log_Capture log;
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    for (std::string_view text : {
             "{\"header\": {\"version\": 1}, \"state\": {\"saved_at\": \"a\\nb\", \"time\": {\"month\": \"M\"}}}",
             "{\"st\\u0061te\": {\"t\\u0069me\": {\"month\": \"\\u00e9\", \"x\": \"skipped\\t\"}}, \"\\u0078\": [\"s\"]}",
             "{\"state\": {\"saved_at\": \"a\", \"time\": {\"month\": 5}}}",
             "{\"state\": {\"saved_at\": \"a\", \"time\": {\"month\": \"M\", \"days\": \"x\"}}}",
             "{\"state\": {\"time\": {\"month\": \"M\\q\"}}}",
             "{\"state\": {\"unknown\": {\"k\": [\"v\", \"w\"], \"k\\n\": 1",
             "{\"header\": {\"checksum\": -1}}",
         }) {
        auto [save, ok] = read<Save_Record>(text);
        free_string(&save.state.saved_at);
        free_string(&save.state.time.month);
        EXPECT_EQ(tracking.live_count(), 0u) << text;
    }
}

}  // namespace
