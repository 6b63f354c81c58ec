#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory_resource>
#include <string>

#include "dix/module.h"
#include "file_management/runtime_config.h"

namespace {

namespace fs = std::filesystem;

// Each test runs load_config in a folder of its own holding data/config.dix.
class Load_Config : public ::testing::Test {
protected:
    std::pmr::monotonic_buffer_resource arena;
    Push_Allocator use_arena{&arena};
    fs::path saved_dir = fs::current_path();
    fs::path dir = fs::temp_directory_path() /
                   ("quol_config_" + std::to_string(getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());

    void SetUp() override {
        fs::create_directories(dir / "data");
        fs::current_path(dir);
        speed = 0;
        dash_speed = 0;
    }
    void TearDown() override {
        fs::current_path(saved_dir);
        fs::remove_all(dir);
    }

    void write_config(const std::string& text) { std::ofstream(dir / "data" / "config.dix", std::ios::binary) << text; }

    // Runs load_config and returns what it printed on standard output.
    std::string load() {
        ::testing::internal::CaptureStdout();
        load_config();
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(Load_Config, ReadsFloatFieldsDirectlyOrThroughReferences) {
    write_config("walk = 280.5;\nconfig = { hero_data = { speed = walk; dash_speed = 1400.0; }; other = 1; };");
    EXPECT_EQ(load(), "");
    EXPECT_EQ(speed, 280.5f);
    EXPECT_EQ(dash_speed, 1400.0f);
}

TEST_F(Load_Config, SkipsWhatIsMissingOrNotAFloat) {
    write_config("config = { hero_data = { speed = 300; dash_speed = 1200.0; }; };");
    EXPECT_EQ(load(), "");
    EXPECT_EQ(speed, 0.0f);
    EXPECT_EQ(dash_speed, 1200.0f);

    write_config("config = { hero_data = { speed = 300.0; }; };");
    dash_speed = 7;
    EXPECT_EQ(load(), "");
    EXPECT_EQ(speed, 300.0f);
    EXPECT_EQ(dash_speed, 7.0f);

    write_config("hero_data = { speed = 300.0; dash_speed = 1200.0; };");
    speed = 0;
    EXPECT_EQ(load(), "");
    EXPECT_EQ(speed, 0.0f);
    EXPECT_EQ(dash_speed, 7.0f);
}

TEST_F(Load_Config, MissingFileOrSyntaxErrorLeavesTheSpeeds) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(load(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Could not open file \"data/config.dix\": code 2, No such file or directory\n");
    EXPECT_EQ(speed, 0.0f);

    write_config("config = {\n  hero_data = { speed = 300.0; dash_speed = 1200.0 };\n};");
    EXPECT_EQ(load(), "data/config.dix:2:51\nERROR: Unexpected token. Expected 59 but got 125\n");
    EXPECT_EQ(speed, 0.0f);
    EXPECT_EQ(dash_speed, 0.0f);
}

TEST_F(Load_Config, TheShippedConfigurationGivesBothSpeeds) {
    fs::current_path(QUOL_SOURCE_DIR);
    EXPECT_EQ(load(), "");
    EXPECT_GT(speed, 0.0f);
    EXPECT_GT(dash_speed, speed);
}

}  // namespace
