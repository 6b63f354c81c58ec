#include "type_info.h"

#include <vector>

#include "assertion.h"

const char* type_tag_name(Type_Info_Tag tag) {
    switch (tag) {
        case Type_Info_Tag::INTEGER: return "INTEGER";
        case Type_Info_Tag::FLOAT: return "FLOAT";
        case Type_Info_Tag::BOOL: return "BOOL";
        case Type_Info_Tag::STRING: return "STRING";
        case Type_Info_Tag::POINTER: return "POINTER";
        case Type_Info_Tag::PROCEDURE: return "PROCEDURE";
        case Type_Info_Tag::VOID: return "VOID";
        case Type_Info_Tag::STRUCT: return "STRUCT";
        case Type_Info_Tag::ARRAY: return "ARRAY";
        case Type_Info_Tag::OVERLOAD_SET: return "OVERLOAD_SET";
        case Type_Info_Tag::ANY: return "ANY";
        case Type_Info_Tag::ENUM: return "ENUM";
        case Type_Info_Tag::POLYMORPHIC_VARIABLE: return "POLYMORPHIC_VARIABLE";
        case Type_Info_Tag::TYPE: return "TYPE";
        case Type_Info_Tag::CODE: return "CODE";
        case Type_Info_Tag::UNTYPED_LITERAL: return "UNTYPED_LITERAL";
        case Type_Info_Tag::UNTYPED_ENUM: return "UNTYPED_ENUM";
        case Type_Info_Tag::VARIANT: return "VARIANT";
    }
    return "UNKNOWN";
}

namespace type_info_detail {

// Descriptions live for the whole run; their arrays are allocated once and never freed.
template <typename T>
static Array_View<const T> keep(const std::vector<T>& items) {
    if (items.empty()) return {};
    T* data = new T[items.size()];
    std::copy(items.begin(), items.end(), data);
    return {int64_t(items.size()), data};
}

Type_Info_Struct make_struct_info(const char* name, int64_t size, void (*initializer)(void*),
                                  std::initializer_list<Type_Info_Struct_Member> members,
                                  std::initializer_list<Member_Extra> extras) {
    std::vector<Type_Info_Struct_Member> all(members);
    for (const Member_Extra& extra : extras) {
        bool found = false;
        for (Type_Info_Struct_Member& member : all) {
            if (member.name != extra.member_name) continue;
            member.flags |= extra.flags;
            std::vector<String> notes;
            for (const char* note : extra.notes) notes.push_back(String(note));
            if (!notes.empty()) member.notes = keep(notes);
            found = true;
        }
        quol_assert(found, "the description of % names no member %", name, extra.member_name);
    }
    Type_Info_Struct info{};
    info.type = Type_Info_Tag::STRUCT;
    info.runtime_size = size;
    info.name = String(name);
    info.members = keep(all);
    info.initializer = initializer;
    return info;
}

Type_Info_Enum make_enum_info(const char* name, const Type_Info_Integer* internal_type, uint32_t flags,
                              const char* names_text, std::initializer_list<int64_t> values) {
    // names_text is the macro's argument list: "A, B, C".
    std::vector<String> names;
    std::string_view rest(names_text);
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        char* kept = new char[item.size()];
        std::copy(item.begin(), item.end(), kept);
        names.push_back(String(kept, int64_t(item.size())));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    quol_assert(names.size() == values.size(), "the description of % lost a name", name);
    Type_Info_Enum info{};
    info.type = Type_Info_Tag::ENUM;
    info.runtime_size = internal_type->runtime_size;
    info.name = String(name);
    info.internal_type = internal_type;
    info.names = keep(names);
    info.values = keep(std::vector<int64_t>(values));
    info.enum_type_flags = flags;
    return info;
}

}  // namespace type_info_detail
