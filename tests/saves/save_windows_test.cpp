// Saving under a profile folder whose name the ANSI code page cannot spell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "raylib.h"
#include "save_test_support.h"

namespace {

// Sets USERPROFILE in UTF-16, exactly as Windows hands it over, and puts it back afterwards.
struct Wide_Profile {
    std::optional<std::wstring> previous;
    explicit Wide_Profile(const fs::path& profile) {
        if (const wchar_t* value = _wgetenv(L"USERPROFILE")) previous = value;
        _wputenv_s(L"USERPROFILE", profile.c_str());
    }
    ~Wide_Profile() { _wputenv_s(L"USERPROFILE", previous ? previous->c_str() : L""); }
};

std::string utf8_text(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

using Windows_Saving = Save_Folder_Test;

// Each step is checked on its own, with the value it should have been handed.
TEST_F(Windows_Saving, SavesAndLoadsUnderANonLatinProfile) {
    const fs::path profile = folder / u8"Зоя 山田";
    fs::create_directory(profile);
    Wide_Profile user(profile);
    const std::string expected_dir = utf8_text(profile) + "/Saved Games/quol";

    String dir = get_game_dir();
    EXPECT_EQ(dir.view(), expected_dir);
    if (!dir.empty()) free_string(&dir);

    free_string(&game_dir);
    game_dir = copy_string(expected_dir);
    const fs::path game_folder = profile / "Saved Games" / "quol";
    EXPECT_FALSE(DirectoryExists(temp_c_string(game_dir)));
    EXPECT_EQ(MakeDirectory(temp_c_string(game_dir)), 0);
    EXPECT_TRUE(fs::is_directory(game_folder));
    fs::create_directories(game_folder);

    Thread worker;
    worker.index = 1;
    ::testing::internal::CaptureStdout();
    save_group_proc(nullptr, &worker, make_request(1, 5, 2.5f, game_dir));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Save completed in background thread 1\n");
    EXPECT_TRUE(fs::is_regular_file(game_folder / "quol.sav"));

    reset_game_globals();
    EXPECT_EQ(load_and_capture(), "save file loaded\nOk!\nsave file version: 0.1\n");
    EXPECT_EQ(ingame_hours, 5);
    EXPECT_EQ(player.position.x, 2.5f);
    if (month_name != "Winter 1") free_string(&month_name);  // the loaded label
}

// The game's own loader reads the save with fopen "rb", which refuses a rename over the file:
// held past the wait, the save fails in words of its own and the save is kept.
TEST_F(Windows_Saving, ASaveHeldOpenElsewhereIsKept) {
    Thread worker;
    worker.index = 1;
    ::testing::internal::CaptureStdout();
    save_group_proc(nullptr, &worker, make_request(1, 5, 2.5f, game_dir));
    std::FILE* reader = _wfopen(save_path().c_str(), L"rb");
    save_group_proc(nullptr, &worker, make_request(2, 7, 2.5f, game_dir));
    std::string output = ::testing::internal::GetCapturedStdout();
    if (reader) std::fclose(reader);

    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(output, "Save completed in background thread 1\n"
                      "Save failed in background thread 1: could not replace \"" +
                          std::string(game_dir.view()) + "/quol.sav\": another program holds it open\n");
    EXPECT_NE(read_text(save_path()).find("\"ingame_hours\": 5,"), std::string::npos);
    EXPECT_EQ(files_in(folder), std::vector<fs::path>{save_path()});
}

}  // namespace
