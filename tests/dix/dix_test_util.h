// Parsing dix text in tests: the tree goes to an arena released with the fixture, and the
// text is a heap block of exactly its bytes, so AddressSanitizer sees any read past its end.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "dix/module.h"

struct Parsed {
    Dix_Read read;
    std::string output;  // what the reader printed
};

class Dix_Test : public ::testing::Test {
protected:
    std::pmr::monotonic_buffer_resource arena;
    Push_Allocator use_arena{&arena};

    Parsed parse(std::string_view text) {
        std::unique_ptr<char[]> exact(new char[text.size()]);
        std::copy(text.begin(), text.end(), exact.get());
        ::testing::internal::CaptureStdout();
        Dix_Read read = parse_dix_text("t.dix", String(exact.get(), int64_t(text.size())));
        return {read, ::testing::internal::GetCapturedStdout()};
    }

    // Parses text that must be valid and returns its root.
    Any root_of(std::string_view text) {
        Parsed parsed = parse(text);
        EXPECT_TRUE(parsed.read.success) << text;
        EXPECT_EQ(parsed.output, "") << text;
        return parsed.read.root;
    }

    static Table* table_of(Any value) {
        EXPECT_EQ(value.type, type_of<Table>());
        return static_cast<Table*>(value.value_pointer);
    }

    // The one field of a file holding `x = <value>;`.
    Any field(std::string_view text, std::string_view name = "x") {
        Any root = root_of(text);
        if (!root.value_pointer) return {};
        auto& entries = table_of(root)->entries;
        auto found = entries.find(name);
        return found == entries.end() ? Any{} : found->second;
    }
};
