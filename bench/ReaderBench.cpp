// Throughput of the survey file readers on generated files of 10^3 to 10^6 rows.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include <sys/resource.h>

#include "SurveyGenerator.h"
#include "cli/MessageRecorder.h"
#include "data/ColumnFileReader.h"
#include "data/TaggedFileReader.h"

namespace {

// Generated files, written once per kind and size, removed at the end.
std::map<std::pair<bool, std::size_t>, std::string> files;

std::string benchFile(bool column, std::size_t rows) {
    auto& path = files[{column, rows}];
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("vesplot-bench-" + std::to_string(std::random_device{}()) + "-" + std::to_string(rows) +
                 (column ? ".dat" : ".ves")))
                   .string();
        const std::string text = column ? generateColumnFile(rows, 42) : generateTaggedFile(rows, 42);
        std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return path;
}

std::size_t modelBytes(const StationList& stations) {
    std::size_t points = 0;
    for (const ProfileData& s : stations)
        points += s.size();
    return points * 9 * 4;
}

void report(benchmark::State& state, const std::string& path, const StationList& stations) {
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["stations"] = static_cast<double>(stations.size());
    state.counters["model_MB"] = static_cast<double>(modelBytes(stations)) / 1e6;
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1e3;
}

void BM_ColumnFileReader(benchmark::State& state) {
    const std::string path = benchFile(true, static_cast<std::size_t>(state.range(0)));
    StationList stations;
    for (auto _ : state) {
        // The open command empties the list before reading; that is not the reader's work.
        state.PauseTiming();
        stations = StationList();
        state.ResumeTiming();
        MessageRecorder ui;
        readColumnFile(ui, path, stations);
        benchmark::DoNotOptimize(stations.data());
    }
    report(state, path, stations);
}

void BM_TaggedFileReader(benchmark::State& state) {
    const std::string path = benchFile(false, static_cast<std::size_t>(state.range(0)));
    StationList stations;
    for (auto _ : state) {
        MessageRecorder ui;
        readTaggedFile(ui, path, stations);
        benchmark::DoNotOptimize(stations.data());
    }
    report(state, path, stations);
}

} // namespace

BENCHMARK(BM_ColumnFileReader)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaggedFileReader)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [key, path] : files)
        std::filesystem::remove(path);
    return 0;
}
