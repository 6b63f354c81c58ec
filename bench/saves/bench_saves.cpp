// queue_save on the main thread (goal: under 5 microseconds at the 99th percentile) and one
// whole save as a worker runs it: date, checksum, JSON text, file write and rename.
// The runtime's assert.h shadows the C library's <assert.h> on the include path, and
// benchmark.h needs the real assert macro.
#include "/usr/include/assert.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "file_management/dir_manager.h"
#include "file_management/save_manager.h"
#include "player/player.h"

namespace {

namespace fs = std::filesystem;

// The save lines go to standard output; send them to /dev/null while measuring.
struct Quiet_Stdout {
    int saved = dup(1);
    Quiet_Stdout() {
        std::fflush(stdout);
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 1);
        close(null_fd);
    }
    ~Quiet_Stdout() {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
};

fs::path bench_folder() {
    fs::path folder = fs::temp_directory_path() / "quol_bench_saves";
    fs::create_directories(folder);
    if (game_dir.empty()) game_dir = copy_string(folder.string());
    return folder;
}

int64_t waiting_requests() {
    int64_t count = 0;
    for (int64_t i = 0; i < save_group.worker_count; i++) {
        std::lock_guard lock(save_group.workers[i].queue.mutex);
        count += int64_t(save_group.workers[i].queue.entries.size());
    }
    return count;
}

// Each call's own time, as percentiles; Google Benchmark's mean hides the tail.
void report_percentiles(benchmark::State& state, std::vector<double>* microseconds) {
    std::sort(microseconds->begin(), microseconds->end());
    auto percentile = [&](double p) { return (*microseconds)[size_t(p * double(microseconds->size() - 1))]; };
    state.counters["p50_us"] = percentile(0.50);
    state.counters["p99_us"] = percentile(0.99);
    state.counters["max_us"] = microseconds->back();
}

// `pause_every`: presses between two waits for the workers; 1 is a player pressing C now and
// then (every press wakes an idle worker), larger values are presses in quick succession.
void BM_queue_save(benchmark::State& state) {
    const int64_t pause_every = state.range(0);
    bench_folder();
    init_save_system();
    std::vector<double> microseconds;
    {
        Quiet_Stdout quiet;
        int64_t i = 0;
        for (auto _ : state) {
            player.position = {float(i), 2.0f};
            auto start = std::chrono::steady_clock::now();
            queue_save(i % 2 == 0, i % 24, i % 20, 1 + i % 6, "Summer 2");
            auto end = std::chrono::steady_clock::now();
            microseconds.push_back(std::chrono::duration<double, std::micro>(end - start).count());
            if (++i % pause_every == 0) {
                state.PauseTiming();
                while (waiting_requests() > 0) std::this_thread::yield();
                if (pause_every == 1) std::this_thread::sleep_for(std::chrono::microseconds(500));
                state.ResumeTiming();
            }
        }
        shutdown_save_system();
    }
    report_percentiles(state, &microseconds);
}
BENCHMARK(BM_queue_save)->Arg(1)->Iterations(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_queue_save)->Arg(32)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_whole_save(benchmark::State& state) {
    fs::path folder = bench_folder();
    Thread worker;
    worker.index = 1;
    int64_t sequence = int64_t(1) << 40;  // after every press of the other benchmark
    {
        Quiet_Stdout quiet;
        for (auto _ : state) {
            auto* request = new Save_Request{};
            request->ingame_hours = 19;
            request->ingame_minutes = 12;
            request->days = 3;
            request->month = copy_string("Summer 2", std::pmr::new_delete_resource());
            request->game_dir = copy_string(game_dir, std::pmr::new_delete_resource());
            request->position = {412.5f, -96.25f};
            request->sequence = sequence++;
            save_group_proc(nullptr, &worker, request);
            reset_temporary_storage();
        }
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_whole_save)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
