#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "dix/module.h"
#include "file_management/runtime_config.h"
#include "ui_management/notices.h"

namespace {

namespace fs = std::filesystem;

// Each test runs load_config in a folder of its own holding data/config.dix.
class Load_Config : public ::testing::Test {
protected:
    std::pmr::monotonic_buffer_resource arena;
    Push_Allocator use_arena{&arena};
    fs::path saved_dir = fs::current_path();
    fs::path dir = fs::temp_directory_path() / ("quol_config_" + std::to_string(std::random_device{}()));

    void SetUp() override {
        fs::create_directories(dir / "data");
        fs::current_path(dir);
        speed = dash_speed = 0;
        notices = {};
    }
    void TearDown() override {
        fs::current_path(saved_dir);
        fs::remove_all(dir);
    }

    // Writes the file, runs load_config and returns what it printed.
    std::string load(const std::string& text) {
        std::ofstream(dir / "data" / "config.dix", std::ios::binary) << text;
        ::testing::internal::CaptureStdout();
        load_config();
        return ::testing::internal::GetCapturedStdout();
    }
    // The notices posted since the last call, oldest first.
    std::vector<std::string> taken_notices() {
        std::vector<std::string> texts;
        for (const Notice& notice : notices.items) texts.push_back(notice.text);
        notices = {};
        return texts;
    }
};

TEST_F(Load_Config, TakesOnlyFloats) {
    // Standard output stays silent; the player is told which key was not read and why.
    EXPECT_EQ(load("config = { hero_data = { speed = 300; dash_speed = 1200.0; }; };"), "");
    EXPECT_EQ(speed, 0.0f);
    EXPECT_EQ(dash_speed, 1200.0f);
    EXPECT_EQ(taken_notices(), std::vector<std::string>{
                                   "Configuration: config.hero_data.speed is the integer 300, not a float (write 300.0)"});

    EXPECT_EQ(load("walk = 280.5; config = { hero_data = { speed = walk; }; };"), "");
    EXPECT_EQ(speed, 280.5f);
    EXPECT_EQ(dash_speed, 1200.0f);  // kept: not in the file
    EXPECT_EQ(taken_notices(), std::vector<std::string>{"Configuration: config.hero_data.dash_speed is missing"});

    speed = dash_speed = 0;
    EXPECT_EQ(load("hero_data = { speed = 300.0; dash_speed = 1200.0; };"), "");
    EXPECT_EQ(speed + dash_speed, 0.0f);
    EXPECT_EQ(taken_notices(), (std::vector<std::string>{"Configuration: config.hero_data.speed is missing",
                                                         "Configuration: config.hero_data.dash_speed is missing"}));

    EXPECT_EQ(load("config = { hero_data = { speed = \"fast\"; dash_speed = dash; }; }; dash = dash;"), "");
    EXPECT_EQ(taken_notices(),
              (std::vector<std::string>{
                  "Configuration: config.hero_data.speed is a string, not a float",
                  "Configuration: config.hero_data.dash_speed is a reference that goes round in a circle or too deep"}));
}

TEST_F(Load_Config, MissingFileOrSyntaxErrorLeavesTheSpeeds) {
    ::testing::internal::CaptureStderr();
    load_config();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Could not open file \"data/config.dix\": code 2, No such file or directory\n");
    EXPECT_EQ(taken_notices(), std::vector<std::string>{"Configuration not read: Could not open file "
                                                        "\"data/config.dix\": code 2, No such file or directory"});

    EXPECT_EQ(load("config = {\n  hero_data = { speed = 300.0; dash_speed = 1200.0 };\n};"),
              "data/config.dix:2:51\nERROR: Unexpected token. Expected 59 but got 125\n");
    EXPECT_EQ(speed + dash_speed, 0.0f);
    EXPECT_EQ(taken_notices(), std::vector<std::string>{"Configuration not read: data/config.dix:2:51: ERROR: "
                                                        "Unexpected token. Expected 59 but got 125"});
    // A message that ends in a line feed of its own keeps its empty line on standard output only.
    EXPECT_EQ(load("speed = -5.0;"), "data/config.dix:1:8\nERROR: Unexpected token 45\n\n");
    EXPECT_EQ(taken_notices(),
              std::vector<std::string>{"Configuration not read: data/config.dix:1:8: ERROR: Unexpected token 45"});
}

// Notepad and PowerShell 5 start their UTF-8 with a byte order mark; PowerShell 5's `>` writes UTF-16.
TEST_F(Load_Config, AUtf8MarkIsSkippedAndUtf16IsNamed) {
    const std::string mark = "\xEF\xBB\xBF";
    EXPECT_EQ(load(mark + "config = { hero_data = { speed = 280.0; dash_speed = 1200.0; }; };"), "");
    EXPECT_EQ(speed, 280.0f);
    EXPECT_EQ(dash_speed, 1200.0f);
    // Columns count from the first character after the mark.
    EXPECT_EQ(load(mark + "speed 280.0;"), "data/config.dix:1:6\nERROR: Unexpected token. Expected 61 but got 259\n");
    taken_notices();

    const std::string text = "config = { hero_data = { speed = 300.0; dash_speed = 900.0; }; };";
    std::string little_endian = "\xFF\xFE", big_endian = "\xFE\xFF";
    for (char c : text) {
        little_endian += {c, '\0'};
        big_endian += {'\0', c};
    }
    for (const std::string& utf16 : {little_endian, big_endian}) {
        speed = dash_speed = 0;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(load(utf16), "data/config.dix: ERROR: the file is UTF-16 text and must be saved as UTF-8\n");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(speed + dash_speed, 0.0f);
        EXPECT_EQ(taken_notices(), std::vector<std::string>{"Configuration not read: data/config.dix: ERROR: the "
                                                            "file is UTF-16 text and must be saved as UTF-8"});
    }
}

TEST_F(Load_Config, TheShippedConfigurationGivesBothSpeeds) {
    fs::current_path(QUOL_SOURCE_DIR);
    ::testing::internal::CaptureStdout();
    load_config();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(notices.items.empty());
    EXPECT_GT(speed, 0.0f);
    EXPECT_GT(dash_speed, speed);
}

}  // namespace
