#include <cstdint>
#include <cstdio>
#include <memory_resource>

#include "dix/module.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The reader reports syntax errors on standard output: one per input would flood the run.
    if (!freopen("/dev/null", "w", stdout)) perror("freopen");
    return 0;
}

namespace {

// Looks up every field of `table` by its full path, following references through cycles too.
void look_up_all(Any root, Table* table, String* path, int64_t depth) {
    if (depth >= 8) return;
    for (auto& [name, value] : table->entries) {
        path[depth] = String(name);
        Array_View<String> view{depth + 1, path};
        get_dix_value(root, view, 1);
        get_dix_value<float>(root, view);
        if (value.type == type_of<Table>()) look_up_all(root, static_cast<Table*>(value.value_pointer), path, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::pmr::monotonic_buffer_resource arena;
    Push_Allocator use_arena(&arena);
    // The input buffer is exactly `size` bytes: ASan catches any read past its end.
    Dix_Read read = parse_dix_text("fuzz.dix", String(reinterpret_cast<const char*>(data), int64_t(size)));
    if (!read.success) return 0;
    String path[8];
    look_up_all(read.root, static_cast<Table*>(read.root.value_pointer), path, 0);
    return 0;
}
