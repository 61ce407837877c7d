// Throughput of the survey file readers on generated files of 10^3 to 10^6 rows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
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

// Bytes the station list holds: its records and the heap memory of their columns, at capacity.
std::size_t heldBytes(const StationList& stations) {
    std::size_t bytes = stations.capacity() * sizeof(Station);
    for (const Station& s : stations) {
        bytes += (s.abHalf.capacity() + s.resistivity.capacity()) * sizeof(float);
        bytes += s.stationNumber.heapBytes() + s.pointCode.heapBytes();
        for (const ValueColumn<float>* column :
             {&s.chargeability, &s.deviation, &s.halfDecayTime, &s.decay, &s.compositeParameter, &s.mnHalf})
            bytes += column->heapBytes();
    }
    return bytes;
}

std::size_t pointCount(const StationList& stations) {
    std::size_t points = 0;
    for (const Station& s : stations)
        points += s.size();
    return points;
}

void report(benchmark::State& state, const std::string& path, const StationList& stations) {
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(path));
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["stations"] = static_cast<double>(stations.size());
    const auto held = static_cast<double>(heldBytes(stations));
    state.counters["model_MB"] = held / 1e6;
    state.counters["model_B_per_point"] =
        held / static_cast<double>(std::max<std::size_t>(pointCount(stations), 1));
    state.counters["model_per_file_byte"] = held / static_cast<double>(bytes);
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
