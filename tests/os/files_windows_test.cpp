// Unique files on Windows: exclusive creation and a commit over a save that is being read.
#include "os.h"
#include "os_internal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "portable_test_support.h"

namespace fs = std::filesystem;

// Stands in for the layer's random names, so that a test can make one collide: the queued
// random parts first, then fresh ones.
std::deque<std::string> queued_name_parts;
int names_made = 0;

std::string os_unique_name(const std::string& prefix, const std::string& suffix) {
    std::string part = "fresh" + std::to_string(++names_made);
    if (!queued_name_parts.empty()) {
        part = queued_name_parts.front();
        queued_name_parts.pop_front();
    }
    return prefix + std::to_string(os_process_id()) + "-" + part + suffix;
}

namespace {

std::string read_text(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Windows_Files : ::testing::Test {
    fs::path folder;
    void SetUp() override {
        folder = make_temporary_folder("quol_files_");
        queued_name_parts.clear();
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string prefix() const { return (folder / "quol.sav.").string(); }
    fs::path named(const std::string& part) const {
        return folder / ("quol.sav." + std::to_string(os_process_id()) + "-" + part + ".tmp");
    }
};

// Another writer's file under the name picked: it is left whole and the next name is taken.
TEST_F(Windows_Files, CreationNeverOpensAFileThatExists) {
    std::ofstream(named("taken"), std::ios::binary) << "another writer's save";
    queued_name_parts = {"taken", "free"};
    Os_Unique_File file = os_create_unique_file(prefix(), ".tmp");
    EXPECT_EQ(file.path, named("free").string());
    EXPECT_EQ(read_text(named("taken")), "another writer's save");
    if (file.file) os_discard_unique_file(&file);
}

// The game's loader reads the save with fopen "rb", which refuses a rename over the file
// until it is closed.
TEST_F(Windows_Files, ACommitWaitsForAReaderOfTheTarget) {
    const fs::path target = folder / "quol.sav";
    std::ofstream(target, std::ios::binary) << "old save";
    Os_Unique_File file = os_create_unique_file(prefix(), ".tmp");
    ASSERT_NE(file.file, nullptr) << file.error.message();
    std::fputs("new save", file.file);

    std::FILE* reader = std::fopen(target.string().c_str(), "rb");
    ASSERT_NE(reader, nullptr);
    std::thread letting_go([reader] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::fclose(reader);
    });
    std::error_code error = os_commit_unique_file(&file, target.string().c_str());
    letting_go.join();

    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(read_text(target), "new save");
    EXPECT_FALSE(fs::exists(file.path));
}

}  // namespace
