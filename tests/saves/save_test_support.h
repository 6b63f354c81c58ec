// A scratch game folder per test and helpers to read, write and load its save file.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "file_management/dir_manager.h"
#include "file_management/save_manager.h"
#include "os.h"
#include "ui_management/notices.h"
#include "player/player.h"
#include "time_management/day_night_cycle.h"
#include "ui_management/draw_ui.h"

namespace fs = std::filesystem;

inline std::string read_text(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void write_text(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

inline std::string replaced_all(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}

inline std::string with_line_feeds(const std::string& text) { return replaced_all(text, "\r\n", "\n"); }

// The save file is written in text mode: on Windows each line feed is stored as CR LF.
inline std::string with_saved_line_ends(const std::string& text) {
#if defined(_WIN32)
    return replaced_all(text, "\n", "\r\n");
#else
    return text;
#endif
}

inline std::vector<fs::path> files_in(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
    return files;
}

inline void reset_game_globals() {
    player.position = {0, 0};
    night_time = false;
    ingame_minutes = 0;
    ingame_hours = 0;
    days = 1;
    month_name = "Winter 1";
}

// A request as queue_save would make it, owning heap copies of its strings.
inline Save_Request* make_request(int64_t sequence, int64_t hours, float x, String folder) {
    auto* request = new Save_Request{};
    request->ingame_hours = hours;
    request->ingame_minutes = 7;
    request->days = 2;
    request->month = copy_string("Summer 1", std::pmr::new_delete_resource());
    request->game_dir = copy_string(folder, std::pmr::new_delete_resource());
    request->position = {x, -3.5f};
    request->sequence = sequence;
    return request;
}

// Requests queued and not yet taken by a worker.
inline int64_t waiting_requests() {
    int64_t count = 0;
    for (int64_t i = 0; i < save_group.worker_count; i++) {
        std::lock_guard lock(save_group.workers[i].queue.mutex);
        count += int64_t(save_group.workers[i].queue.entries.size());
    }
    return count;
}

struct Save_Folder_Test : ::testing::Test {
    fs::path folder;

    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Named apart per run too: other checkouts may run the same test at the same time.
        folder = fs::temp_directory_path() / (std::string("quol_saves_") + info->test_suite_name() + "_" + info->name() +
                                              "_" + std::to_string(std::random_device{}()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        game_dir = copy_string(folder.string());
        reset_game_globals();
        // The save system's own process-wide state, as at the start of a run.
        last_queued_sequence = 0;
        written_sequence = 0;
        notices = {};
    }
    void TearDown() override {
        free_string(&game_dir);
        fs::remove_all(folder);
    }
    fs::path save_path() const { return folder / "quol.sav"; }

    std::string load_and_capture() {
        ::testing::internal::CaptureStdout();
        load_save();
        return ::testing::internal::GetCapturedStdout();
    }
};
