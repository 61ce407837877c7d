// One-off search for the best 3-layer fit of each field station, far more expensive than the program's
// own fit: many fits of 30 seeded random starts each (3,000 starts by default), every one taken on for
// up to 400 iterations, the best kept. Its RMS values are the reference table of RealDataTest.cpp.
// Run: model_best_fit_search [fits]
#include <cstdio>
#include <cstdlib>

#include "RealData.h"
#include "model/BlockInversion.h"

int main(int argc, char** argv) {
    const int fits = argc > 1 ? std::atoi(argv[1]) : 100;
    for (const char* file : realdata::kFiles) {
        for (const realdata::Station& station : realdata::read(realdata::path(file))) {
            model::FitResult fit;
            for (int seed = 1; seed <= fits; ++seed) {
                model::BlockFitOptions options;
                options.starts = 30;
                options.seed = static_cast<unsigned>(seed);
                options.maxIterations = 400;
                options.chargeability = false;
                model::FitResult trial = model::fitBlockModel(station.data, options);
                if (seed == 1 || trial.report.rmsPercent < fit.report.rmsPercent)
                    fit = std::move(trial);
            }
            std::printf("%s %d %.4f", file, station.number, fit.report.rmsPercent);
            for (const model::Layer& layer : fit.model.layers)
                std::printf("  %.4g/%.4g", layer.rho, layer.thk);
            std::printf("\n");
        }
    }
}
