// open_times: what opening a large column file costs after the reading, in milliseconds (medians of RUNS).
//   open_times [ROWS [RUNS]]      a generated column file of ROWS rows (default 5000000, seed 42)
// Core, as the open command runs it: the reading (readDataFile), the rest of loadDataFile (decade checks,
// ranges, station entries, lengths), the status note's counts (measureDataQuality), the composition of
// the first station, and the freeing of the station list (when the next file replaces it). Window: the
// whole open of MainWindow::openDataPath (offscreen; from the second open on it frees the list of the
// one before), the same split at the end of the reading, the sheet's redraw and the plot control
// window's station entries filled and read back alone.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>

#include "SurveyGenerator.h"
#include "app/MainWindow.h"
#include "app/PlotControlWindow.h"
#include "cli/MessageRecorder.h"
#include "sheet/Composer.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(msBetween(start, Clock::now()));
    }
    return median(times);
}

// Marks the end of the reading: readDataFile ends its progress report once the reader is done.
class ReadEndUi : public MessageRecorder {
public:
    void endProgress() override { readEnd = Clock::now(); }
    Clock::time_point readEnd;
};

} // namespace

int main(int argc, char** argv) {
    const std::size_t rows = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 5000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    if (rows == 0 || runs <= 0) {
        std::fprintf(stderr, "usage: open_times [ROWS [RUNS]]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    const std::filesystem::path path = std::filesystem::temp_directory_path() / "vesplot-open-times.dat";
    {
        const std::string text = generateColumnFile(rows, 42);
        std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }

    // The core of the open, step by step.
    std::vector<double> read, afterRead, compose;
    std::size_t stations = 0;
    for (int i = 0; i < runs; ++i) {
        ReadEndUi ui;
        SheetState state(ui);
        PlotChoices choices;
        DataQuality quality;
        const auto start = Clock::now();
        if (loadDataFile(state, choices, path, DataFileKind::Column, ui, &quality) != OpenOutcome::Loaded) {
            std::fprintf(stderr, "open_times: the generated file did not load\n");
            return 1;
        }
        const auto loaded = Clock::now();
        composeSheet(state, choices);
        const auto composed = Clock::now();
        read.push_back(msBetween(start, ui.readEnd));
        afterRead.push_back(msBetween(ui.readEnd, loaded));
        compose.push_back(msBetween(loaded, composed));
        stations = state.stations.size();
    }
    std::printf("%zu rows, %zu stations\n", rows, stations);
    std::printf("core: reading %.1f ms, rest of the load %.1f ms, composing station 0 %.3f ms\n",
                median(read), median(afterRead), median(compose));

    {
        MessageRecorder ui;
        SheetState state(ui);
        PlotChoices choices;
        loadDataFile(state, choices, path, DataFileKind::Column, ui);
        const double quality =
            medianMs(runs, [&] { measureDataQuality(state.stations, DataFileKind::Column); });
        std::printf("core: the status note's counts alone %.1f ms\n", quality);
        // The next open replaces the stations: the list of this file is freed then.
        const auto start = Clock::now();
        state.stations = StationList();
        std::printf("core: the station list freed %.1f ms\n", msBetween(start, Clock::now()));
    }

    // The window's open, as a person's open after the dialog.
    {
        MainWindow window;
        auto owned = std::make_unique<ReadEndUi>();
        ReadEndUi& ui = *owned;
        window.setUi(std::move(owned));
        window.show();
        QApplication::processEvents();
        std::vector<double> total, rest;
        for (int i = 0; i < runs; ++i) {
            const auto start = Clock::now();
            window.openDataPath(QString::fromStdU16String(path.u16string()), DataFileKind::Column);
            const auto end = Clock::now();
            total.push_back(msBetween(start, end));
            rest.push_back(msBetween(ui.readEnd, end));
        }
        std::printf("window: open %.1f ms, of which after the reading %.1f ms\n", median(total),
                    median(rest));

        const double redraw = medianMs(runs, [&] { window.redrawSheet(); });
        std::printf("window: the sheet redrawn %.1f ms\n", redraw);

        const PlotChoices choices = window.plotControlWindow()->choices();
        const double fill = medianMs(runs, [&] { window.plotControlWindow()->applyChoices(choices); });
        std::size_t readBack = 0;
        const double back =
            medianMs(runs, [&] { readBack = window.plotControlWindow()->choices().stationItems.size(); });
        std::printf("window: %zu station entries shown %.1f ms, %zu read back %.1f ms\n",
                    choices.stationItems.size(), fill, readBack, back);
    }
    std::filesystem::remove(path);
    return 0;
}
