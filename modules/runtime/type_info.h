// Type descriptions: one read-only record per type, found with type_of<T>() and compared by
// address. The typed JSON writer and reader walk them; the config reader tags values with them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "basic.h"

enum class Type_Info_Tag : uint32_t {
    INTEGER = 0,
    FLOAT = 1,
    BOOL = 2,
    STRING = 3,
    POINTER = 4,
    PROCEDURE = 5,
    VOID = 6,
    STRUCT = 7,
    ARRAY = 8,
    OVERLOAD_SET = 9,
    ANY = 10,
    ENUM = 11,
    POLYMORPHIC_VARIABLE = 12,
    TYPE = 13,
    CODE = 14,
    UNTYPED_LITERAL = 15,
    UNTYPED_ENUM = 16,
    VARIANT = 18,
};

const char* type_tag_name(Type_Info_Tag tag);

struct Type_Info {
    Type_Info_Tag type;
    int64_t runtime_size;  // -1 where the type has no fixed size
};

struct Type_Info_Integer : Type_Info {
    bool is_signed;
};

struct Type_Info_Float : Type_Info {};

struct Type_Info_Pointer : Type_Info {
    const Type_Info* pointer_to;
};

enum class Array_Type : uint16_t { FIXED = 0, VIEW = 1, RESIZABLE = 2 };

struct Type_Info_Array : Type_Info {
    const Type_Info* element_type;
    Array_Type array_type;
    int64_t array_count;  // -1 for VIEW and RESIZABLE
};

enum Enum_Type_Flags : uint32_t { ENUM_IS_FLAGS = 1 };

struct Type_Info_Enum : Type_Info {
    String name;
    const Type_Info_Integer* internal_type;
    Array_View<const String> names;
    Array_View<const int64_t> values;
    uint32_t enum_type_flags;
};

// A distinct named type over a base type.
struct Type_Info_Variant : Type_Info {
    String name;
    const Type_Info* variant_of;
};

enum Member_Flags : uint32_t {
    MEMBER_CONSTANT = 1,
    MEMBER_IMPORTED = 2,
    MEMBER_USING = 4,
    MEMBER_PROCEDURE_WITH_VOID_POINTER_TYPE_INFO = 8,
    MEMBER_AS = 16,
    MEMBER_OVERLAY = 32,
};

struct Type_Info_Struct_Member {
    String name;
    const Type_Info* type;
    int64_t offset_in_bytes;
    uint32_t flags;
    Array_View<const String> notes;
    int64_t offset_into_constant_storage;
};

struct Type_Info_Struct : Type_Info {
    String name;
    Array_View<const Type_Info_Struct_Member> members;
    void (*initializer)(void* storage);  // null when every default is zero bits
    Array_View<const String> notes;
};

// A description and a pointer to a value of that type.
struct Any {
    const Type_Info* type = nullptr;
    void* value_pointer = nullptr;
};

// An integer of a described width (1, 2, 4 or 8 bytes), widened.
int64_t read_signed(const void* p, int64_t size);
uint64_t read_unsigned(const void* p, int64_t size);

// ---------------------------------------------------------------------------------------------
// The registry. Describe<T>::info is the one description of T; descriptions refer to each other
// by address only, so a record may hold a pointer to its own type.

template <typename T, typename = void>
struct Describe;

template <typename T>
const Type_Info* type_of() {
    return &Describe<std::remove_cv_t<T>>::info;
}

template <typename T>
Any make_any(T* value) {
    return {type_of<T>(), const_cast<std::remove_cv_t<T>*>(value)};
}

template <typename T>
struct Describe<T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>>> {
    static constexpr Type_Info_Integer info{{Type_Info_Tag::INTEGER, sizeof(T)}, std::is_signed_v<T>};
};

template <typename T>
struct Describe<T, std::enable_if_t<std::is_floating_point_v<T>>> {
    static_assert(sizeof(T) == 4 || sizeof(T) == 8);
    static constexpr Type_Info_Float info{{Type_Info_Tag::FLOAT, sizeof(T)}};
};

template <>
struct Describe<bool> {
    static constexpr Type_Info info{Type_Info_Tag::BOOL, 1};
};

template <>
struct Describe<String> {
    static constexpr Type_Info info{Type_Info_Tag::STRING, sizeof(String)};
};

template <>
struct Describe<void> {
    static constexpr Type_Info info{Type_Info_Tag::VOID, 0};
};

template <>
struct Describe<Any> {
    static constexpr Type_Info info{Type_Info_Tag::ANY, sizeof(Any)};
};

template <typename T>
struct Describe<T*> {
    static constexpr Type_Info_Pointer info{{Type_Info_Tag::POINTER, sizeof(void*)}, &Describe<std::remove_cv_t<T>>::info};
};

template <typename T, size_t N>
struct Describe<T[N]> {
    static constexpr Type_Info_Array info{
        {Type_Info_Tag::ARRAY, sizeof(T[N])}, &Describe<T>::info, Array_Type::FIXED, int64_t(N)};
};

template <typename T>
struct Describe<Array_View<T>> {
    static constexpr Type_Info_Array info{
        {Type_Info_Tag::ARRAY, sizeof(Array_View<T>)}, &Describe<std::remove_cv_t<T>>::info, Array_Type::VIEW, -1};
};

template <typename T>
struct Describe<Resizable_Array<T>> {
    static constexpr Type_Info_Array info{
        {Type_Info_Tag::ARRAY, sizeof(Resizable_Array<T>)}, &Describe<T>::info, Array_Type::RESIZABLE, -1};
};

// The effective members of a record: CONSTANT members dropped, USING members of record type
// replaced by their own effective members at the outer offset. Calls `visit(member, offset)`.
template <typename Visit>
void for_each_effective_member(const Type_Info_Struct* info, Visit&& visit, int64_t base_offset = 0) {
    for (const Type_Info_Struct_Member& member : info->members) {
        if (member.flags & MEMBER_CONSTANT) continue;
        int64_t offset = base_offset + member.offset_in_bytes;
        if ((member.flags & MEMBER_USING) && member.type->type == Type_Info_Tag::STRUCT) {
            for_each_effective_member(static_cast<const Type_Info_Struct*>(member.type), visit, offset);
        } else {
            visit(member, offset);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Describing records and enumerations in one place, next to their declaration:
//
//     struct Game_Player { Vector2 position; };
//     DESCRIBE_STRUCT(Game_Player, position);
//
// The member list is checked at compile time: the members must follow each other in
// declaration order and together fill the record, so a member can't be left out or misplaced.
// Notes and flags are added by name with DESCRIBE_STRUCT_WITH (see member_notes below).

namespace type_info_detail {

struct Member_Layout {
    size_t offset;
    size_t size;
    size_t align;
};

constexpr size_t align_up(size_t n, size_t a) { return (n + a - 1) / a * a; }

constexpr bool members_fill_record(size_t record_size, size_t record_align, std::initializer_list<Member_Layout> members) {
    size_t end = 0;
    for (const Member_Layout& m : members) {
        if (m.offset != align_up(end, m.align)) return false;
        end = m.offset + m.size;
    }
    return align_up(end, record_align) == record_size;
}

// Extra notes or flags for one member, matched by name when the description is built.
struct Member_Extra {
    const char* member_name;
    uint32_t flags;
    std::initializer_list<const char*> notes;
};

Type_Info_Struct make_struct_info(const char* name, int64_t size, void (*initializer)(void*),
                                  std::initializer_list<Type_Info_Struct_Member> members,
                                  std::initializer_list<Member_Extra> extras);

Type_Info_Enum make_enum_info(const char* name, const Type_Info_Integer* internal_type, uint32_t flags,
                              const char* names_text, std::initializer_list<int64_t> values);

template <typename T>
constexpr void (*initializer_of())(void*) {
    if constexpr (std::is_trivially_default_constructible_v<T>) {
        return nullptr;
    } else {
        return [](void* storage) { new (storage) T{}; };
    }
}

}  // namespace type_info_detail

inline type_info_detail::Member_Extra member_notes(const char* member_name, std::initializer_list<const char*> notes) {
    return {member_name, 0, notes};
}
inline type_info_detail::Member_Extra member_flags(const char* member_name, uint32_t flags) {
    return {member_name, flags, {}};
}

#define TI_EXPAND(x) x
#define TI_FE_1(F, T, a) F(T, a)
#define TI_FE_2(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_1(F, T, __VA_ARGS__))
#define TI_FE_3(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_2(F, T, __VA_ARGS__))
#define TI_FE_4(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_3(F, T, __VA_ARGS__))
#define TI_FE_5(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_4(F, T, __VA_ARGS__))
#define TI_FE_6(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_5(F, T, __VA_ARGS__))
#define TI_FE_7(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_6(F, T, __VA_ARGS__))
#define TI_FE_8(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_7(F, T, __VA_ARGS__))
#define TI_FE_9(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_8(F, T, __VA_ARGS__))
#define TI_FE_10(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_9(F, T, __VA_ARGS__))
#define TI_FE_11(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_10(F, T, __VA_ARGS__))
#define TI_FE_12(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_11(F, T, __VA_ARGS__))
#define TI_FE_13(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_12(F, T, __VA_ARGS__))
#define TI_FE_14(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_13(F, T, __VA_ARGS__))
#define TI_FE_15(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_14(F, T, __VA_ARGS__))
#define TI_FE_16(F, T, a, ...) F(T, a), TI_EXPAND(TI_FE_15(F, T, __VA_ARGS__))
#define TI_PICK(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, _13, _14, _15, _16, NAME, ...) NAME
#define TI_FOR_EACH(F, T, ...)                                                                              \
    TI_EXPAND(TI_PICK(__VA_ARGS__, TI_FE_16, TI_FE_15, TI_FE_14, TI_FE_13, TI_FE_12, TI_FE_11, TI_FE_10,    \
                      TI_FE_9, TI_FE_8, TI_FE_7, TI_FE_6, TI_FE_5, TI_FE_4, TI_FE_3, TI_FE_2, TI_FE_1)(F, T, \
                                                                                                 __VA_ARGS__))

#define TI_LAYOUT(T, m) \
    type_info_detail::Member_Layout { offsetof(T, m), sizeof(T::m), alignof(decltype(T::m)) }
#define TI_MEMBER(T, m) \
    Type_Info_Struct_Member { String(#m), type_of<decltype(T::m)>(), int64_t(offsetof(T, m)), 0, {}, 0 }
#define TI_ENUM_VALUE(E, v) int64_t(E::v)
#define TI_STRINGIZE(...) #__VA_ARGS__

// Describes record T with its members in declaration order, each with its own name as the key.
#define DESCRIBE_STRUCT(T, ...) DESCRIBE_STRUCT_WITH(T, (), __VA_ARGS__)

// The same, with extras: a parenthesised list of member_notes(...) / member_flags(...).
#define DESCRIBE_STRUCT_WITH(T, EXTRAS, ...)                                                            \
    static_assert(type_info_detail::members_fill_record(sizeof(T), alignof(T),                          \
                                                        {TI_FOR_EACH(TI_LAYOUT, T, __VA_ARGS__)}),      \
                  "the description of " #T " must list every member in declaration order");          \
    template <>                                                                                        \
    struct Describe<T> {                                                                               \
        static inline const Type_Info_Struct info = type_info_detail::make_struct_info(                 \
            #T, sizeof(T), type_info_detail::initializer_of<T>(), {TI_FOR_EACH(TI_MEMBER, T, __VA_ARGS__)}, \
            {TI_UNPAREN EXTRAS});                                                             \
    }

#define TI_UNPAREN(...) __VA_ARGS__

// A record with no members.
#define DESCRIBE_EMPTY_STRUCT(T)                                                                        \
    template <>                                                                                        \
    struct Describe<T> {                                                                               \
        static inline const Type_Info_Struct info =                                                    \
            type_info_detail::make_struct_info(#T, sizeof(T), nullptr, {}, {});                        \
    }

// Describes enumeration E with its names and values in declaration order.
#define DESCRIBE_ENUM(E, ...) DESCRIBE_ENUM_FLAGS_(E, 0, __VA_ARGS__)
#define DESCRIBE_FLAGS_ENUM(E, ...) DESCRIBE_ENUM_FLAGS_(E, ENUM_IS_FLAGS, __VA_ARGS__)
#define DESCRIBE_ENUM_FLAGS_(E, FLAGS, ...)                                                             \
    template <>                                                                                        \
    struct Describe<E> {                                                                               \
        static inline const Type_Info_Enum info = type_info_detail::make_enum_info(                     \
            #E, &Describe<std::underlying_type_t<E>>::info, FLAGS, TI_STRINGIZE(__VA_ARGS__),          \
            {TI_FOR_EACH(TI_ENUM_VALUE, E, __VA_ARGS__)});                                             \
    }
