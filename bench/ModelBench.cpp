// Timings of the layered-earth modelling: one forward response, one block fit, a file of stations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/BatchFit.h"
#include "model/BlockInversion.h"
#include "model/ForwardModel.h"
#include "model/SchlumbergerForward.h"
#include "model/SmoothInversion.h"

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

// A sounding of `count` points from 1 to 300 m over a 3-layer earth varied by `variant`, with 3 %
// multiplicative noise from a fixed sequence (field-like: MN/2 of 0.5, 2 and 10 m).
model::SoundingData sounding(int count, int variant) {
    model::SoundingData d;
    d.ab2 = logSpaced(1.0, 300.0, count);
    for (double s : d.ab2)
        d.mn2.push_back(s < 6.0 ? 0.5 : s < 50.0 ? 2.0 : 10.0);
    model::LayeredModel earth;
    const double v = 1.0 + variant % 7;
    earth.layers = {
        {50.0 * v, 1.0 + variant % 5}, {500.0 / (v * v), 8.0 + 3 * (variant % 3)}, {20.0 * v, 0.0}};
    d.rhoa = model::apparentResistivity(earth, d.ab2, d.mn2);
    unsigned state = 12345u + static_cast<unsigned>(variant);
    for (double& rho : d.rhoa) {
        state = state * 1664525u + 1013904223u;
        rho *= std::exp(0.03 * (static_cast<double>(state >> 8) / 16777216.0 - 0.5) * 3.46);
    }
    return d;
}

// One 3-layer fit of a 20-point sounding, all starts included.
void blockFitTwentyPoints(benchmark::State& state) {
    const model::SoundingData d = sounding(20, 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(model::fitBlockModel(d));
}
BENCHMARK(blockFitTwentyPoints)->Unit(benchmark::kMillisecond);

// One smooth fit of the same sounding.
void smoothFitTwentyPoints(benchmark::State& state) {
    const model::SoundingData d = sounding(20, 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(model::fitSmoothModel(d));
}
BENCHMARK(smoothFitTwentyPoints)->Unit(benchmark::kMillisecond);

// The 24-point sounding of the fits' before-and-after: one 3-layer fit, the smooth fit, and the 3-layer fit
// with the 95 % range of every value (the one station the window fits and shows with its ranges).
void blockFitTwentyFourPoints(benchmark::State& state) {
    const model::SoundingData d = sounding(24, 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(model::fitBlockModel(d));
}
BENCHMARK(blockFitTwentyFourPoints)->Unit(benchmark::kMillisecond);

void smoothFitTwentyFourPoints(benchmark::State& state) {
    const model::SoundingData d = sounding(24, 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(model::fitSmoothModel(d));
}
BENCHMARK(smoothFitTwentyFourPoints)->Unit(benchmark::kMillisecond);

// Builds against the fits before the ranges too (for the before-and-after), without this case.
#if __has_include("model/ProfileRanges.h")
void blockFitWithRangesTwentyFourPoints(benchmark::State& state) {
    const model::SoundingData d = sounding(24, 3);
    model::BlockFitOptions options;
    options.ranges = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(model::fitBlockModel(d, options));
}
BENCHMARK(blockFitWithRangesTwentyFourPoints)->Unit(benchmark::kMillisecond);
#endif

// A file of 200 soundings of 30 points, 3-layer fits on as many threads as the argument.
void blockFitFileOf200(benchmark::State& state) {
    std::vector<model::SoundingData> file;
    for (int i = 0; i < 200; ++i)
        file.push_back(sounding(30, i));
    model::BatchOptions options;
    options.threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(model::fitStations(file, options));
}
BENCHMARK(blockFitFileOf200)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
