#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

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

enum class Shade : uint8_t { ROSE = 1, MINT = 2, NAVY = 200 };
DESCRIBE_ENUM(Shade, ROSE, MINT, NAVY);

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

// A failing read: where it stops and the one message it logs (none when empty).
struct Failure {
    std::string_view text;
    std::string_view remainder;
    std::string message;
};

template <typename T>
void expect_failures(std::initializer_list<Failure> failures, uint64_t flags = 1) {
    Tracking_Resource tracking;  // failed reads hand over what they stored
    Push_Allocator use(&tracking);
    for (const Failure& f : failures) {
        Log_Capture log;
        T destination{};
        Parse_Step step = read_value(f.text, &destination, flags);
        EXPECT_FALSE(step.ok) << f.text;
        EXPECT_EQ(step.remainder, f.remainder) << f.text;
        if (f.message.empty()) {
            EXPECT_TRUE(log.errors.empty()) << f.text << ": " << (log.errors.empty() ? "" : log.errors[0]);
        } else {
            EXPECT_EQ(log.errors, std::vector<std::string>{f.message}) << f.text;
        }
    }
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedEntry, SaveReadsBackWhatWasWritten) {
    String text = json_write_string(example_save(), "\t", member_has_ignore_note, rename_by_note, 1);
    auto [save, ok] = read<Save_Record>(text);
    ASSERT_TRUE(ok);
    String again = json_write_string(save, "\t", member_has_ignore_note, rename_by_note, 1);
    EXPECT_EQ(text_of(again), text_of(text));
    EXPECT_EQ(save.header.checksum, 3000000000u);
    for (String* s : {&text, &again, &save.state.saved_at, &save.state.time.month}) free_string(s);
}

TEST(JsonTypedEntry, SaveWithCrLfReorderedAndExtraKeys) {
    auto [save, ok] = read<Save_Record>(
        "\r\n {\"state\": {\"time\": {\"month\": \"Winter\", \"extra\": [1, {\"a\": [true, null]}], \"days\": 9},\r\n"
        " \"comment\": \"x\\ny\"}, \"header\": {\"checksum\": 7, \"version\": 2.5}, \"more\": {}}\r\n\t ");
    ASSERT_TRUE(ok);
    EXPECT_EQ(save.header.checksum, 7u);
    EXPECT_EQ(save.header.version, 2.5f);
    EXPECT_EQ(save.state.time.days, 9);
    EXPECT_EQ(save.state.time.month, "Winter");
    free_string(&save.state.time.month);
}

TEST(JsonTypedEntry, TrailingTextAndEmptyText) {
    Log_Capture log;
    EXPECT_FALSE(read<Player_Record>("").success);
    EXPECT_FALSE(read<Player_Record>("  \n").success);
    EXPECT_TRUE(log.errors.empty());
    auto trailing = read<Player_Record>("{\"position\": {\"x\": 1, \"y\": 2}} \n x,");
    EXPECT_FALSE(trailing.success);
    EXPECT_EQ(trailing.result.position.y, 2);  // what was read stays
    EXPECT_EQ(log.errors, std::vector<std::string>{"Unexpected trailing characters: x,"});
}

TEST(JsonTypedEntry, Files) {
    Log_Capture log;
    // A folder of its own: other checkouts may run these tests at the same time.
    auto dir = std::filesystem::temp_directory_path() / ("quol_json_test_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    std::string empty = (dir / "empty.json").string();
    std::ofstream(empty).close();
    EXPECT_FALSE(json_parse_file<Player_Record>(empty, true, rename_by_note, 1).success);
    EXPECT_TRUE(log.errors.empty());
    std::string good = (dir / "good.json").string();
    std::ofstream(good) << "{\"position\": {\"x\": 3, \"y\": 4}}\n";
    EXPECT_EQ(json_parse_file<Player_Record>(good, true, rename_by_note, 1).result.position.x, 3);
    std::string missing = (dir / "missing.json").string();
    EXPECT_FALSE(json_parse_file<Player_Record>(missing, true, rename_by_note, 1).success);
    ASSERT_EQ(log.errors.size(), 2u);
    EXPECT_TRUE(log.errors[0].starts_with("Could not open file \"" + missing + "\": code "));
    EXPECT_EQ(log.errors[1], "Could not read file: " + missing);
    std::filesystem::remove_all(dir);
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedScalars, NullByDestination) {
    Log_Capture log;
    Scalars s{};
    s.f32 = 1;
    s.text = "kept";
    int32_t target = 0;
    s.pointer = &target;
    EXPECT_TRUE(read_value("{\"f32\": null, \"pointer\": null, \"text\": null, \"record\": null, \"f64\": null}", &s).ok);
    EXPECT_TRUE(std::isnan(s.f32) && std::isnan(s.f64));
    EXPECT_EQ(s.pointer, nullptr);
    EXPECT_EQ(s.text, "kept");
    s.f32 = 1;
    EXPECT_TRUE(read_value("{\"f32\": null}", &s, 0).ok);
    EXPECT_EQ(s.f32, 1);
    EXPECT_EQ(log.errors, (std::vector<std::string>{
                              "Found NULL value for non-pointer type \"string\" of field \"text\". Keeping default value instead.",
                              "Found NULL value for non-pointer type \"Player_Record\" of field \"record\". Keeping default value instead.",
                              "Found NULL value for non-pointer type \"float32\" of field \"f32\". Keeping default value instead."}));
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
    EXPECT_EQ(log.errors, std::vector<std::string>{"Found unsupported string value \"infinity\" for field \"f32\" of type float32."});
}

TEST(JsonTypedScalars, NumbersAtTheEdgesOfTheirTypes) {
    Scalars s{};
    EXPECT_TRUE(read_value("{\"s32\":\n-2147483648, \"u8\": 255, \"s64\": - 5, \"u64\": 18446744073709551615,"
                           " \"f32\": 1e39, \"f64\": -1e400}",
                           &s)
                    .ok);
    EXPECT_EQ(s.s32, std::numeric_limits<int32_t>::min());
    EXPECT_EQ(s.u8, 255);
    EXPECT_EQ(s.s64, -5);
    EXPECT_EQ(s.u64, std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(s.f32, std::numeric_limits<float>::infinity());
    EXPECT_EQ(s.f64, -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(read_value("{\"s64\": -9223372036854775808, \"f32\": -3.4028235e38}", &s).ok);
    EXPECT_EQ(s.s64, std::numeric_limits<int64_t>::min());
    EXPECT_EQ(s.f32, -std::numeric_limits<float>::max());
    // 12.5 stores its digits before the point, then the object fails at the point.
    EXPECT_FALSE(read_value("{\"s32\": 12.5}", &s).ok);
    EXPECT_EQ(s.s32, 12);
}

TEST(JsonTypedScalars, FailuresWithTheirRemaindersAndMessages) {
    const std::string padding(34, 'a');
    expect_failures<Scalars>({
        {"{\"u8\": 300}", "}", "The value '300' is out of range. (It must be between 0 and 255.)"},
        {"{\"u8\": -1}", "-1}", "Could not parse \"-1}\" as an unsigned integer."},
        {"{\"s32\": x}", "x}", "Could not parse \"x}\" as an integer."},
        {"{\"s32\": 12.5}", ".5}", ""},
        {"{\"s32\": 2147483648}", "}", "The value '2147483648' is out of range. (It must be between -2147483648 and 2147483647.)"},
        // Digits beyond 64 bits are rejected, never wrapped.
        {"{\"u64\": 18446744073709551616}", "}",
         "The value '18446744073709551616' is out of range. (It must be between 0 and 18446744073709551615.)"},
        {"{\"s64\": 9223372036854775808}", "}",
         "The value '9223372036854775808' is out of range. (It must be between -9223372036854775808 and 9223372036854775807.)"},
        {"{\"s64\": -000123456789012345678901234567890, \"u8\": 1}", ", \"u8\": 1}",
         "The value '-123456789012345678901234567890' is out of range. (It must be between -9223372036854775808 and "
         "9223372036854775807.)"},
        {"{\"text\": 5}", "5}", "Cannot parse INTEGER value into type \"string\". Remaining input is:  5}…"},
        {"{\"flag\": \"yes\"}", "\"yes\"}", "Cannot parse STRING value into type \"bool\". Remaining input is:  \"yes\"}…"},
        {"{\"f32\": \"NaN\"}", "\"NaN\"}", "Cannot parse STRING value into type \"float32\". Remaining input is:  \"NaN\"}…"},
        {"{\"s32\": [1]}", "[1]}", "Cannot parse ARRAY value into type \"s32\". Remaining input is:  [1]}…"},
        {"{\"record\":true}", "true}", "Cannot parse BOOL value into type \"Player_Record\". Remaining input is: true}…"},
        {"{\"pointer\": {}}", "{}}", "Cannot parse STRUCT value into type \"*s32\". Remaining input is:  {}}…"},
        {"{\"flag\": 1, \"padding\": \"" + padding + "\"}", "1, \"padding\": \"" + padding + "\"}",
         "Cannot parse INTEGER value into type \"bool\". Remaining input is:  1, \"padding\": \"" + padding + "…"},
        {"{\"flag\": tru}", "tru}", "Unexpected token. Expected \"true\" but got: tru}"},
        {"{\"f32\": -x}", "-x}", ""},
        {"{\"text\": \"\\q\"}", "\"\\q\"}", ""},
        {"{\"f32\": ", "", ""},
    });
}

TEST(JsonTypedScalars, PointersAndGenericSlots) {
    Log_Capture log;
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    Scalars s{};
    EXPECT_TRUE(read_value("{\"pointer\": 42}", &s).ok);
    ASSERT_NE(s.pointer, nullptr);
    EXPECT_EQ(*s.pointer, 42);

    Generic_Slots slots{};
    EXPECT_TRUE(read_value("{\"value\": 5}", &slots).ok);
    EXPECT_EQ(slots.value.type, JSON_Type::NUMBER);
    EXPECT_EQ(slots.value.number, 5);
    EXPECT_TRUE(read_value("{\"value\": \"s\"}", &slots).ok);
    EXPECT_EQ(slots.value.str, "s");
    EXPECT_TRUE(read_value("{\"value\": true}", &slots).ok);
    EXPECT_EQ(slots.value.type, JSON_Type::BOOLEAN);
    EXPECT_TRUE(read_value("{\"value\": null}", &slots).ok);
    EXPECT_EQ(slots.value.type, JSON_Type::BOOLEAN);
    EXPECT_EQ(log.errors, std::vector<std::string>{"Found NULL value for non-pointer type \"JSON_Value\" of field \"value\". "
                                                   "Keeping default value instead."});
    EXPECT_TRUE(read_value("{\"value\": [1, {\"k\": []}], \"pointer\": {\"b\": 2, \"a\": \"x\"}}", &slots).ok);
    String text = json_write_string(slots, "", nullptr, nullptr, 1);
    EXPECT_EQ(text_of(text), "{\"value\": [1,{\"k\": []}],\"pointer\": {\"a\": \"x\",\"b\": 2}}");
    free_string(&text);
    EXPECT_TRUE(read_value("{\"pointer\": null}", &slots).ok);
    EXPECT_EQ(slots.pointer, nullptr);
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedEnums, NamesQualifiersAndNumbers) {
    Log_Capture log;
    for (std::string_view name : {"\"ROSE\"", "\" ROSE \"", "\".ROSE\"", "\"Shade.ROSE\"", "\"\\u0052OSE\"", "1"}) {
        Shade shade = Shade::MINT;
        EXPECT_TRUE(parse_value(name, &shade, type_of<Shade>(), true, {}, rename_by_note, 1).ok) << name;
        EXPECT_EQ(shade, Shade::ROSE) << name;
    }
    Enum_Record e{};
    EXPECT_TRUE(read_value("{\"signed_shade\": \"DARK\", \"mode\": \" MODE_A | Mode.MODE_B \"}", &e).ok);
    EXPECT_EQ(e.signed_shade, Signed_Shade::DARK);
    EXPECT_EQ(e.mode, MODE_A | MODE_B);
    // An unsigned 64-bit value with the top bit set is held as a negative number in the
    // description; it must still fit and be stored whole.
    EXPECT_TRUE(read_value("{\"wide\": \"SMALL|TOP\"}", &e).ok);
    EXPECT_EQ(uint64_t(e.wide), 0x8000000000000001ull);
    EXPECT_TRUE(read_value("{\"wide\": 9223372036854775808}", &e).ok);
    EXPECT_EQ(e.wide, TOP);
    EXPECT_TRUE(log.errors.empty());
}

TEST(JsonTypedEnums, Failures) {
    auto no_member = [](std::string_view enumeration, std::string_view name) {
        return "Enum \"" + std::string(enumeration) + "\" does not contain a member named \"" + std::string(name) + "\".";
    };
    expect_failures<Enum_Record>({
        {"{\"shade\": \"rose\"}", "}", no_member("Shade", "rose")},
        {"{\"shade\": \"Shade.\"}", "}", no_member("Shade", "")},
        {"{\"shade\": \"shade.ROSE\"}", "}", no_member("Shade", "shade.ROSE")},
        {"{\"shade\": 300}", "}", "The value '300' is out of range. (It must be between 0 and 255.)"},
        {"{\"mode\": \"MODE_A|\"}", "}", no_member("Mode", "")},
        {"{\"mode\": \"\"}", "}", no_member("Mode", "")},
        {"{\"shade\": \"ROSE", "\"ROSE", ""},
    });
    Log_Capture log;
    Mode mode = MODE_B;
    Parse_Step step = parse_value("\"MODE_A|X|Y\",", &mode, type_of<Mode>(), true, {}, rename_by_note, 1);
    EXPECT_FALSE(step.ok);
    EXPECT_EQ(step.remainder, ",");
    EXPECT_EQ(log.errors, (std::vector<std::string>{no_member("Mode", "X"), no_member("Mode", "Y")}));
    EXPECT_EQ(mode, MODE_B);  // written only on success
}

// ---------------------------------------------------------------------------------------------

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
    EXPECT_EQ(a.fixed[2], 6);
    ASSERT_EQ(a.resizable.count, 9);
    EXPECT_EQ(a.resizable.allocated, 16);
    EXPECT_EQ(a.resizable.allocator, &tracking);
    // Elements start from their record's defaults.
    EXPECT_EQ(a.resizable[0].b, 6);
    EXPECT_EQ(a.resizable[1].a, 5);
    EXPECT_EQ(a.resizable[2].a, 3);
    array_reset(&a.resizable);  // owned storage goes back with its own size and alignment
    tracking.deallocate(a.view.data, 8 * sizeof(int32_t), alignof(int32_t));
    EXPECT_EQ(tracking.live_count(), 0u);

    EXPECT_TRUE(read_value("{\"view\": [], \"resizable\": [ \n ]}", &a).ok);
    EXPECT_EQ(a.view.data, nullptr);
    EXPECT_EQ(a.resizable.data, nullptr);
    EXPECT_EQ(a.resizable.allocator, nullptr);
    int32_t zero_sized[1];
    const Type_Info_Array zero_fixed{{Type_Info_Tag::ARRAY, 0}, type_of<int32_t>(), Array_Type::FIXED, 0};
    EXPECT_TRUE(parse_value("[]", zero_sized, &zero_fixed, true, {}, rename_by_note, 1).ok);
}

TEST(JsonTypedArrays, Failures) {
    expect_failures<Array_Record>({
        {"{\"view\": [1,] x}", " x}", ""},
        {"{\"view\": [1 2]}", "2]}", ""},
        {"{\"view\": [,1]}", ",1]}", "Could not parse \",1]}\" as an integer."},
        {"{\"view\": [1, 2", "", ""},
        {"{\"view\": [1,", "", ""},
        {"{\"view\": [ ", "", ""},
        {"{\"fixed\": [1,2,3,4]}", "4]}", "Expected array of size 3, but found array of with at least 4 elements\n"},
        {"{\"fixed\": []}", "}", "Expected array of size 3, but found array of size 0.\n"},
        // Without a destination the array is read past, and [1,] fails in the value reader.
        {"{\"skip\": [1,]}", "]}", ""},
        {"{\"skip\": [1 2]}", "2]}", ""},
    });
    Log_Capture log;
    Tracking_Resource tracking;
    Push_Allocator use(&tracking);
    Array_Record a{};
    a.fixed[0] = 9;
    EXPECT_FALSE(read_value("{\"fixed\": [1,2,3,4]}", &a).ok);
    EXPECT_EQ(a.fixed[2], 3);
    EXPECT_FALSE(read_value("{\"fixed\": [7]}", &a).ok);
    EXPECT_EQ(a.fixed[0], 7);
    EXPECT_EQ(a.fixed[1], 0);  // filled up with defaults
    EXPECT_FALSE(read_value("{\"view\": [1, 2, x]}", &a).ok);
    EXPECT_EQ(a.view.count, 3);  // the half-read element stays counted
}

// ---------------------------------------------------------------------------------------------

TEST(JsonTypedObjects, KeysAndMembers) {
    Log_Capture log;
    Keyed k{{0}, 0, 0, 0};
    EXPECT_TRUE(read_value("{ \t\r\n}", &k).ok);
    EXPECT_TRUE(read_value("{\"u\": {\"v\": 1}}", &k).ok);
    EXPECT_EQ(k.u.v, 1);
    EXPECT_TRUE(read_value("{ \"v\" : 2 , \"alias\" :3, \"plain\": 4, \"plain\": 5}", &k).ok);
    EXPECT_EQ(k.u.v, 2);
    EXPECT_EQ(k.renamed, 3);
    EXPECT_EQ(k.plain, 5);  // the later of two equal keys stays
    // Neither a constant's name nor a renamed member's declared name names a member; anything
    // under an unknown key is read past.
    EXPECT_TRUE(read_value("{\"constant\": 7, \"renamed\": 8, \"skip\": [[1, [2, {\"x\": [3, \"s\"]}]], {\"y\": {}}]}", &k).ok);
    EXPECT_EQ(k.constant, 0);
    EXPECT_EQ(k.renamed, 3);
    EXPECT_EQ(k.plain, 5);  // absent members keep their bytes
    EXPECT_TRUE(log.errors.empty());
    // An empty object builds no member table, so colliding keys don't matter there.
    EXPECT_TRUE(read<Colliding>(" {\n} ").success);
}

TEST(JsonTypedObjects, Failures) {
    expect_failures<Keyed>({
        {"{ \n ", "", ""},
        {"{\"plain\":1,}", "}", ""},
        {"{\"plain\":1 \"v\":2}", "\"v\":2}", ""},
        {"{\"plain\" 1}", "1}", ""},
        {"{\"p\\x\": 1}", "\"p\\x\": 1}", ""},
        {"{plain: 1}", "plain: 1}", ""},
        {"{\"plain\": 1", "", ""},
        {"{\"plain\": \"x", "\"x", ""},
    });
    Log_Capture log;
    auto strict = read<Keyed>("{\"plain\": 1, \"renamed\": {\"deep\": 1}}", 1, false);
    EXPECT_FALSE(strict.success);
    EXPECT_EQ(strict.result.plain, 1);
    EXPECT_EQ(log.errors, std::vector<std::string>{"Missing member renamed in Keyed"});
    Keyed k{};
    Parse_Step step = parse_value("{\"nope\": 1}", &k, type_of<Keyed>(), false, {}, rename_by_note, 1);
    EXPECT_EQ(step.remainder, ": 1}");
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
    Generic_Slots slots{};
    EXPECT_FALSE(read_value("{\"value\": " + nested(100000, "[", "", "]") + "}", &slots).ok);
    ASSERT_EQ(log.errors.size(), 3u);
    EXPECT_TRUE(log.errors[0].starts_with("JSON nested deeper than 512 levels of arrays and objects at: [[["));
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
         }) {
        auto [save, ok] = read<Save_Record>(text);
        free_string(&save.state.saved_at);
        free_string(&save.state.time.month);
        EXPECT_EQ(tracking.live_count(), 0u) << text;
    }
}

}  // namespace
