// Times of the laterally constrained fit of a generated line against the independent fits of the same line:
//   lateral_times [STATIONS LAYERS ...]   (default: 40 3 200 4)
// The line is the model tests' synthetic one (tests/model/SyntheticLine.h): smoothly varying resistivities
// and interface depths, 24 readings a station, 5 % noise. Printed per line: wall-clock seconds of the
// independent fits and of the joint fit (which includes its own independent fits as start), the parameter
// error of each against the truth (RMS of ln rho and ln thk), the RMS misfits and the weight chosen.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "SyntheticLine.h"
#include "model/BatchFit.h"
#include "model/LateralFit.h"

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::vector<model::LayeredModel> modelsOf(const std::vector<model::FitResult>& fits) {
    std::vector<model::LayeredModel> out;
    for (const model::FitResult& fit : fits)
        out.push_back(fit.model);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::pair<int, int>> cases;
    for (int i = 1; i + 1 < argc; i += 2)
        cases.emplace_back(std::atoi(argv[i]), std::atoi(argv[i + 1]));
    if (cases.empty())
        cases = {{40, 3}, {200, 4}};
    std::printf("| stations x layers | independent: s, error, RMS %% | laterally constrained: s, error, RMS "
                "%%, W |\n");
    std::printf("|---|---|---|\n");
    for (const auto& [stations, layers] : cases) {
        const synthetic::Line line = synthetic::line(stations, layers, 0.05, 200);
        model::BatchOptions batch;
        batch.block.layers = layers;
        auto start = std::chrono::steady_clock::now();
        const std::vector<model::FitResult> independent = model::fitStations(line.data, batch);
        const double independentSeconds = seconds(start);
        model::LateralFitOptions options;
        options.block.layers = layers;
        start = std::chrono::steady_clock::now();
        const model::LateralFitResult lateral = model::fitLine(line.data, options);
        const double lateralSeconds = seconds(start);
        std::printf("| %d x %d | %.2f s, %.3f, %.2f | %.2f s, %.3f, %.2f, %g (%d iterations) |\n", stations,
                    layers, independentSeconds,
                    synthetic::logParameterError(line.truth, modelsOf(independent)),
                    lateral.independentRmsPercent, lateralSeconds,
                    synthetic::logParameterError(line.truth, modelsOf(lateral.stations)), lateral.rmsPercent,
                    lateral.weight, lateral.iterations);
    }
    return 0;
}
