// Helpers shared by the JSON tests: capturing the logger and tracking allocations.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory_resource>
#include <string>
#include <vector>

#include "generic.h"
#include "typed.h"

// Collects every logged message while alive; errors and the rest apart.
struct Log_Capture {
    Log_Capture() : saved(context.logger), saved_data(context.logger_data) {
        context.logger = [](std::string_view message, Log_Flags flags, void* data) {
            auto* self = static_cast<Log_Capture*>(data);
            (flags & LOG_FLAG_ERROR ? self->errors : self->infos).emplace_back(message);
        };
        context.logger_data = this;
    }
    ~Log_Capture() {
        context.logger = saved;
        context.logger_data = saved_data;
    }
    Log_Capture(const Log_Capture&) = delete;
    Log_Capture& operator=(const Log_Capture&) = delete;

    std::vector<std::string> errors;
    std::vector<std::string> infos;
    Logger saved;
    void* saved_data;
};

// Hands out separate heap blocks (so AddressSanitizer sees each one's bounds), checks that
// every release matches an allocation, and frees what is left when it goes away.
struct Tracking_Resource : std::pmr::memory_resource {
    ~Tracking_Resource() override {
        for (auto& [p, block] : live) ::operator delete(p, std::align_val_t(block.second));
    }
    size_t live_count() const { return live.size(); }

    std::map<void*, std::pair<size_t, size_t>> live;
    size_t allocations = 0;  // ever made

private:
    void* do_allocate(size_t bytes, size_t alignment) override {
        void* p = ::operator new(bytes ? bytes : 1, std::align_val_t(alignment));
        live[p] = {bytes, alignment};
        allocations++;
        return p;
    }
    void do_deallocate(void* p, size_t bytes, size_t alignment) override {
        auto it = live.find(p);
        EXPECT_NE(it, live.end()) << "release of a block that was not allocated here";
        if (it == live.end()) return;
        EXPECT_EQ(it->second.first, bytes) << "released with another size";
        EXPECT_EQ(it->second.second, alignment) << "released with another alignment";
        live.erase(it);
        ::operator delete(p, std::align_val_t(alignment));
    }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
};

inline std::string text_of(String s) { return std::string(s.view()); }
