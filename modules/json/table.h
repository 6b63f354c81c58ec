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

namespace table_detail {

inline uint64_t load64(const char* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

inline uint32_t load32(const char* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

inline uint64_t mix(uint64_t hash, uint64_t word) {
    hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    return hash ^ (hash >> 29);
}

}  // namespace table_detail

// Every byte counts, but short keys (most member names) take two loads, not a byte loop.
inline uint32_t table_hash(std::string_view key) {
    using namespace table_detail;
    const char* p = key.data();
    size_t n = key.size();
    uint64_t hash = mix(0x243F6A8885A308D3ull, n);
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8) hash = mix(hash, load64(p + i));
        hash = mix(hash, load64(p + n - 8));  // the last eight, overlapping what came before
    } else if (n >= 4) {
        hash = mix(hash, (uint64_t(load32(p)) << 32) | load32(p + n - 4));
    } else if (n > 0) {
        hash = mix(hash, (uint64_t(uint8_t(p[0])) << 16) | (uint64_t(uint8_t(p[n / 2])) << 8) | uint8_t(p[n - 1]));
    }
    auto folded = uint32_t(hash ^ (hash >> 32));
    return folded ? folded : 1;
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

// Only the hash tells a free slot; key and value are written when the slot is taken.
template <typename Entry>
void clear_slots(Entry* entries, int64_t slots) {
    for (int64_t i = 0; i < slots; i++) entries[i].hash = 0;
}

template <typename Value>
void resize(Table<Value>* table, int64_t slots) {
    using Entry = typename Table<Value>::Entry;
    Entry* old_entries = table->entries;
    int64_t old_slots = table->allocated;
    std::pmr::memory_resource* old_allocator = table->allocator;

    table->allocator = old_allocator ? old_allocator : context.allocator;
    table->entries = static_cast<Entry*>(table->allocator->allocate(size_t(slots) * sizeof(Entry), alignof(Entry)));
    clear_slots(table->entries, slots);
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

// Lends the table caller-owned storage of `slots` slots (a power of two); the table
// moves to its own storage should it outgrow it.
template <typename Value>
void table_init_borrowed(Table<Value>* table, typename Table<Value>::Entry* storage, int64_t slots) {
    table_detail::clear_slots(storage, slots);
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

// The value under `key`: the one already there (`*found` true), or a new zeroed one.
template <typename Value>
Value* table_find_or_add(Table<Value>* table, String key, bool* found) {
    if ((table->count + 1) * 4 > table->allocated * 3) {
        table_detail::resize(table, table->allocated ? table->allocated * 2 : table_detail::slots_for(table->count + 1));
    }
    uint32_t hash = table_hash(key.view());
    auto* entry = table_detail::probe(table, key.view(), hash);
    *found = entry->hash != 0;
    if (!*found) {
        entry->hash = hash;
        entry->key = key;
        std::memset(static_cast<void*>(&entry->value), 0, sizeof(Value));
        table->count++;
    }
    return &entry->value;
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
