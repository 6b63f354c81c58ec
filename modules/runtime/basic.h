// Counted strings, array views and resizable arrays: the plain records every module shares.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <string_view>
#include <utility>

// A counted byte string, not zero-terminated. Whether it owns its bytes is up to the record
// that holds it; owned ones are released with free_string.
struct String {
    int64_t count = 0;
    const char* data = nullptr;

    constexpr String() = default;
    constexpr String(const char* bytes, int64_t byte_count) : count(byte_count), data(bytes) {}
    constexpr String(const char* text) : count(text ? int64_t(std::char_traits<char>::length(text)) : 0), data(text) {}
    constexpr String(std::string_view view) : count(int64_t(view.size())), data(view.data()) {}

    constexpr operator std::string_view() const { return {data, size_t(count)}; }
    constexpr std::string_view view() const { return {data, size_t(count)}; }
    constexpr bool empty() const { return count == 0; }
    constexpr char operator[](int64_t i) const { return data[i]; }
};

inline bool operator==(String a, String b) { return a.view() == b.view(); }
inline bool operator==(String a, std::string_view b) { return a.view() == b; }
inline bool operator==(String a, const char* b) { return a.view() == std::string_view(b); }

// Copies `text` into storage from `allocator` (the context's allocator when null).
String copy_string(std::string_view text, std::pmr::memory_resource* allocator = nullptr);
// Releases a string made by copy_string (or sprint) with the same allocator.
void free_string(String* s, std::pmr::memory_resource* allocator = nullptr);
// A NUL-terminated copy in temporary storage, for C interfaces.
const char* temp_c_string(std::string_view text);

// A view of elements owned elsewhere: count, then data, as the type descriptions expect.
template <typename T>
struct Array_View {
    int64_t count = 0;
    T* data = nullptr;

    T& operator[](int64_t i) const { return data[i]; }
    T* begin() const { return data; }
    T* end() const { return data + count; }
};

// A growable array that owns its elements through `allocator` (the context's when null at
// first growth). Elements are moved bitwise, so T must be trivially relocatable.
template <typename T>
struct Resizable_Array {
    int64_t count = 0;
    T* data = nullptr;
    int64_t allocated = 0;
    std::pmr::memory_resource* allocator = nullptr;

    T& operator[](int64_t i) const { return data[i]; }
    T* begin() const { return data; }
    T* end() const { return data + count; }
    operator Array_View<T>() const { return {count, data}; }
};

std::pmr::memory_resource* current_allocator();

// Grows raw storage of an array with the given element size; used by the typed readers as well.
void array_reserve_bytes(void* resizable_array, int64_t capacity, int64_t element_size, int64_t element_align);
void array_free_bytes(void* resizable_array, int64_t element_size, int64_t element_align);

template <typename T>
void array_reserve(Resizable_Array<T>* array, int64_t capacity) {
    array_reserve_bytes(array, capacity, sizeof(T), alignof(T));
}

template <typename T>
T* array_add(Resizable_Array<T>* array, T item) {
    if (array->count == array->allocated) array_reserve(array, array->allocated < 8 ? 8 : array->allocated * 2);
    T* slot = &array->data[array->count++];
    *slot = std::move(item);
    return slot;
}

template <typename T>
void array_reset(Resizable_Array<T>* array) {
    array_free_bytes(array, sizeof(T), alignof(T));
}
