// A hash table keyed by string: open addressing with linear probing over one block of entries.
// It never copies its keys; who owns their bytes is up to the caller (the generic reader hands
// its keys over to the table it fills, the member table only views description names).
#pragma once

#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <type_traits>

#include "basic.h"
#include "context.h"

template <typename Value>
struct Table {
    static_assert(std::is_trivially_copyable_v<Value>);

    struct Entry {
        uint32_t hash;  // 0 marks a free slot
        String key;
        Value value;
    };

    int64_t count = 0;      // members
    int64_t allocated = 0;  // slots, a power of two
    Entry* entries = nullptr;
    std::pmr::memory_resource* allocator = nullptr;  // null while the entries are not owned
};

inline uint32_t table_hash(std::string_view key) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (char c : key) hash = (hash ^ uint8_t(c)) * 16777619u;
    return hash ? hash : 1;
}

namespace table_detail {

template <typename Value>
typename Table<Value>::Entry* probe(const Table<Value>* table, std::string_view key, uint32_t hash) {
    uint64_t mask = uint64_t(table->allocated - 1);
    for (uint64_t i = hash & mask;; i = (i + 1) & mask) {
        auto* entry = &table->entries[i];
        if (entry->hash == 0) return entry;
        if (entry->hash == hash && entry->key.view() == key) return entry;
    }
}

template <typename Value>
void resize(Table<Value>* table, int64_t slots) {
    using Entry = typename Table<Value>::Entry;
    Entry* old_entries = table->entries;
    int64_t old_slots = table->allocated;
    std::pmr::memory_resource* old_allocator = table->allocator;

    table->allocator = old_allocator ? old_allocator : context.allocator;
    table->entries = static_cast<Entry*>(table->allocator->allocate(size_t(slots) * sizeof(Entry), alignof(Entry)));
    std::memset(static_cast<void*>(table->entries), 0, size_t(slots) * sizeof(Entry));
    table->allocated = slots;
    for (int64_t i = 0; i < old_slots; i++) {
        if (old_entries[i].hash) *probe(table, old_entries[i].key.view(), old_entries[i].hash) = old_entries[i];
    }
    if (old_allocator && old_entries) old_allocator->deallocate(old_entries, size_t(old_slots) * sizeof(Entry), alignof(Entry));
}

inline int64_t slots_for(int64_t members) {
    int64_t slots = 8;
    while (slots * 3 < members * 4) slots *= 2;  // keep the load at 3/4 or less
    return slots;
}

}  // namespace table_detail

// Sizes an empty table for `members` members (storage from the context's allocator).
template <typename Value>
void table_init(Table<Value>* table, int64_t members) {
    table_detail::resize(table, table_detail::slots_for(members));
}

// Lends the table caller-owned zeroed storage of `slots` slots (a power of two); the table
// moves to its own storage should it outgrow it.
template <typename Value>
void table_init_borrowed(Table<Value>* table, typename Table<Value>::Entry* storage, int64_t slots) {
    std::memset(static_cast<void*>(storage), 0, size_t(slots) * sizeof(*storage));
    table->entries = storage;
    table->allocated = slots;
    table->count = 0;
    table->allocator = nullptr;
}

template <typename Value>
Value* table_find(const Table<Value>* table, std::string_view key) {
    if (table->count == 0) return nullptr;
    auto* entry = table_detail::probe(table, key, table_hash(key));
    return entry->hash ? &entry->value : nullptr;
}

// Adds a key that the table does not hold yet.
template <typename Value>
Value* table_add(Table<Value>* table, String key, const Value& value) {
    if ((table->count + 1) * 4 > table->allocated * 3) {
        table_detail::resize(table, table->allocated ? table->allocated * 2 : table_detail::slots_for(table->count + 1));
    }
    uint32_t hash = table_hash(key.view());
    auto* entry = table_detail::probe(table, key.view(), hash);
    entry->hash = hash;
    entry->key = key;
    entry->value = value;
    table->count++;
    return &entry->value;
}

// Releases the entry storage the table owns (not the keys).
template <typename Value>
void table_reset(Table<Value>* table) {
    if (table->allocator && table->entries) {
        table->allocator->deallocate(table->entries, size_t(table->allocated) * sizeof(*table->entries),
                                     alignof(typename Table<Value>::Entry));
    }
    *table = {};
}

// Calls visit(key, value) for every member, in slot order.
template <typename Value, typename Visit>
void table_for_each(const Table<Value>* table, Visit&& visit) {
    for (int64_t i = 0; i < table->allocated; i++) {
        if (table->entries[i].hash) visit(table->entries[i].key, table->entries[i].value);
    }
}
