// One save-shaped record written and read by the typed JSON module, by RapidJSON (Writer, DOM
// Parse) and by nlohmann/json; the run ends with the time ratios against both.
#include <benchmark/benchmark.h>

#include <map>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "save_records.h"
#include "typed.h"

namespace {

const Save_Record save = example_save();

std::string save_text() {
    String text = json_write_string(save, "\t", member_has_ignore_note, rename_by_note, 1);
    std::string result(text.view());
    free_string(&text);
    return result;
}

const std::string text = save_text();

// --- writing ----------------------------------------------------------------------------------

void quol_write(benchmark::State& state, std::string_view indent) {
    for (auto _ : state) {
        String written = json_write_string(save, indent, member_has_ignore_note, rename_by_note, 1);
        benchmark::DoNotOptimize(written.data);
        free_string(&written);
    }
}
void BM_quol_write_tabs(benchmark::State& state) { quol_write(state, "\t"); }
void BM_quol_write_compact(benchmark::State& state) { quol_write(state, ""); }

template <typename Writer>
void rapidjson_write_save(Writer& w) {
    w.StartObject();
    w.Key("header");
    w.StartObject();
    w.Key("version");
    w.Double(double(save.header.version));
    w.Key("checksum");
    w.Uint(save.header.checksum);
    w.EndObject();
    w.Key("state");
    w.StartObject();
    w.Key("saved_at");
    w.String(save.state.saved_at.data, rapidjson::SizeType(save.state.saved_at.count));
    w.Key("player");
    w.StartObject();
    w.Key("position");
    w.StartObject();
    w.Key("x");
    w.Double(double(save.state.player.position.x));
    w.Key("y");
    w.Double(double(save.state.player.position.y));
    w.EndObject();
    w.EndObject();
    w.Key("time");
    w.StartObject();
    w.Key("night_time");
    w.Bool(save.state.time.night_time);
    w.Key("ingame_hours");
    w.Int64(save.state.time.ingame_hours);
    w.Key("ingame_minutes");
    w.Int64(save.state.time.ingame_minutes);
    w.Key("days");
    w.Int64(save.state.time.days);
    w.Key("month");
    w.String(save.state.time.month.data, rapidjson::SizeType(save.state.time.month.count));
    w.EndObject();
    w.EndObject();
    w.EndObject();
}

void BM_rapidjson_write_compact(benchmark::State& state) {
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        rapidjson_write_save(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
}

void BM_rapidjson_write_tabs(benchmark::State& state) {
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
        writer.SetIndent('\t', 1);
        rapidjson_write_save(writer);
        benchmark::DoNotOptimize(buffer.GetString());
    }
}

nlohmann::json nlohmann_of_save() {
    return {{"header", {{"version", save.header.version}, {"checksum", save.header.checksum}}},
            {"state",
             {{"saved_at", std::string(save.state.saved_at.view())},
              {"player", {{"position", {{"x", save.state.player.position.x}, {"y", save.state.player.position.y}}}}},
              {"time",
               {{"night_time", save.state.time.night_time},
                {"ingame_hours", save.state.time.ingame_hours},
                {"ingame_minutes", save.state.time.ingame_minutes},
                {"days", save.state.time.days},
                {"month", std::string(save.state.time.month.view())}}}}}};
}

void nlohmann_write(benchmark::State& state, int indent) {
    for (auto _ : state) {
        std::string written = nlohmann_of_save().dump(indent, '\t');
        benchmark::DoNotOptimize(written.data());
    }
}
void BM_nlohmann_write_tabs(benchmark::State& state) { nlohmann_write(state, 1); }
void BM_nlohmann_write_compact(benchmark::State& state) { nlohmann_write(state, -1); }

// --- reading: the text into a record, strings copied out --------------------------------------

void BM_quol_read(benchmark::State& state) {
    for (auto _ : state) {
        auto [read, ok] = json_parse_string<Save_Record>(text, true, rename_by_note, 1);
        benchmark::DoNotOptimize(ok);
        free_string(&read.state.saved_at);
        free_string(&read.state.time.month);
    }
}

String copy_of(const rapidjson::Value& v) { return copy_string({v.GetString(), v.GetStringLength()}); }

void BM_rapidjson_read(benchmark::State& state) {
    for (auto _ : state) {
        rapidjson::Document d;
        d.Parse(text.data(), text.size());
        Save_Record read{};
        const auto& header = d["header"];
        read.header.version = header["version"].GetFloat();
        read.header.checksum = header["checksum"].GetUint();
        const auto& s = d["state"];
        read.state.saved_at = copy_of(s["saved_at"]);
        read.state.player.position.x = s["player"]["position"]["x"].GetFloat();
        read.state.player.position.y = s["player"]["position"]["y"].GetFloat();
        const auto& t = s["time"];
        read.state.time.night_time = t["night_time"].GetBool();
        read.state.time.ingame_hours = t["ingame_hours"].GetInt64();
        read.state.time.ingame_minutes = t["ingame_minutes"].GetInt64();
        read.state.time.days = t["days"].GetInt64();
        read.state.time.month = copy_of(t["month"]);
        benchmark::DoNotOptimize(read);
        free_string(&read.state.saved_at);
        free_string(&read.state.time.month);
    }
}

void BM_nlohmann_read(benchmark::State& state) {
    for (auto _ : state) {
        nlohmann::json j = nlohmann::json::parse(text);
        Save_Record read{};
        read.header.version = j["header"]["version"].get<float>();
        read.header.checksum = j["header"]["checksum"].get<uint32_t>();
        const auto& s = j["state"];
        read.state.saved_at = copy_string(s["saved_at"].get_ref<const std::string&>());
        read.state.player.position.x = s["player"]["position"]["x"].get<float>();
        read.state.player.position.y = s["player"]["position"]["y"].get<float>();
        const auto& t = s["time"];
        read.state.time.night_time = t["night_time"].get<bool>();
        read.state.time.ingame_hours = t["ingame_hours"].get<int64_t>();
        read.state.time.ingame_minutes = t["ingame_minutes"].get<int64_t>();
        read.state.time.days = t["days"].get<int64_t>();
        read.state.time.month = copy_string(t["month"].get_ref<const std::string&>());
        benchmark::DoNotOptimize(read);
        free_string(&read.state.saved_at);
        free_string(&read.state.time.month);
    }
}

BENCHMARK(BM_quol_write_tabs)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_rapidjson_write_tabs)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_nlohmann_write_tabs)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_quol_write_compact)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_rapidjson_write_compact)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_nlohmann_write_compact)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_quol_read)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_rapidjson_read)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_nlohmann_read)->Repetitions(7)->ReportAggregatesOnly(true);

// Keeps each benchmark's time per iteration for the ratios.
struct Ratio_Reporter : benchmark::ConsoleReporter {
    std::map<std::string, double> nanoseconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        // The median of the repetitions, in CPU time: the machine may be busy with other work.
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") nanoseconds[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void print_ratio(const Ratio_Reporter& r, const std::string& ours, const std::string& theirs) {
    auto a = r.nanoseconds.find(ours);
    auto b = r.nanoseconds.find(theirs);
    if (a == r.nanoseconds.end() || b == r.nanoseconds.end()) return;
    printf("%-28s / %-28s = %.2f  (below 1: ours is faster)\n", ours.c_str(), theirs.c_str(), a->second / b->second);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Ratio_Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printf("\nCPU time ratios (medians) for one save (%zu bytes of text):\n", text.size());
    for (const char* kind : {"write_tabs", "write_compact", "read"}) {
        std::string ours = std::string("BM_quol_") + kind;
        print_ratio(reporter, ours, std::string("BM_rapidjson_") + kind);
        print_ratio(reporter, ours, std::string("BM_nlohmann_") + kind);
    }
    benchmark::Shutdown();
    return 0;
}
