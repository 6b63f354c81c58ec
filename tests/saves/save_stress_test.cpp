#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "json/typed.h"
#include "save_test_support.h"

namespace {

// A whole save: it parses and its checksum matches its state.
bool is_whole_save(const std::string& text, Game_Save* out = nullptr) {
    auto [save, ok] = json_parse_string<Game_Save>(text, true, rename_by_note, 1);
    bool whole = ok && get_state_checksum(&save.state) == save.header.checksum;
    if (out) *out = save;
    free_string(&save.state.saved_at);
    free_string(&save.state.time.month);
    return whole;
}

std::atomic<int64_t> stolen_count{0};

void count_stolen(std::string_view message, Log_Flags, void*) {
    if (message.find(" stole ") != std::string_view::npos) stolen_count++;
}

using SaveStress = Save_Folder_Test;

TEST_F(SaveStress, HundredsOfSavesWhileTheFileIsReadBack) {
    constexpr int SAVE_COUNT = 410;
    constexpr int BURST = 41;
    context.logger = count_stolen;  // the workers take this logger over
    init_save_system();

    std::atomic<bool> done{false};
    std::atomic<int64_t> reads{0}, broken_reads{0};
    std::thread reader([&] {
        while (!done) {
            std::string text = read_text(save_path());
            if (text.empty()) continue;  // no save yet
            reads++;
            if (!is_whole_save(text)) broken_reads++;
        }
    });

    const std::string long_month(20000, 'M');
    ::testing::internal::CaptureStdout();
    // Bursts of an odd count queued while the file is held: each worker gets a backlog, one
    // of them a request more, so the first to run dry takes work from the other.
    for (int i = 1; i <= SAVE_COUNT; i++) {
        if (i % BURST == 1) save_file_lock.lock();
        player.position = {float(i), -float(i)};
        // Odd presses go to worker 0 and carry a long label, so that worker runs behind.
        queue_save(i % 2 == 0, i % 24, i % 20, 1 + i % 6, i % 2 ? String(long_month) : String("Summer 2"));
        if (i % BURST == 0 || i == SAVE_COUNT) {
            save_file_lock.unlock();
            // All but the last burst run to the end; the last one meets the shutdown.
            while (i < SAVE_COUNT && waiting_requests() > 0) std::this_thread::yield();
        }
    }
    shutdown_save_system();
    std::string output = ::testing::internal::GetCapturedStdout();
    done = true;
    reader.join();
    context.logger = nullptr;

    EXPECT_EQ(broken_reads, 0);
    EXPECT_GT(reads, 0);
    EXPECT_GT(stolen_count, 0);
    EXPECT_EQ(output.find("Save failed"), std::string::npos);
    Game_Save last;
    ASSERT_TRUE(is_whole_save(read_text(save_path()), &last));
    EXPECT_EQ(last.state.player.position.x, float(SAVE_COUNT));  // the newest press
    EXPECT_EQ(last.state.time.ingame_hours, SAVE_COUNT % 24);
    RecordProperty("reads", int(reads));
    RecordProperty("stolen", int(stolen_count));
    std::printf("%lld reads of the file, %lld saves stolen by the other worker\n", (long long)reads.load(),
                (long long)stolen_count.load());
}

// A player who starts the game twice: two processes save into one folder at once, each
// reading the file back after every save of its own.
TEST_F(SaveStress, TwoProcessesSavingIntoOneFolderNeverLeaveABrokenFile) {
    constexpr int ROUNDS = 150;
    auto save_and_read_back = [&](float x) {
        Thread worker;
        worker.index = 1;
        int broken = 0;
        // Above the presses of earlier tests in this process, which a lower one would not overwrite,
        // and rising on when the test is repeated.
        static int64_t sequence = int64_t(1) << 40;
        for (int i = 1; i <= ROUNDS; i++) {
            save_group_proc(nullptr, &worker, make_request(++sequence, i % 24, x, game_dir));
            if (!is_whole_save(read_text(save_path()))) broken++;
        }
        return broken;
    };
    ::testing::internal::CaptureStdout();  // both processes' lines go to the capture file
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(save_and_read_back(2.0f) == 0 ? 0 : 1);
    int broken = save_and_read_back(1.0f);
    int status = 0;
    waitpid(child, &status, 0);
    std::string output = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(broken, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other process read a broken file";
    EXPECT_EQ(output.find("Save failed"), std::string::npos) << output.substr(0, 2000);
    EXPECT_TRUE(is_whole_save(read_text(save_path())));
    EXPECT_EQ(files_in(folder), std::vector<fs::path>{save_path()});  // no temporary file left
}

}  // namespace
