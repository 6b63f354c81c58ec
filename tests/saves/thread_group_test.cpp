#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <chrono>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "portable_semaphore.h"
#include "file_management/thread_group.h"
#include "runtime.h"

namespace {

struct Test_Work {
    int id = 0;
    Semaphore* started = nullptr;  // signalled when the work begins
    Semaphore* gate = nullptr;     // the work waits here before it ends
};

struct Work_Run {
    int id;
    int thread_index;
    int64_t worker;
    size_t temporary_size;
};

struct Recorder {
    std::mutex mutex;
    std::vector<Work_Run> runs;
    std::vector<std::string> log_lines;

    std::vector<int> ids_of_worker(int64_t worker) {
        std::lock_guard lock(mutex);
        std::vector<int> ids;
        for (const Work_Run& run : runs) if (run.worker == worker) ids.push_back(run.id);
        return ids;
    }
    size_t run_count() {
        std::lock_guard lock(mutex);
        return runs.size();
    }
    std::vector<std::string> lines_with(const std::string& word) {
        std::lock_guard lock(mutex);
        std::vector<std::string> found;
        for (const std::string& line : log_lines) if (line.find(word) != std::string::npos) found.push_back(line);
        return found;
    }
};

Thread_Continue_Status record_proc(Thread_Group* group, Thread* thread, void* work) {
    auto* test_work = static_cast<Test_Work*>(work);
    if (test_work->started) test_work->started->release();
    if (test_work->gate) test_work->gate->acquire();
    auto* recorder = static_cast<Recorder*>(group->data);
    std::lock_guard lock(recorder->mutex);
    recorder->runs.push_back({test_work->id, context.thread_index, thread->worker_number, context.temporary_storage->size});
    return Thread_Continue_Status::CONTINUE;
}

void capture_line(std::string_view message, Log_Flags, void* data) {
    auto* recorder = static_cast<Recorder*>(data);
    std::lock_guard lock(recorder->mutex);
    recorder->log_lines.emplace_back(message);
}

struct Pool_Fixture : ::testing::Test {
    Recorder recorder;
    Thread_Group group;
    std::vector<Test_Work> works = std::vector<Test_Work>(16);

    void SetUp() override {
        context.logger = capture_line;  // the workers take the creating thread's logger
        context.logger_data = &recorder;
        group.data = &recorder;
        for (int i = 0; i < int(works.size()); i++) works[i].id = i;
    }
    void TearDown() override {
        context.logger = nullptr;
        context.logger_data = nullptr;
    }
    // Thread indices count on across the process, so they are taken from the pool.
    int thread_index[2] = {0, 0};
    void init_pool(bool enable_work_stealing) {
        init(&group, 2, record_proc, enable_work_stealing, 16384);
        thread_index[0] = group.workers[0].index;
        thread_index[1] = group.workers[1].index;
    }
    bool wait_for_runs(size_t count) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (recorder.run_count() < count) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::yield();
        }
        return true;
    }
};

TEST_F(Pool_Fixture, HandsWorkOutInTurnAndRunsEachQueueInOrder) {
    init_pool(false);
    for (int i = 0; i < 6; i++) add_work(&group, &works[i]);
    start(&group);
    shutdown(&group);  // runs what is waiting

    EXPECT_THAT(recorder.ids_of_worker(0), ::testing::ElementsAre(0, 2, 4));
    EXPECT_THAT(recorder.ids_of_worker(1), ::testing::ElementsAre(1, 3, 5));
    EXPECT_GE(thread_index[0], 1);
    EXPECT_EQ(thread_index[1], thread_index[0] + 1);
    for (const Work_Run& run : recorder.runs) {
        EXPECT_EQ(run.thread_index, thread_index[run.worker]);
        EXPECT_EQ(run.temporary_size, 16384u);
    }
}

TEST_F(Pool_Fixture, IdleWorkerStealsTheOthersWaitingWork) {
    init_pool(true);
    start(&group);
    Semaphore started{0}, gate{0}, first_started{0}, first_gate{0};
    works[0].started = &started;
    works[0].gate = &gate;
    works[1].started = &first_started;
    works[1].gate = &first_gate;
    add_work(&group, &works[0]);  // worker 0 holds on to this one
    started.acquire();
    add_work(&group, &works[1]);  // and worker 1 to this one, until all the rest is queued
    first_started.acquire();
    for (int i = 2; i < 5; i++) add_work(&group, &works[i]);  // 3 to worker 1; 2, 4 wait for worker 0
    first_gate.release();
    EXPECT_TRUE(wait_for_runs(4));
    gate.release();
    shutdown(&group);

    EXPECT_THAT(recorder.ids_of_worker(1), ::testing::UnorderedElementsAre(1, 2, 3, 4));
    EXPECT_THAT(recorder.ids_of_worker(0), ::testing::ElementsAre(0));
    std::vector<std::string> stole = recorder.lines_with("stole");
    ASSERT_EQ(stole.size(), 2u);
    std::regex stole_line("'' stole     work ''  for thread " + std::to_string(thread_index[1]) +
                          R"( \(worker 1\) at time [0-9.]+ from worker 0\.\n)");
    for (const std::string& line : stole) EXPECT_TRUE(std::regex_match(line, stole_line)) << line;
}

TEST_F(Pool_Fixture, LogLinesKeepTheirSpacing) {
    init_pool(true);
    start(&group);
    add_work(&group, &works[0]);
    EXPECT_TRUE(wait_for_runs(1));
    shutdown(&group);

    std::vector<std::string> added = recorder.lines_with("added");
    std::vector<std::string> assigned = recorder.lines_with("assigned");
    ASSERT_EQ(added.size(), 1u);
    ASSERT_EQ(assigned.size(), 1u);
    EXPECT_TRUE(std::regex_match(added[0], std::regex(R"('' added     work '' to the available list at time [0-9.]+\.\n)")))
        << added[0];
    std::regex assigned_line("'' assigned  work ''   to thread " + std::to_string(thread_index[0]) +
                             R"( at time [0-9.]+\.\n)");
    EXPECT_TRUE(std::regex_match(assigned[0], assigned_line)) << assigned[0];
    // The "added" line is logged before a worker can take the work.
    std::lock_guard lock(recorder.mutex);
    EXPECT_NE(recorder.log_lines[0].find("added"), std::string::npos);
}

TEST_F(Pool_Fixture, ShutdownRunsTheWaitingWorkThatWasNotDropped) {
    init_pool(true);
    start(&group);
    Semaphore started0{0}, gate0{0}, started1{0}, gate1{0};
    works[0].started = &started0;
    works[0].gate = &gate0;
    works[1].started = &started1;
    works[1].gate = &gate1;
    add_work(&group, &works[0]);
    add_work(&group, &works[1]);
    started0.acquire();
    started1.acquire();
    for (int i = 2; i < 8; i++) add_work(&group, &works[i]);
    drop_waiting_work(&group, [](void* work, void*) { return static_cast<Test_Work*>(work)->id % 2 == 0; }, nullptr);
    gate0.release();
    gate1.release();
    shutdown(&group);

    std::vector<int> all = recorder.ids_of_worker(0);
    std::vector<int> of_worker1 = recorder.ids_of_worker(1);
    all.insert(all.end(), of_worker1.begin(), of_worker1.end());
    EXPECT_THAT(all, ::testing::UnorderedElementsAre(0, 1, 3, 5, 7));
}

}  // namespace
