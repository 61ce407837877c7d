#include <gtest/gtest.h>

#include <map>
#include <string>

#include "RealData.h"
#include "model/BlockInversion.h"
#include "model/SmoothInversion.h"

namespace {

// Least RMS misfit (percent) of a 3-layer model found for each field station by model_best_fit_search
// (BestFitSearch.cpp: 200 fits of 30 random starts, each run to convergence), within the block fit's
// bounds: resistivities within a factor 1000 of the measured range, thicknesses from a twentieth of the
// shortest to five times the longest AB/2.
struct Reference {
    const char* file;
    int station;
    double bestRms;
};

const Reference kBest[] = {
    {"gbalo", 1, 14.5943},    {"gbalo", 2, 17.8309},    {"gbalo", 3, 15.0372},    {"gbalo", 4, 21.3420},
    {"boundiali", 1, 4.0647}, {"boundiali", 2, 5.3306}, {"boundiali", 3, 3.3153}, {"boundiali", 4, 2.4993},
    {"semien", 1, 11.3869},   {"semien", 2, 7.1174},    {"semien", 3, 8.2808},
};

const realdata::Station& station(const std::string& file, int number) {
    static std::map<std::string, std::vector<realdata::Station>> files;
    auto [it, added] = files.try_emplace(file);
    if (added)
        it->second = realdata::read(realdata::path(file));
    for (const realdata::Station& s : it->second)
        if (s.number == number)
            return s;
    static const realdata::Station none;
    return none;
}

} // namespace

TEST(RealData, ThreeLayerFitsComeWithinHalfAPointOfTheBestKnown) {
    for (const Reference& ref : kBest) {
        SCOPED_TRACE(std::string(ref.file) + " " + std::to_string(ref.station));
        const realdata::Station& s = station(ref.file, ref.station);
        ASSERT_GT(s.data.ab2.size(), 30u);
        const model::FitResult fit = model::fitBlockModel(s.data);
        ASSERT_TRUE(fit.report.ok()) << fit.report.error;
        EXPECT_EQ(fit.report.pointsUsed, static_cast<int>(s.data.ab2.size()));
        EXPECT_LE(fit.report.rmsPercent, ref.bestRms + 0.5);
        // Below the best known would make the table wrong.
        EXPECT_GE(fit.report.rmsPercent, ref.bestRms - 1e-3);
        // No M1 in these files: nothing to fit.
        EXPECT_TRUE(fit.report.maResponse.empty());
    }
}

TEST(RealData, SmoothFitsReachAboutTheBlockMisfit) {
    // Sixteen free layers can take the three-layer model's shape, so their best attainable misfit (plus
    // the 5 % the smoothing may spend) is not far above it.
    for (const Reference& ref : kBest) {
        SCOPED_TRACE(std::string(ref.file) + " " + std::to_string(ref.station));
        const model::FitResult fit = model::fitSmoothModel(station(ref.file, ref.station).data);
        ASSERT_TRUE(fit.report.ok()) << fit.report.error;
        EXPECT_LE(fit.report.rmsPercent, 1.05 * ref.bestRms + 0.1);
    }
}
