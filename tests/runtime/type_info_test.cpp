#include <gtest/gtest.h>

#include "runtime.h"

// Descriptions are specialisations, so they are given at global scope.

struct Inner {
    int32_t a;
    float b;
};
DESCRIBE_STRUCT(Inner, a, b);

struct Middle {
    Inner inner;
    uint16_t c;
};
DESCRIBE_STRUCT_WITH(Middle, (member_flags("inner", MEMBER_USING)), inner, c);

struct Outer {
    int64_t id;
    Middle middle;
    bool flag;
    int32_t plain_using;  // USING on a non-record is an ordinary member
    String label;
};
DESCRIBE_STRUCT_WITH(Outer,
                     (member_flags("middle", MEMBER_USING), member_flags("plain_using", MEMBER_USING),
                      member_notes("label", {"JsonName(title)", "JsonIgnore"})),
                     id, middle, flag, plain_using, label);

struct Node {
    int32_t value;
    Node* next;
};
DESCRIBE_STRUCT(Node, value, next);

struct Empty {};
DESCRIBE_EMPTY_STRUCT(Empty);

enum class Season : int8_t { SPRING = 1, SUMMER = 2, ALSO_SPRING = 1 };
DESCRIBE_ENUM(Season, SPRING, SUMMER, ALSO_SPRING);

enum Access : uint64_t { NONE = 0, READ = 1, WRITE = 2, READ_WRITE = 3, TOP = 0x8000000000000000ull };
DESCRIBE_FLAGS_ENUM(Access, NONE, READ, WRITE, READ_WRITE, TOP);

namespace {

// A description that skips a member or reorders two does not compile.
using type_info_detail::Member_Layout;
using type_info_detail::members_fill_record;
static_assert(!members_fill_record(sizeof(Inner), alignof(Inner), {{offsetof(Inner, a), 4, 4}}));
static_assert(!members_fill_record(sizeof(Inner), alignof(Inner), {{offsetof(Inner, b), 4, 4}, {offsetof(Inner, a), 4, 4}}));

const Type_Info_Struct* struct_of(const Type_Info* info) {
    EXPECT_EQ(info->type, Type_Info_Tag::STRUCT);
    return static_cast<const Type_Info_Struct*>(info);
}

TEST(TypeInfo, OneDescriptionPerType) {
    EXPECT_EQ(type_of<int64_t>(), type_of<const int64_t>());
    EXPECT_NE(type_of<int64_t>(), type_of<uint64_t>());
    EXPECT_EQ(type_of<Inner>(), type_of<Inner>());
    EXPECT_EQ(static_cast<const Type_Info_Pointer*>(type_of<Node*>())->pointer_to, type_of<Node>());
}

TEST(TypeInfo, ScalarHeads) {
    auto* u32 = static_cast<const Type_Info_Integer*>(type_of<uint32_t>());
    EXPECT_EQ(u32->type, Type_Info_Tag::INTEGER);
    EXPECT_EQ(u32->runtime_size, 4);
    EXPECT_FALSE(u32->is_signed);
    EXPECT_EQ(type_of<float>()->runtime_size, 4);
    EXPECT_EQ(type_of<double>()->runtime_size, 8);
    EXPECT_EQ(type_of<bool>()->type, Type_Info_Tag::BOOL);
    EXPECT_EQ(type_of<String>()->runtime_size, 16);
}

TEST(TypeInfo, ArraysOfEachKind) {
    auto* fixed = static_cast<const Type_Info_Array*>(type_of<float[3]>());
    EXPECT_EQ(fixed->array_type, Array_Type::FIXED);
    EXPECT_EQ(fixed->array_count, 3);
    EXPECT_EQ(fixed->runtime_size, 12);
    auto* view = static_cast<const Type_Info_Array*>(type_of<Array_View<Inner>>());
    EXPECT_EQ(view->array_type, Array_Type::VIEW);
    EXPECT_EQ(view->array_count, -1);
    EXPECT_EQ(view->element_type, type_of<Inner>());
    auto* resizable = static_cast<const Type_Info_Array*>(type_of<Resizable_Array<int8_t>>());
    EXPECT_EQ(resizable->array_type, Array_Type::RESIZABLE);
    EXPECT_EQ(resizable->array_count, -1);
    EXPECT_EQ(resizable->runtime_size, 32);
}

TEST(TypeInfo, MembersMatchTheLayout) {
    const Type_Info_Struct* outer = struct_of(type_of<Outer>());
    EXPECT_EQ(outer->name, "Outer");
    EXPECT_EQ(outer->runtime_size, int64_t(sizeof(Outer)));
    ASSERT_EQ(outer->members.count, 5);
    EXPECT_EQ(outer->members[1].name, "middle");
    EXPECT_EQ(outer->members[1].offset_in_bytes, int64_t(offsetof(Outer, middle)));
    EXPECT_EQ(outer->members[1].flags, uint32_t(MEMBER_USING));
    ASSERT_EQ(outer->members[4].notes.count, 2);
    EXPECT_EQ(outer->members[4].notes[0], "JsonName(title)");
    EXPECT_EQ(outer->members[4].notes[1], "JsonIgnore");
    EXPECT_EQ(struct_of(type_of<Empty>())->members.count, 0);
}

TEST(TypeInfo, EffectiveMembersFlattenNestedUsing) {
    std::vector<std::pair<std::string, int64_t>> seen;
    for_each_effective_member(struct_of(type_of<Outer>()), [&](const Type_Info_Struct_Member& m, int64_t offset) {
        seen.emplace_back(std::string(m.name.view()), offset);
    });
    int64_t middle = offsetof(Outer, middle);
    std::vector<std::pair<std::string, int64_t>> expected = {
        {"id", offsetof(Outer, id)},
        {"a", middle + int64_t(offsetof(Middle, inner) + offsetof(Inner, a))},
        {"b", middle + int64_t(offsetof(Middle, inner) + offsetof(Inner, b))},
        {"c", middle + int64_t(offsetof(Middle, c))},
        {"flag", offsetof(Outer, flag)},
        {"plain_using", offsetof(Outer, plain_using)},
        {"label", offsetof(Outer, label)},
    };
    EXPECT_EQ(seen, expected);
}

TEST(TypeInfo, EnumsPrintByFirstNameAndFlags) {
    Season s = Season::SPRING;
    EXPECT_EQ(std::string(tprint("%", s).view()), "SPRING");
    s = Season(7);
    EXPECT_EQ(std::string(tprint("%", s).view()), "(enum out of range: 7)");
    EXPECT_EQ(std::string(tprint("%", Access(NONE)).view()), "NONE");
    EXPECT_EQ(std::string(tprint("%", Access(3)).view()), "READ | WRITE");
    EXPECT_EQ(std::string(tprint("%", Access(0x8000000000000001ull)).view()), "READ | TOP");
    EXPECT_EQ(std::string(tprint("%", Access(0x11)).view()), "READ | 0x10");
    auto* info = static_cast<const Type_Info_Enum*>(type_of<Access>());
    EXPECT_EQ(info->names.count, 5);
    EXPECT_EQ(info->internal_type, type_of<uint64_t>());
    EXPECT_TRUE(info->enum_type_flags & ENUM_IS_FLAGS);
}

TEST(TypeInfo, RecordsPrintTheirMembers) {
    Outer o{1, {{2, 0.5f}, 3}, true, 4, String("x")};
    EXPECT_EQ(std::string(tprint("%", make_any(&o)).view()), "{1, 2, 0.5, 3, true, 4, x}");
}

}  // namespace
