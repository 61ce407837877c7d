// vesplot_times: in-process timings for bench/compare.sh, each the median of RUNS, in milliseconds.
//   vesplot_times load FILE RUNS             reading a column file as the open command does (ranges included)
//   vesplot_times sheet FILE OUT DPI RUNS    composing station 0 and writing it to OUT (.png, .pdf, ...)
//   vesplot_times pages FILE OUT RUNS        every station as one page of the PDF OUT
// Sheets draw the resistivity curve with filled circles (symbol 4), as `vesplot export --symbols 4`.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "cli/MessageRecorder.h"
#include "core/ConversionError.h"
#include "render/SheetExport.h"
#include "sheet/Composer.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    const auto n = times.size();
    return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

bool load(SheetState& state, PlotChoices& choices, const std::string& path, Ui& ui) {
    try {
        return loadDataFile(state, choices, path, DataFileKind::Column, ui) == OpenOutcome::Loaded;
    } catch (const ConversionError& error) {
        std::fprintf(stderr, "vesplot_times: %s\n", error.what());
        return false;
    }
}

int usage() {
    std::fprintf(stderr,
                 "usage: vesplot_times load FILE RUNS | sheet FILE OUT DPI RUNS | pages FILE OUT RUNS\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return usage();
    const std::string command = argv[1];
    const std::string file = argv[2];
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    MessageRecorder ui;

    if (command == "load" && argc == 4) {
        std::size_t stations = 0;
        bool ok = true;
        const double ms = medianMs(std::atoi(argv[3]), [&] {
            SheetState state(ui);
            PlotChoices choices;
            ok = ok && load(state, choices, file, ui);
            stations = state.stations.size();
        });
        std::printf("%.3f ms (%zu stations)\n", ms, stations);
        return ok ? 0 : 1;
    }

    SheetState state(ui);
    PlotChoices choices;
    if (!load(state, choices, file, ui))
        return 1;
    choices.symbols[Quantity::Res] = 4;
    const std::string out = argv[3];
    std::string failure;
    double ms = 0;
    if (command == "sheet" && argc == 6) {
        const int dpi = std::atoi(argv[4]);
        ms = medianMs(std::atoi(argv[5]), [&] {
            choices.stationIndex = 0;
            composeSheet(state, choices);
            failure = writeSheetFile(state, choices, out, dpi, ui);
        });
    } else if (command == "pages" && argc == 5) {
        ms = medianMs(std::atoi(argv[4]), [&] {
            failure = writeSheetPdfPages(
                state, choices, out, state.stations.size(),
                [&](std::size_t i) {
                    choices.stationIndex = static_cast<int>(i);
                    composeSheet(state, choices);
                },
                ui);
        });
    } else {
        return usage();
    }
    if (!failure.empty()) {
        std::fprintf(stderr, "vesplot_times: %s\n", failure.c_str());
        return 1;
    }
    std::printf("%.3f ms (%zu stations)\n", ms, state.stations.size());
    return 0;
}
