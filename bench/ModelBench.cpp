// Timings of the layered-earth modelling: one forward response, one block fit, a file of stations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/ForwardModel.h"
#include "model/SchlumbergerForward.h"

namespace {

std::vector<double> logSpaced(double from, double to, int count) {
    std::vector<double> out;
    for (int i = 0; i < count; ++i)
        out.push_back(from * std::pow(to / from, static_cast<double>(i) / (count - 1)));
    return out;
}

// Five layers at 20 AB/2 values from 1 to 500 m, every fourth point with a finite MN/2.
void forwardFiveLayers(benchmark::State& state) {
    const std::vector<double> ab2 = logSpaced(1.0, 500.0, 20);
    std::vector<double> mn2(ab2.size(), 0.0);
    for (std::size_t i = 0; i < ab2.size(); i += 4)
        mn2[i] = ab2[i] / 5.0;
    const std::vector<double> rho{120.0, 15.0, 900.0, 40.0, 3000.0};
    const std::vector<double> thk{1.5, 4.0, 12.0, 30.0};
    const model::SchlumbergerForward forward(ab2, mn2);
    std::vector<double> out(ab2.size());
    for (auto _ : state) {
        forward.apparentResistivity(rho, thk, out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(forwardFiveLayers)->Unit(benchmark::kMicrosecond);

// The same with the set-up for the points included (a one-off response of a station).
void forwardFiveLayersWithSetUp(benchmark::State& state) {
    const std::vector<double> ab2 = logSpaced(1.0, 500.0, 20);
    model::LayeredModel earth;
    earth.layers = {{120.0, 1.5}, {15.0, 4.0}, {900.0, 12.0}, {40.0, 30.0}, {3000.0, 0.0}};
    for (auto _ : state)
        benchmark::DoNotOptimize(model::apparentResistivity(earth, ab2));
}
BENCHMARK(forwardFiveLayersWithSetUp)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
