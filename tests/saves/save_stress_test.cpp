#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
    stolen_count = 0;
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

    const std::string long_month(200000, 'M');
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
    size_t failed = output.find("Save failed");
    EXPECT_EQ(failed, std::string::npos) << output.substr(failed, output.find('\n', failed) - failed);
    Game_Save last;
    ASSERT_TRUE(is_whole_save(read_text(save_path()), &last));
    EXPECT_EQ(last.state.player.position.x, float(SAVE_COUNT));  // the newest press
    EXPECT_EQ(last.state.time.ingame_hours, SAVE_COUNT % 24);
    RecordProperty("reads", int(reads));
    RecordProperty("stolen", int(stolen_count));
    std::printf("%lld reads of the file, %lld saves stolen by the other worker\n", (long long)reads.load(),
                (long long)stolen_count.load());
}

#if !defined(_WIN32)  // fork and PID namespaces: none on Windows
// Runs `instance` in a child process: process 1 of a PID namespace of its own where the system
// allows one (as in a sandboxed launch), so that two such children see the same process id.
// Returns the child's id; its exit status is the instance's result.
pid_t start_instance(int (*instance)(float), float x, bool own_pid_namespace) {
    std::fflush(nullptr);
    pid_t child = fork();
    if (child != 0) return child;
    if (!own_pid_namespace) _exit(instance(x));
    // Without root, a user namespace of its own grants the PID namespace where the system allows.
    if (unshare(CLONE_NEWPID) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWPID) != 0) _exit(100);
    pid_t inner = fork();  // the namespace's first process
    if (inner == 0) _exit(getpid() == 1 ? instance(x) : 101);
    int status = 0;
    waitpid(inner, &status, 0);
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 102);
}

// Saves from 8 bytes to 2 MB of label into the folder of game_dir, reading the file back after
// every one. Returns the number of failed saves and broken reads.
int save_and_read_back(float x) {
    constexpr int ROUNDS = 60;
    Thread worker;
    worker.index = 1;
    std::string save_path(tprint("%/quol.sav", game_dir).view());
    int faults = 0;
    for (int i = 1; i <= ROUNDS; i++) {
        Save_Request* request = make_request(i, i % 24, x, game_dir);
        std::string month(size_t(8) << (i % 19), 'M');  // up to 2 MB: slow writes overlap
        free_string(&request->month, std::pmr::new_delete_resource());
        request->month = copy_string(month, std::pmr::new_delete_resource());
        ::testing::internal::CaptureStdout();
        save_group_proc(nullptr, &worker, request);
        if (::testing::internal::GetCapturedStdout().find("Save completed") == std::string::npos) faults++;
        if (!is_whole_save(read_text(save_path))) faults++;
    }
    return faults;
}

// A player who starts the game twice, both sandboxed: two processes with the same process id
// save into one folder at once. Neither may fail a save or ever read a broken file.
TEST_F(SaveStress, TwoInstancesWithTheSameProcessIdNeverClash) {
    pid_t probe = start_instance([](float) { return 0; }, 0, true);
    ASSERT_GT(probe, 0);
    int status = 0;
    waitpid(probe, &status, 0);
    bool same_process_id = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!same_process_id) std::printf("no PID namespaces here: the two instances have process ids of their own\n");

    // The children save; this process only waits, so its own save state stays as it was.
    pid_t first = start_instance(save_and_read_back, 1.0f, same_process_id);
    pid_t second = start_instance(save_and_read_back, 2.0f, same_process_id);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    int first_status = 0, second_status = 0;
    waitpid(first, &first_status, 0);
    waitpid(second, &second_status, 0);

    EXPECT_TRUE(WIFEXITED(first_status) && WEXITSTATUS(first_status) == 0) << "faults: " << WEXITSTATUS(first_status);
    EXPECT_TRUE(WIFEXITED(second_status) && WEXITSTATUS(second_status) == 0) << "faults: " << WEXITSTATUS(second_status);
    EXPECT_TRUE(is_whole_save(read_text(save_path())));
    EXPECT_EQ(files_in(folder), std::vector<fs::path>{save_path()});  // no temporary file left
}
#endif

// Another instance starting up clears leftovers again and again while this one saves: it must
// never take the file a save is being written to.
TEST_F(SaveStress, StartUpCleaningNeverTakesALiveWritersFile) {
    std::atomic<bool> saving{true};
    std::thread cleaner([&] {
        while (saving) {
            for (const fs::path& file : files_in(folder)) {
                if (file.filename() != "quol.sav") os_remove_abandoned_file(file, "quol.sav.", ".tmp");
            }
        }
    });
    Thread worker;
    worker.index = 1;
    int failed = 0;
    for (int i = 1; i <= 3000; i++) {  // the window lasts a few system calls
        ::testing::internal::CaptureStdout();
        save_group_proc(nullptr, &worker, make_request(i, i % 24, 1.0f, game_dir));
        if (::testing::internal::GetCapturedStdout().find("Save completed") == std::string::npos) failed++;
    }
    saving = false;
    cleaner.join();
    EXPECT_EQ(failed, 0);
}

}  // namespace
