// One-off search for the best 3-layer fit of each field station, far more expensive than the program's
// own fit: thousands of seeded random starts, each polished by damped least squares with many iterations.
// Its RMS values are the reference table of RealDataTest.cpp. Run: model_best_fit_search [starts]
#include <cstdio>
#include <cstdlib>

#include "RealData.h"
#include "model/BlockInversion.h"

int main(int argc, char** argv)
{
    const int starts = argc > 1 ? std::atoi(argv[1]) : 3000;
    for (const char* file : realdata::kFiles) {
        for (const realdata::Station& station : realdata::read(realdata::path(file))) {
            model::BlockFitOptions options;
            options.starts = starts;
            options.maxIterations = 400;
            options.chargeability = false;
            const model::FitResult fit = model::fitBlockModel(station.data, options);
            std::printf("%s %d %.4f", file, station.number, fit.report.rmsPercent);
            for (const model::Layer& layer : fit.model.layers)
                std::printf("  %.4g/%.4g", layer.rho, layer.thk);
            std::printf("\n");
        }
    }
}
