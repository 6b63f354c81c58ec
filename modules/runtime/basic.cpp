#include "basic.h"

#include "context.h"

std::pmr::memory_resource* current_allocator() { return context.allocator; }

String copy_string(std::string_view text, std::pmr::memory_resource* allocator) {
    if (text.empty()) return {};
    if (!allocator) allocator = context.allocator;
    auto* bytes = static_cast<char*>(allocator->allocate(text.size(), 1));
    std::memcpy(bytes, text.data(), text.size());
    return {bytes, int64_t(text.size())};
}

void free_string(String* s, std::pmr::memory_resource* allocator) {
    if (s->data && s->count > 0) {
        if (!allocator) allocator = context.allocator;
        allocator->deallocate(const_cast<char*>(s->data), size_t(s->count), 1);
    }
    *s = {};
}

const char* temp_c_string(std::string_view text) {
    auto* bytes = static_cast<char*>(temporary_allocator()->allocate(text.size() + 1, 1));
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = 0;
    return bytes;
}

namespace {
// The generic view of every Resizable_Array<T>.
struct Raw_Resizable_Array {
    int64_t count;
    void* data;
    int64_t allocated;
    std::pmr::memory_resource* allocator;
};
}  // namespace

void array_reserve_bytes(void* resizable_array, int64_t capacity, int64_t element_size, int64_t element_align) {
    auto* array = static_cast<Raw_Resizable_Array*>(resizable_array);
    if (capacity <= array->allocated) return;
    if (!array->allocator) array->allocator = context.allocator;
    void* data = array->allocator->allocate(size_t(capacity * element_size), size_t(element_align));
    if (array->count > 0) std::memcpy(data, array->data, size_t(array->count * element_size));
    if (array->data && array->allocated > 0) {
        array->allocator->deallocate(array->data, size_t(array->allocated * element_size), size_t(element_align));
    }
    array->data = data;
    array->allocated = capacity;
}

void array_free_bytes(void* resizable_array, int64_t element_size, int64_t element_align) {
    auto* array = static_cast<Raw_Resizable_Array*>(resizable_array);
    if (array->data && array->allocated > 0 && array->allocator) {
        array->allocator->deallocate(array->data, size_t(array->allocated * element_size), size_t(element_align));
    }
    array->count = 0;
    array->data = nullptr;
    array->allocated = 0;
}
