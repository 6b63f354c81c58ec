// Run from the repository folder (load_config reads data/config.dix): bash scripts/bench.sh dix
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory_resource>
#include <string>

#include "dix/module.h"
#include "file_management/runtime_config.h"

namespace {

// About 1 MB of configuration shaped like a real one: groups of tuned values with comments,
// strings and references between them.
const std::string& generated_text() {
    static const std::string text = [] {
        std::string out;
        for (int group = 0; out.size() < 1'000'000; ++group) {
            std::string g = std::to_string(group);
            out += "// tuning for enemy kind " + g + "\n";
            out += "enemy_" + g + " = {\n";
            out += "    name = \"enemy number " + g + "\";\n";
            out += "    speed = " + std::to_string(100 + group % 400) + ".25;  /* px per second */\n";
            out += "    health = " + std::to_string(group % 1000) + ";\n";
            out += "    flags = 0x" + std::to_string(group % 10) + "F; hostile = true;\n";
            out += "    stats = { attack = 1.5e1; defence = 012; range = 320.0; };\n";
            if (group > 0) out += "    follows = enemy_" + std::to_string(group - 1) + ".stats.range;\n";
            out += "};\n";
        }
        return out;
    }();
    return text;
}

// Shown as MB=<rate>/s: megabytes (10^6 bytes) of dix text per second.
void add_throughput(benchmark::State& state, size_t bytes) {
    state.counters["MB"] = benchmark::Counter(double(bytes) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

void BM_parse_dix_text(benchmark::State& state) {
    const std::string& text = generated_text();
    std::pmr::monotonic_buffer_resource arena;
    for (auto _ : state) {
        Push_Allocator use_arena(&arena);
        Dix_Read read = parse_dix_text("bench.dix", String(text));
        benchmark::DoNotOptimize(read);
        if (!read.success) state.SkipWithError("the generated text did not parse");
        arena.release();
    }
    add_throughput(state, text.size());
}
BENCHMARK(BM_parse_dix_text)->Unit(benchmark::kMillisecond);

void BM_load_dix_from_file(benchmark::State& state) {
    const std::string& text = generated_text();
    std::string path = (std::filesystem::temp_directory_path() / "quol_bench_1mb.dix").string();
    std::ofstream(path, std::ios::binary) << text;
    std::pmr::monotonic_buffer_resource arena;
    for (auto _ : state) {
        Push_Allocator use_arena(&arena);
        Dix_Read read = load_dix_from_file(String(path));
        benchmark::DoNotOptimize(read);
        arena.release();
    }
    add_throughput(state, text.size());
    std::remove(path.c_str());
}
BENCHMARK(BM_load_dix_from_file)->Unit(benchmark::kMillisecond);

void BM_load_config(benchmark::State& state) {
    std::pmr::monotonic_buffer_resource arena;
    for (auto _ : state) {
        Push_Allocator use_arena(&arena);
        load_config();
        arena.release();
    }
    if (speed <= 0) state.SkipWithError("data/config.dix gave no speed: run from the repository folder");
}
BENCHMARK(BM_load_config)->Unit(benchmark::kMicrosecond);

}  // namespace
