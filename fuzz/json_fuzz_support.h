// What both JSON fuzzers share: a quiet logger and an allocator that frees per input.
#pragma once

#include <cstdlib>
#include <memory_resource>
#include <new>
#include <unordered_map>

#include "runtime.h"

// Every block is a heap block of its own (so AddressSanitizer sees its bounds); what an input
// leaves allocated (generic trees, strings handed to the caller) is freed when it is done.
struct Per_Input_Resource : std::pmr::memory_resource {
    ~Per_Input_Resource() override {
        for (auto& [p, alignment] : live) ::operator delete(p, std::align_val_t(alignment));
    }
    std::unordered_map<void*, size_t> live;

private:
    void* do_allocate(size_t bytes, size_t alignment) override {
        void* p = ::operator new(bytes ? bytes : 1, std::align_val_t(alignment));
        live[p] = alignment;
        return p;
    }
    void do_deallocate(void* p, size_t, size_t alignment) override {
        if (live.erase(p) != 1) abort();  // a release of something never handed out
        ::operator delete(p, std::align_val_t(alignment));
    }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
};

inline void silence_logger() {
    context.logger = [](std::string_view, Log_Flags, void*) {};
}

// Stops the run with the two texts when a round trip changed the text.
inline void require_same_text(std::string_view first, std::string_view second) {
    if (first == second) return;
    fprintf(stderr, "round trip changed the text:\n%.*s\n----\n%.*s\n", int(first.size()), first.data(),
            int(second.size()), second.data());
    abort();
}
