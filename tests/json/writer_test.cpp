#include <cmath>
#include <limits>

#include "json_test_support.h"
#include "save_records.h"

// Records for the layout rules. Descriptions are specialisations, so they stay at global scope.

struct Empty_Record {};
DESCRIBE_EMPTY_STRUCT(Empty_Record);

struct Holds_Empty {
    Empty_Record inner;
    int32_t after;
};
DESCRIBE_STRUCT(Holds_Empty, inner, after);

struct Arrays {
    int32_t fixed[3];
    Array_View<int32_t> view;
    Resizable_Array<String> resizable;
};
DESCRIBE_STRUCT(Arrays, fixed, view, resizable);

struct Pointers {
    int32_t* none;
    Player_Record* some;
};
DESCRIBE_STRUCT(Pointers, none, some);

struct Noted {
    int32_t first;
    int32_t ignored;
    int32_t renamed;
    int32_t bad_note;
    int32_t two_names;
    int32_t quoted;
};
DESCRIBE_STRUCT_WITH(Noted,
                     (member_notes("ignored", {"Other", "JsonIgnore"}), member_notes("renamed", {"JsonName(k)"}),
                      member_notes("bad_note", {"JsonName()"}), member_notes("two_names", {"JsonName(a)", "JsonName(b)"}),
                      member_notes("quoted", {"JsonName(say \"hi\")"})),
                     first, ignored, renamed, bad_note, two_names, quoted);

struct Only_Ignored {
    int32_t first;
    int32_t last;
};
DESCRIBE_STRUCT_WITH(Only_Ignored, (member_notes("last", {"JsonIgnore"})), first, last);

struct Base {
    int32_t u;
    int32_t v;
};
DESCRIBE_STRUCT(Base, u, v);

struct Flattened {
    int32_t before;
    Base base;
    int32_t constant;
    Base skipped;
    int32_t after;
};
DESCRIBE_STRUCT_WITH(Flattened,
                     (member_flags("base", MEMBER_USING), member_flags("constant", MEMBER_CONSTANT),
                      member_flags("skipped", MEMBER_USING), member_notes("skipped", {"JsonIgnore"})),
                     before, base, constant, skipped, after);

struct Specials {
    float f;
    double d;
};
DESCRIBE_STRUCT(Specials, f, d);

enum class Paint : uint8_t { SCARLET = 1, OLIVE = 2, CRIMSON = 1 };
DESCRIBE_ENUM(Paint, SCARLET, OLIVE, CRIMSON);

enum Access : uint32_t { NO_ACCESS = 0, READ = 1, WRITE = 2, READ_WRITE = 3, EXEC = 4 };
DESCRIBE_FLAGS_ENUM(Access, NO_ACCESS, READ, WRITE, READ_WRITE, EXEC);

enum Bits : uint16_t { LOW = 1, HIGH = 4 };
DESCRIBE_FLAGS_ENUM(Bits, LOW, HIGH);

struct Enums {
    Paint color;
    Access access;
    Bits bits;
};
DESCRIBE_STRUCT(Enums, color, access, bits);

struct With_Value {
    int32_t id;
    JSON_Value extra;
};
DESCRIBE_STRUCT(With_Value, id, extra);

namespace {

template <typename T>
std::string write(const T& value, std::string_view indent = "\t", uint64_t flags = 1) {
    if constexpr (std::is_array_v<T>) {  // a C array can't be passed by value
        String_Builder builder;
        json_write_native(&builder, &value, type_of<T>(), indent, member_has_ignore_note, rename_by_note, flags, 0);
        return std::string(builder_view(&builder));
    }
    String text = json_write_string(value, indent, member_has_ignore_note, rename_by_note, flags);
    std::string result(text.view());
    free_string(&text);
    return result;
}

// The save's text and its checksum text are fixed to the byte.
TEST(JsonWriterSave, GameStateIndentedWithTabs) {
    EXPECT_EQ(write(example_state()),
              "{\n"
              "\t\"saved_at\": \"8/12/2026 - 9:5\",\n"
              "\t\"player\": {\n"
              "\t\t\"position\": {\n"
              "\t\t\t\"x\": 412.5,\n"
              "\t\t\t\"y\": -96.25\n"
              "\t\t}\n"
              "\t},\n"
              "\t\"time\": {\n"
              "\t\t\"night_time\": false,\n"
              "\t\t\"ingame_hours\": 19,\n"
              "\t\t\"ingame_minutes\": 40,\n"
              "\t\t\"days\": 3,\n"
              "\t\t\"month\": \"Summer 2\"\n"
              "\t}\n"
              "}");
}

TEST(JsonWriterSave, GameStateCompact) {
    EXPECT_EQ(write(example_state(), ""),
              "{\"saved_at\": \"8/12/2026 - 9:5\",\"player\": {\"position\": {\"x\": 412.5,\"y\": -96.25}},"
              "\"time\": {\"night_time\": false,\"ingame_hours\": 19,\"ingame_minutes\": 40,\"days\": 3,"
              "\"month\": \"Summer 2\"}}");
}

TEST(JsonWriterSave, GameSaveNestsTheStateOneLevelDeeper) {
    std::string text = write(example_save());
    EXPECT_TRUE(text.starts_with("{\n\t\"header\": {\n\t\t\"version\": 0.1,\n\t\t\"checksum\": 3000000000\n\t},\n"));
    EXPECT_NE(text.find("\t\"state\": {\n\t\t\"saved_at\": \"8/12/2026 - 9:5\",\n\t\t\"player\": {\n\t\t\t\"position\""),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("\"Summer 2\"\n\t\t}\n\t}\n}"));
}

TEST(JsonWriterSave, LongTextsLeaveTheStackBuffer) {
    State_Record state = example_state();
    std::string long_month(10000, 'm');
    state.time.month = String(long_month);
    std::string text = write(state);
    EXPECT_NE(text.find(long_month), std::string::npos);
    EXPECT_EQ(text.back(), '}');
}

TEST(JsonWriterSave, TheFirst4096BytesOfTextNeedNoHeap) {
    State_Record state = example_state();
    state.time.month = "";
    const size_t bare = write(state).size();
    for (size_t length : {size_t(4096), size_t(4097)}) {
        std::string month(length - bare, 'm');
        state.time.month = String(month);
        Tracking_Resource tracking;
        Push_Allocator use(&tracking);
        String text = json_write_string(state, "\t", member_has_ignore_note, rename_by_note, 1);
        EXPECT_EQ(size_t(text.count), length);
        // The result itself, plus one buffer once the call's own storage is full.
        EXPECT_EQ(tracking.allocations, length <= 4096 ? 1u : 2u) << length;
        free_string(&text);
    }
}

TEST(JsonWriterLayout, EmptyRecords) {
    EXPECT_EQ(write(Empty_Record{}), "{\n}");
    EXPECT_EQ(write(Empty_Record{}, ""), "{}");
    EXPECT_EQ(write(Holds_Empty{{}, 5}), "{\n\t\"inner\": {\n\t},\n\t\"after\": 5\n}");
    // A record whose every member is filtered out still closes on its own line.
    EXPECT_EQ(write(Only_Ignored{1, 2}), "{\n\t\"first\": 1\n}");
}

TEST(JsonWriterLayout, ArraysOfEachKind) {
    int32_t numbers[2] = {7, -8};
    String words[1] = {"w"};
    Arrays arrays{{1, 2, 3}, {2, numbers}, {1, words, 1, nullptr}};
    EXPECT_EQ(write(arrays),
              "{\n\t\"fixed\": [\n\t\t1,\n\t\t2,\n\t\t3\n\t],\n\t\"view\": [\n\t\t7,\n\t\t-8\n\t],\n"
              "\t\"resizable\": [\n\t\t\"w\"\n\t]\n}");
    EXPECT_EQ(write(arrays, ""), "{\"fixed\": [1,2,3],\"view\": [7,-8],\"resizable\": [\"w\"]}");

    int32_t three[3] = {1, 2, 3};
    EXPECT_EQ(write(three), "[\n\t1,\n\t2,\n\t3\n]");
    // Empty arrays, and a count without data, still close on a line of their own.
    Arrays empty{{0, 0, 0}, {3, nullptr}, {}};
    EXPECT_EQ(write(empty), "{\n\t\"fixed\": [\n\t\t0,\n\t\t0,\n\t\t0\n\t],\n\t\"view\": [\n\t],\n\t\"resizable\": [\n\t]\n}");
    EXPECT_EQ(write(empty, ""), "{\"fixed\": [0,0,0],\"view\": [],\"resizable\": []}");
}

TEST(JsonWriterLayout, PointersAddNoLevel) {
    Player_Record player{{1, 2}};
    EXPECT_EQ(write(Pointers{nullptr, &player}),
              "{\n\t\"none\": null,\n\t\"some\": {\n\t\t\"position\": {\n\t\t\t\"x\": 1,\n\t\t\t\"y\": 2\n\t\t}\n\t}\n}");
}

TEST(JsonWriterNotes, IgnoreAndRenameNotes) {
    Log_Capture log;
    EXPECT_EQ(write(Noted{1, 2, 3, 4, 5, 6}, ""),
              "{\"first\": 1,\"k\": 3,\"bad_note\": 4,\"a\": 5,\"say \\\"hi\\\"\": 6}");
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], "Invalid JsonName note format. Expected a name in parenthesis, but the note was \"JsonName()\".");
}

TEST(JsonWriterNotes, UsingMembersFlattenAndConstantsAreSkipped) {
    Flattened value{1, {2, 3}, 99, {4, 5}, 6};
    EXPECT_EQ(write(value, ""), "{\"before\": 1,\"u\": 2,\"v\": 3,\"after\": 6}");
    EXPECT_EQ(write(value), "{\n\t\"before\": 1,\n\t\"u\": 2,\n\t\"v\": 3,\n\t\"after\": 6\n}");
}

TEST(JsonWriterNumbers, SpecialFloatsFollowTheFlags) {
    float inf = std::numeric_limits<float>::infinity();
    Specials nan_and_inf{std::nanf(""), -std::numeric_limits<double>::infinity()};
    EXPECT_EQ(write(nan_and_inf, "", 1), "{\"f\": null,\"d\": null}");
    EXPECT_EQ(write(nan_and_inf, "", 0), "{\"f\": null,\"d\": null}");
    EXPECT_EQ(write(nan_and_inf, "", 2), "{\"f\": \"NaN\",\"d\": \"-Infinity\"}");
    EXPECT_EQ(write(Specials{inf, std::nan("")}, "", 2), "{\"f\": \"Infinity\",\"d\": \"NaN\"}");
    // The sign of a NaN is not written.
    EXPECT_EQ(write(Specials{-std::nanf(""), 0}, "", 2), "{\"f\": \"NaN\",\"d\": 0}");
}

TEST(JsonWriterNumbers, FloatTextOfBothWidths) {
    float f32[9] = {0.1f, 1.1f, 100.7f, 800.0f, 412.5f, -96.25f, 123456789.0f, 0.0f, -0.0f};
    EXPECT_EQ(write(f32, ""), "[0.1,1.1,100.699997,800,412.5,-96.25,123456792,0,-0]");
    double f64[7] = {123456789.0, 0.0000001, 1e20, 1.0 / 3.0, 2.0 / 3.0, 0.0078125, -0.0078125};
    EXPECT_EQ(write(f64, ""), "[123456789,0,100000000000000000000,0.333333,0.666667,0.007813,-0.007813]");
    float near_three[2] = {std::nextafter(3.0f, 4.0f), std::nextafter(std::nextafter(3.0f, 4.0f), 4.0f)};
    EXPECT_EQ(write(near_three, ""), "[3,3]");
}

TEST(JsonWriterNumbers, IntegersInFullAtEveryWidth) {
    int64_t s64[2] = {-1, std::numeric_limits<int64_t>::min()};
    uint64_t u64[1] = {std::numeric_limits<uint64_t>::max()};
    int8_t s8[2] = {-128, 127};
    uint32_t u32[1] = {3000000000u};
    EXPECT_EQ(write(s64, "") + write(u64, "") + write(s8, "") + write(u32, ""),
              "[-1,-9223372036854775808][18446744073709551615][-128,127][3000000000]");
}

TEST(JsonWriterNumbers, EnumerationText) {
    EXPECT_EQ(write(Enums{Paint::SCARLET, Access(READ | EXEC), Bits(0)}, ""),
              "{\"color\": \"SCARLET\",\"access\": \"READ | EXEC\",\"bits\": \"0\"}");
    EXPECT_EQ(write(Enums{Paint(7), NO_ACCESS, Bits(LOW | 8)}, ""),
              "{\"color\": \"(enum out of range: 7)\",\"access\": \"NO_ACCESS\",\"bits\": \"LOW | 0x8\"}");
    // READ_WRITE adds no bit once READ and WRITE are named.
    EXPECT_EQ(write(Enums{Paint::OLIVE, Access(READ | WRITE), Bits(16)}, ""),
              "{\"color\": \"OLIVE\",\"access\": \"READ | WRITE\",\"bits\": \"10\"}");
}

TEST(JsonWriterGeneric, JsonValueMemberStandsAtItsDepth) {
    JSON_Value elements[2];
    make_json_number(&elements[0], 2.0);
    make_json_boolean(&elements[1], true);
    JSON_Object table;
    JSON_Value list;
    make_json_array(&list, {2, elements});
    table_add(&table, String("b"), list);
    JSON_Value none;
    table_add(&table, String("a"), none);
    With_Value value{7, {}};
    make_json_object(&value.extra, &table);
    // Special floats inside always go out as null: the writer hands flags 1 to the generic one.
    EXPECT_EQ(write(value, "\t", 2),
              "{\n\t\"id\": 7,\n\t\"extra\": {\n\t\t\"a\": null,\n\t\t\"b\": [\n\t\t\t2,\n\t\t\ttrue\n\t\t]\n\t}\n}");
    make_json_number(&elements[0], std::nan(""));
    EXPECT_EQ(write(value, "", 2), "{\"id\": 7,\"extra\": {\"a\": null,\"b\": [null,true]}}");
    table_reset(&table);
}

TEST(JsonWriterDeath, UnsupportedKindStopsTheProgram) {
    static const Type_Info procedure{Type_Info_Tag::PROCEDURE, 8};
    EXPECT_DEATH(
        {
            String_Builder builder;
            void (*proc)() = nullptr;
            json_write_native(&builder, &proc, &procedure, "", nullptr, nullptr, 1, 0);
        },
        "Unsupported type: PROCEDURE");
}

}  // namespace
