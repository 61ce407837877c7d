// Fits of the field soundings, timed: per station (3-layer block fit and smooth fit, median of RUNS runs)
// and per file (all stations on 1 and 2 threads). Prints a markdown table; bench/compare-model.sh puts it
// beside the scipy peer's (bench/peers/invert.py).
//   model_times DATA.dat... [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cli/MessageRecorder.h"
#include "core/FilePath.h"
#include "data/ColumnFileReader.h"
#include "model/BatchFit.h"
#include "model/BlockInversion.h"
#include "model/SmoothInversion.h"
#include "sheet/StationSounding.h"

namespace {

// The stations of a column file as the program reads them, each as the sounding a fit is given.
std::vector<std::pair<int, model::SoundingData>> readSoundings(const char* path) {
    MessageRecorder ui;
    StationList stations;
    readColumnFile(ui, pathFromUtf8(path), stations);
    std::vector<std::pair<int, model::SoundingData>> soundings;
    for (const Station& station : stations)
        soundings.emplace_back(station.stationNumber.empty() ? 0 : station.stationNumber[0],
                               soundingOf(station, false));
    return soundings;
}

template <class F> double medianMs(int runs, F&& f) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(argv[i]);
    }
    std::printf(
        "| file | station | points | 3-layer RMS %% | iterations | 3-layer ms | smooth RMS %% | smooth "
        "layers | smooth ms |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::vector<std::string> fileRows;
    for (const char* path : files) {
        const auto stations = readSoundings(path);
        std::string name = path;
        name = name.substr(name.find_last_of("/\\") + 1);
        name = name.substr(0, name.find('.'));
        std::vector<model::SoundingData> all;
        for (const auto& [number, data] : stations) {
            all.push_back(data);
            model::FitResult block, smooth;
            const double blockMs = medianMs(runs, [&] { block = model::fitBlockModel(data); });
            const double smoothMs = medianMs(runs, [&] { smooth = model::fitSmoothModel(data); });
            std::printf("| %s | %d | %d | %.2f | %d | %.1f | %.2f | %zu | %.1f |\n", name.c_str(), number,
                        block.report.pointsUsed, block.report.rmsPercent, block.report.iterations, blockMs,
                        smooth.report.rmsPercent, smooth.model.size(), smoothMs);
        }
        model::BatchOptions options;
        char row[256];
        options.threads = 1;
        const double one = medianMs(runs, [&] { model::fitStations(all, options); });
        options.threads = 2;
        const double two = medianMs(runs, [&] { model::fitStations(all, options); });
        std::snprintf(row, sizeof row, "| %s | %zu | %.1f | %.1f |", name.c_str(), all.size(), one, two);
        fileRows.push_back(row);
    }
    std::printf(
        "\n| file | stations | 3-layer fits, 1 thread (ms) | 2 threads (ms) |\n|---|---:|---:|---:|\n");
    for (const std::string& row : fileRows)
        std::printf("%s\n", row.c_str());
}
