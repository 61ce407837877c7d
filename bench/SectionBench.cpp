// Survey-line section of a generated 200-station line of 30 spacings each: station samples, grid,
// contours and the sheet's layout; painting the laid-out sheet on the recording canvas; both together;
// writing the laid-out sheet as a PDF page; layout and PDF together. Then the model section of a generated
// 200-station line over a layered earth: every station fitted with three layers on all cores, laid out and
// written as a PDF page, and the same without the fits.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cmath>
#include <filesystem>

#include "RecordingCanvas.h"
#include "SurveyGenerator.h"
#include "model/BatchFit.h"
#include "render/SectionExport.h"
#include "section/SectionSheet.h"
#include "sheet/StationSounding.h"

namespace {

constexpr int stationCount = 200;
constexpr int spacingCount = 30;

// AB/2 from 1.5 m to 1000 m in equal log steps; resistivity a smooth field of position and depth
// between about 30 and 3000 Ω·m; every 37th reading missing, so the grid has holes.
StationList generatedLine() {
    StationList line;
    int reading = 0;
    for (int s = 0; s < stationCount; ++s) {
        Station station;
        for (int k = 0; k < spacingCount; ++k) {
            const double logAb = std::log10(1.5) + k * (3.0 - std::log10(1.5)) / (spacingCount - 1);
            const double rho = 300.0 * std::pow(10.0, std::sin(s / 15.0) * std::cos(logAb * 1.7));
            const float value = ++reading % 37 == 0 ? missingValue : static_cast<float>(rho);
            station.appendPoint(s + 1, static_cast<float>(std::pow(10.0, logAb)), value, 2.0f, missingValue,
                                missingValue, missingValue, missingValue);
        }
        line.push_back(std::move(station));
    }
    return line;
}

SectionOptions benchOptions() {
    SectionOptions options;
    options.spacing = 20.0; // 4 km of line
    return options;
}

void BM_SectionLayout(benchmark::State& state) {
    const StationList line = generatedLine();
    const SectionOptions options = benchOptions();
    for (auto _ : state) {
        SectionSheet sheet;
        benchmark::DoNotOptimize(sheet.layoutPseudosection(line, options).ok);
    }
}
BENCHMARK(BM_SectionLayout)->Unit(benchmark::kMillisecond);

void BM_SectionPaint(benchmark::State& state) {
    SectionSheet sheet;
    if (!sheet.layoutPseudosection(generatedLine(), benchOptions())) {
        state.SkipWithError("the generated line did not lay out");
        return;
    }
    for (auto _ : state) {
        RecordingCanvas canvas;
        canvas.setMapMode(MapMode::LoMetric);
        sheet.draw(canvas);
        benchmark::DoNotOptimize(canvas.calls.size());
    }
}
BENCHMARK(BM_SectionPaint)->Unit(benchmark::kMillisecond);

void BM_SectionLayoutAndPaint(benchmark::State& state) {
    const StationList line = generatedLine();
    const SectionOptions options = benchOptions();
    for (auto _ : state) {
        SectionSheet sheet;
        sheet.layoutPseudosection(line, options);
        RecordingCanvas canvas;
        canvas.setMapMode(MapMode::LoMetric);
        sheet.draw(canvas);
        benchmark::DoNotOptimize(canvas.calls.size());
    }
}
BENCHMARK(BM_SectionLayoutAndPaint)->Unit(benchmark::kMillisecond);

void BM_SectionPdf(benchmark::State& state) {
    SectionSheet sheet;
    if (!sheet.layoutPseudosection(generatedLine(), benchOptions())) {
        state.SkipWithError("the generated line did not lay out");
        return;
    }
    const std::filesystem::path pdf = std::filesystem::temp_directory_path() / "vesplot-section-bench.pdf";
    for (auto _ : state) {
        if (!writeSectionFile(sheet, pdf.string(), 150).empty()) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
    }
    std::filesystem::remove(pdf);
}
BENCHMARK(BM_SectionPdf)->Unit(benchmark::kMillisecond);

// The whole pseudosection from stations to its PDF page, as `vesplot section` does after reading.
void BM_SectionLayoutAndPdf(benchmark::State& state) {
    const StationList line = generatedLine();
    const std::filesystem::path pdf = std::filesystem::temp_directory_path() / "vesplot-section-bench.pdf";
    for (auto _ : state) {
        SectionSheet sheet;
        if (!sheet.layoutPseudosection(line, benchOptions()) ||
            !writeSectionFile(sheet, pdf.string(), 150).empty()) {
            state.SkipWithError("the section could not be written");
            break;
        }
    }
    std::filesystem::remove(pdf);
}
BENCHMARK(BM_SectionLayoutAndPdf)->Unit(benchmark::kMillisecond);

// The stations' three-layer fits, on all cores, as the model section takes them.
std::vector<StationModel> fittedModels(const StationList& line) {
    std::vector<model::SoundingData> soundings;
    for (const Station& station : line)
        soundings.push_back(soundingOf(station, false));
    const std::vector<model::FitResult> fits = model::fitStations(soundings, model::BatchOptions{});
    std::vector<StationModel> models;
    for (std::size_t i = 0; i < fits.size(); ++i)
        models.push_back(stationModelOf(line[i], fits[i]));
    return models;
}

// Lays out the model section and writes it as a PDF page; false on failure (reported on `state`).
bool writeModelSection(benchmark::State& state, const std::vector<StationModel>& models,
                       const std::filesystem::path& pdf) {
    SectionSheet sheet;
    if (!sheet.layoutModelSection(models, benchOptions())) {
        state.SkipWithError("the model section did not lay out");
        return false;
    }
    if (!writeSectionFile(sheet, pdf.string(), 150).empty()) {
        state.SkipWithError("the PDF could not be written");
        return false;
    }
    return true;
}

void BM_ModelSectionWithFits(benchmark::State& state) {
    const StationList line = generateSurveyLine(stationCount, 42);
    const std::filesystem::path pdf =
        std::filesystem::temp_directory_path() / "vesplot-model-section-bench.pdf";
    for (auto _ : state) {
        if (!writeModelSection(state, fittedModels(line), pdf))
            break;
    }
    std::filesystem::remove(pdf);
}
// The fits run on other threads: wall time is what the user waits.
BENCHMARK(BM_ModelSectionWithFits)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ModelSectionPdf(benchmark::State& state) {
    const std::vector<StationModel> models = fittedModels(generateSurveyLine(stationCount, 42));
    const std::filesystem::path pdf =
        std::filesystem::temp_directory_path() / "vesplot-model-section-bench.pdf";
    for (auto _ : state) {
        if (!writeModelSection(state, models, pdf))
            break;
    }
    std::filesystem::remove(pdf);
}
BENCHMARK(BM_ModelSectionPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Painting needs fonts but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
