// Runs the real game loop straight into the game scene (debug overlay on) for 10 seconds and
// reports the frame rate, the frames over the 1.1 x 1/60 s budget after the first second, and the
// CPU time per frame spent outside the present-and-wait step. Without a display it re-runs itself
// under xvfb-run. Run from the repository folder (the game loads its assets from there).
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime.h"
#include "scene_management/scene_manager.h"

int game_main();

namespace {

constexpr double RUN_SECONDS = 10.0;
constexpr double WARM_UP_SECONDS = 1.0;
constexpr double BUDGET_SECONDS = 1.1 / 60.0;

double now_seconds(clockid_t clock) {
    timespec t;
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Frame_Sample {
    double end_wall;           // when the frame's present-and-wait returned
    double work_thread_cpu;    // main-thread CPU from the previous frame's end to this present
    double work_process_cpu;   // the same for the whole process (the software renderer's threads)
};

std::vector<Frame_Sample> samples;
double start_wall = 0, start_process_cpu = 0, end_process_cpu = 0;
double frame_start_thread_cpu = 0, frame_start_process_cpu = 0;
double work_thread_cpu = 0, work_process_cpu = 0;

}  // namespace

void frame_probe_before_present() {
    work_thread_cpu = now_seconds(CLOCK_THREAD_CPUTIME_ID) - frame_start_thread_cpu;
    work_process_cpu = now_seconds(CLOCK_PROCESS_CPUTIME_ID) - frame_start_process_cpu;
}

void frame_probe_after_present() {
    double wall = now_seconds(CLOCK_MONOTONIC);
    if (samples.empty()) {  // the run is timed from the first presented frame, after start-up
        start_wall = wall;
        start_process_cpu = now_seconds(CLOCK_PROCESS_CPUTIME_ID);
    }
    samples.push_back({wall, work_thread_cpu, work_process_cpu});
    frame_start_thread_cpu = now_seconds(CLOCK_THREAD_CPUTIME_ID);
    frame_start_process_cpu = now_seconds(CLOCK_PROCESS_CPUTIME_ID);
    if (wall - start_wall >= RUN_SECONDS && running) {
        running = false;  // ends through the normal shutdown
        end_process_cpu = now_seconds(CLOCK_PROCESS_CPUTIME_ID);
    }
}

static void report() {
    std::vector<double> lengths, thread_cpu, process_cpu;
    int64_t over_budget = 0;
    for (size_t i = 1; i < samples.size(); i++) {
        if (samples[i].end_wall - start_wall < WARM_UP_SECONDS) continue;
        double length = samples[i].end_wall - samples[i - 1].end_wall;
        lengths.push_back(length);
        thread_cpu.push_back(samples[i].work_thread_cpu);
        process_cpu.push_back(samples[i].work_process_cpu);
        if (length > BUDGET_SECONDS) over_budget++;
    }
    if (lengths.empty()) {
        std::printf("no frames measured\n");
        return;
    }
    auto percentile = [](std::vector<double> v, double p) {
        std::sort(v.begin(), v.end());
        return v[size_t(p * double(v.size() - 1))];
    };
    double measured = samples.back().end_wall - samples.front().end_wall;
    std::printf("game scene, debug overlay on, %.1f s under the frame target of 60 fps\n", measured);
    std::printf("  frames per second      %.2f (%zu frames)\n", double(samples.size() - 1) / measured, samples.size());
    std::printf("  frame length           median %.3f ms, p99 %.3f ms, max %.3f ms\n", percentile(lengths, 0.5) * 1e3,
                percentile(lengths, 0.99) * 1e3, percentile(lengths, 1.0) * 1e3);
    std::printf("  frames over %.3f ms    %lld of %zu after the first second\n", BUDGET_SECONDS * 1e3,
                (long long)over_budget, lengths.size());
    std::printf("  CPU per frame outside the present-and-wait:\n");
    std::printf("    main thread          median %.3f ms, p99 %.3f ms\n", percentile(thread_cpu, 0.5) * 1e3,
                percentile(thread_cpu, 0.99) * 1e3);
    std::printf("    whole process        median %.3f ms, p99 %.3f ms\n", percentile(process_cpu, 0.5) * 1e3,
                percentile(process_cpu, 0.99) * 1e3);
    std::printf("  CPU per frame in all (drawing, present and wait included): %.3f ms\n",
                (end_process_cpu - start_process_cpu) / double(samples.size() - 1) * 1e3);
}

int main(int, char** argv) {
    if (!getenv("DISPLAY")) {
        execlp("xvfb-run", "xvfb-run", "-a", "-s", "-screen 0 1600x900x24", argv[0], (char*)nullptr);
        std::perror("xvfb-run");
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "x11", 0);
    init_thread_context(0, 256 * 1024);
    current_scene = GAME;  // straight into the game scene: no splash, no click on Play
    frame_start_thread_cpu = now_seconds(CLOCK_THREAD_CPUTIME_ID);
    frame_start_process_cpu = now_seconds(CLOCK_PROCESS_CPUTIME_ID);
    int status = game_main();
    report();
    return status;
}
