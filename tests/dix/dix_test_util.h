// Parsing dix text in tests: the tree goes to an arena released with the fixture, and the
// text is a heap block of exactly its bytes, so AddressSanitizer sees any read past its end.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dix/module.h"

class Dix_Test : public ::testing::Test {
protected:
    std::pmr::monotonic_buffer_resource arena;
    Push_Allocator use_arena{&arena};
    std::string output;  // what the last parse printed

    Dix_Read parse(std::string_view text) {
        std::unique_ptr<char[]> exact(new char[text.size()]);
        std::copy(text.begin(), text.end(), exact.get());
        ::testing::internal::CaptureStdout();
        Dix_Read read = parse_dix_text("t.dix", String(exact.get(), int64_t(text.size())));
        output = ::testing::internal::GetCapturedStdout();
        return read;
    }

    Any root_of(std::string_view text) {
        Dix_Read read = parse(text);
        EXPECT_TRUE(read.success && output.empty()) << text << "\n" << output;
        return read.root;
    }

    static Table* table_of(Any value) {
        EXPECT_EQ(value.type, type_of<Table>());
        return static_cast<Table*>(value.value_pointer);
    }
};
