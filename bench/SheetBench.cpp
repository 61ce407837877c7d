// Open-to-painted time of generated column files and paint time of one sheet, through the open
// command's core and the window's paint pipeline on a QImage; the PNG encoder and the sheet bitmap.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "SurveyGenerator.h"
#include "cli/MessageRecorder.h"
#include "model/ForwardModel.h"
#include "render/PngEncoder.h"
#include "render/QtCanvas.h"
#include "render/SheetBitmap.h"
#include "sheet/Composer.h"
#include "sheet/ModelDrag.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetModel.h"
#include "sheet/SheetState.h"
#include "sheet/SheetView.h"

namespace {

// Generated column files, written once per size and removed at the end.
std::map<std::size_t, std::string> files;

std::string columnFile(std::size_t rows) {
    auto& path = files[rows];
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("vesplot-sheet-bench-" + std::to_string(std::random_device{}()) + "-" +
                 std::to_string(rows) + ".dat"))
                   .string();
        const std::string text = generateColumnFile(rows, 42);
        std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return path;
}

// The 100,000-row file opened as the window opens it; false (and the benchmark skipped) if it does not load.
bool openBenchmarkSheet(benchmark::State& state, SheetState& sheet, PlotChoices& choices, Ui& ui) {
    if (openDataFile(sheet, choices, columnFile(100000), DataFileKind::Column, ui) == OpenOutcome::Loaded)
        return true;
    state.SkipWithError("the generated file did not load");
    return false;
}

// All six parameters ticked, with symbols 1 to 6, and the sheet composed again.
void showAllSixCurves(SheetState& sheet, PlotChoices& choices) {
    choices.ticked.fill(true);
    choices.symbols = {1, 2, 3, 4, 5, 6};
    composeSheet(sheet, choices);
}

// What the window does after reading: size the bitmap, clear it, paint the sheet.
void paintOnImage(SheetState& state, const PlotChoices& choices, QImage& image, int dpi, Ui& ui) {
    const BitmapSize size = prepareSheetBitmap(state, dpi, dpi);
    if (image.width() != size.width || image.height() != size.height)
        image = QImage(size.width, size.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter, dpi, dpi);
    paintSheet(state, choices, canvas, size.width, size.height, ui);
}

// Opening a file to its painted sheet at 96 dpi: read, derive the ranges, compose station 0, paint.
// 700,000 rows hold 20,000 stations (numbers 1..20000, the later rows merged into them).
void BM_OpenToPaintedSheet(benchmark::State& state) {
    const std::string path = columnFile(static_cast<std::size_t>(state.range(0)));
    std::size_t stations = 0;
    for (auto _ : state) {
        MessageRecorder ui;
        SheetState sheet(ui);
        PlotChoices choices;
        if (openDataFile(sheet, choices, path, DataFileKind::Column, ui) != OpenOutcome::Loaded)
            state.SkipWithError("the generated file did not load");
        QImage image;
        paintOnImage(sheet, choices, image, 96, ui);
        benchmark::DoNotOptimize(image.constBits());
        stations = sheet.stations.size();
    }
    state.counters["stations"] = static_cast<double>(stations);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}

// One sheet painted again on its bitmap at `dpi` (the window's repaint after Apply): clear and paint.
// Arguments: dpi, and 1 for the resistivity curve alone (as after an open) or 6 for all six
// parameters with symbols.
void BM_PaintSheet(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    const bool allParameters = state.range(1) == 6;
    MessageRecorder ui;
    SheetState sheet(ui);
    PlotChoices choices;
    if (!openBenchmarkSheet(state, sheet, choices, ui))
        return;
    if (allParameters)
        showAllSixCurves(sheet, choices);
    QImage image;
    paintOnImage(sheet, choices, image, dpi, ui);
    for (auto _ : state) {
        paintOnImage(sheet, choices, image, dpi, ui);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["pixels_M"] = static_cast<double>(image.width()) * image.height() / 1e6;
}

// Composing another station of an opened file (the Apply command without the paint).
void BM_ComposeStation(benchmark::State& state) {
    MessageRecorder ui;
    SheetState sheet(ui);
    PlotChoices choices;
    if (!openBenchmarkSheet(state, sheet, choices, ui))
        return;
    choices.ticked.fill(true);
    std::size_t i = 0;
    for (auto _ : state) {
        choices.stationIndex = static_cast<int>(i++ % sheet.stations.size());
        composeSheet(sheet, choices);
        benchmark::DoNotOptimize(sheet.resCurve.xPoints.data());
    }
}

// The PNG file of a painted sheet: the encoder alone, on the bitmap of six curves with symbols at `dpi`.
void BM_EncodeSheetPng(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    MessageRecorder ui;
    SheetState sheet(ui);
    PlotChoices choices;
    if (!openBenchmarkSheet(state, sheet, choices, ui))
        return;
    showAllSixCurves(sheet, choices);
    QImage image;
    paintOnImage(sheet, choices, image, dpi, ui);
    const PngPixels pixels{reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                           image.height(), image.bytesPerLine() / 4, 0};
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::vector<unsigned char> png = encodePng(pixels);
        bytes = png.size();
        benchmark::DoNotOptimize(png.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * image.width() * image.height() *
                            4);
    state.counters["file_KB"] = static_cast<double>(bytes) / 1e3;
}

// A fresh white bitmap of the opened sheet's paper at `dpi`, as each export and each window repaint
// takes one:
// 0 = a plain QImage filled white, 1 = the sheet bitmap (huge pages, present at once).
void BM_NewSheetBitmap(benchmark::State& state) {
    const int dpi = static_cast<int>(state.range(0));
    const bool sheetBitmap = state.range(1) == 1;
    MessageRecorder ui;
    SheetState sheet(ui);
    PlotChoices choices;
    if (!openBenchmarkSheet(state, sheet, choices, ui))
        return;
    const BitmapSize size = prepareSheetBitmap(sheet, dpi, dpi);
    const int width = size.width;
    const int height = size.height;
    for (auto _ : state) {
        QImage image;
        if (sheetBitmap) {
            image = makeSheetBitmap(width, height);
        } else {
            image = QImage(width, height, QImage::Format_RGB32);
            image.fill(Qt::white);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * width * height * 4);
}

// One step of a drag of the model on the sheet, as the window takes it: the grabbed layer's new value,
// the response at the station's readings and its RMS, and the sheet painted again at 96 dpi twice (the
// bitmap and the smooth screen picture), with a 6-layer model, its response and its table.
void BM_ModelDragStep(benchmark::State& state) {
    MessageRecorder ui;
    SheetState sheet(ui);
    PlotChoices choices;
    if (!openBenchmarkSheet(state, sheet, choices, ui))
        return;
    QImage image;
    paintOnImage(sheet, choices, image, 96, ui); // lays out the frame
    const Station& station = sheet.stations[static_cast<std::size_t>(choices.stationIndex)];
    // Six layers spread over the axes: resistivities across the left axis, interfaces across the bottom.
    const double rhoLow = sheet.leftAxis.rangeMin, rhoHigh = sheet.leftAxis.rangeMax;
    const double abLow = sheet.bottomAxis.rangeMin, abHigh = sheet.bottomAxis.rangeMax;
    SheetModel sheetModel;
    sheetModel.stationNumber = station.stationNumber.front();
    double top = 0.0;
    for (int i = 0; i < 6; ++i) {
        const double depth = abLow * std::pow(abHigh / abLow, (i + 1) / 7.0);
        sheetModel.earth.layers.push_back(
            {rhoLow * std::pow(rhoHigh / rhoLow, (i % 2 ? 0.3 : 0.6)), i < 5 ? depth - top : 0.0});
        top = depth;
    }
    sheet.stationModel = sheetModel;
    const int x = static_cast<int>(sheet.originX + sheet.xLength * 0.5);
    const int y = static_cast<int>(sheet.originY + sheet.yLength * 0.3);
    const std::optional<ModelDrag> drag =
        ModelDrag::grab(sheet, choices, {x, static_cast<int>(sheet.originY + sheet.yLength * 0.3 + 0.5)});
    if (!drag) {
        state.SkipWithError("no piece of the model under the point");
        return;
    }
    const std::vector<double> ab2(station.abHalf.begin(), station.abHalf.end());
    QImage smooth(image.size(), QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        sheet.stationModel->earth = drag->movedTo(sheet, {x, y + (step++ % 40) * 5});
        const std::vector<double> rhoa = model::apparentResistivity(sheet.stationModel->earth, ab2);
        benchmark::DoNotOptimize(rhoa.data());
        paintOnImage(sheet, choices, image, 96, ui);
        smooth.fill(Qt::white);
        QPainter painter(&smooth);
        QtCanvas canvas(painter, 96, 96, QtCanvas::Rendering::Smooth);
        paintSheet(sheet, choices, canvas, image.width(), image.height(), ui);
        benchmark::DoNotOptimize(smooth.constBits());
    }
}

} // namespace

BENCHMARK(BM_ModelDragStep)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenToPaintedSheet)->Arg(700000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PaintSheet)
    ->Args({96, 1})
    ->Args({96, 6})
    ->Args({600, 1})
    ->Args({600, 6})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ComposeStation)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeSheetPng)->Arg(96)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NewSheetBitmap)
    ->Args({96, 0})
    ->Args({96, 1})
    ->Args({300, 0})
    ->Args({300, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    // Painting needs fonts and images but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [rows, path] : files)
        std::filesystem::remove(path);
    return 0;
}
