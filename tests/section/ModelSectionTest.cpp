#include "section/ModelSection.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Station 0: 10 Ω·m, 5 m thick, over 1000 Ω·m. Station 1: 100 Ω·m, 20 m, over 100 Ω·m (m 4 % and 8 %).
// With 100 m per station number the stations stand at 0 and 100 m; the deepest interface is 20 m,
// so the depth axis runs to 24 m.
std::vector<StationModel> twoModels() {
    StationModel a{0, {{{10, 5}, {1000, 0}}}, 1.5};
    StationModel b{1, {{{100, 20, 4.0}, {100, 0, 8.0}}}, 2.5, true};
    return {a, b};
}

struct CellCase {
    double left, right, top, bottom, value;
};

void expectCells(const ModelSection& section, const std::vector<CellCase>& expected, const char* name) {
    ASSERT_EQ(section.cells().size(), expected.size()) << name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ModelCell& cell = section.cells()[i];
        const CellCase& e = expected[i];
        EXPECT_NEAR(cell.left, e.left, 1e-9) << name << i;
        EXPECT_NEAR(cell.right, e.right, 1e-9) << name << i;
        EXPECT_NEAR(cell.top, e.top, 1e-9) << name << i;
        EXPECT_NEAR(cell.bottom, e.bottom, 1e-9) << name << i;
        if (std::isnan(e.value))
            EXPECT_TRUE(std::isnan(cell.value)) << name << i;
        else
            EXPECT_NEAR(cell.value, e.value, 1e-9) << name << i;
    }
}

TEST(ModelSection, ColumnsReachHalfWayToTheNeighbours) {
    const ModelSection section(twoModels(), StationPlacement::ByNumber, 100, ModelQuantity::Resistivity,
                               false);
    EXPECT_DOUBLE_EQ(section.maxDepth(), 24.0);
    ASSERT_EQ(section.columns().size(), 2u);
    EXPECT_DOUBLE_EQ(section.columns()[0].left, -50);
    EXPECT_DOUBLE_EQ(section.columns()[0].right, 50);
    EXPECT_DOUBLE_EQ(section.columns()[1].left, 50);
    EXPECT_DOUBLE_EQ(section.columns()[1].right, 150);
    EXPECT_DOUBLE_EQ(section.columns()[1].rmsPercent, 2.5);
    expectCells(section, {{-50, 50, 0, 5, 1}, {-50, 50, 5, 24, 3}, {50, 150, 0, 20, 2}, {50, 150, 20, 24, 2}},
                "own layers");
}

TEST(ModelSection, InterpolationIsLinearInLogRhoAtEqualDepth) {
    // Two strips between the stations, their middles at a quarter and three quarters of the way.
    const ModelSection section(twoModels(), StationPlacement::ByNumber, 100, ModelQuantity::Resistivity, true,
                               2);
    expectCells(section,
                {
                    {-50, 0, 0, 5, 1},
                    {-50, 0, 5, 24, 3}, // outer half of station 0
                    {0, 50, 0, 5, 1.25},
                    {0, 50, 5, 20, 2.75}, // log rho 1 -> 2, 3 -> 2 at t = 1/4
                    {0, 50, 20, 24, 2.75},
                    {50, 100, 0, 5, 1.75},
                    {50, 100, 5, 20, 2.25}, // t = 3/4
                    {50, 100, 20, 24, 2.25},
                    {100, 150, 0, 20, 2},
                    {100, 150, 20, 24, 2}, // outer half of station 1
                },
                "interpolated");
}

TEST(ModelSection, ChargeabilityOnlyWhereTheModelHasIt) {
    const ModelSection section(twoModels(), StationPlacement::ByOrder, 1, ModelQuantity::Chargeability,
                               false);
    expectCells(
        section,
        {{-0.5, 0.5, 0, 5, NAN}, {-0.5, 0.5, 5, 24, NAN}, {0.5, 1.5, 0, 20, 4}, {0.5, 1.5, 20, 24, 8}},
        "chargeability");
}

TEST(ModelSection, ValueAtDepth) {
    const StationModel model = twoModels()[0];
    EXPECT_NEAR(ModelSection::valueAtDepth(model, 0, ModelQuantity::Resistivity), 1, 1e-12);
    EXPECT_NEAR(ModelSection::valueAtDepth(model, 4.99, ModelQuantity::Resistivity), 1, 1e-12);
    EXPECT_NEAR(ModelSection::valueAtDepth(model, 5, ModelQuantity::Resistivity), 3, 1e-12); // the interface
    EXPECT_NEAR(ModelSection::valueAtDepth(model, 1e6, ModelQuantity::Resistivity), 3, 1e-12);
    EXPECT_TRUE(std::isnan(ModelSection::valueAtDepth(model, -1, ModelQuantity::Resistivity)));
}

TEST(ModelSection, UnusableModelsDrawNothing) {
    std::vector<StationModel> models = twoModels();
    models[0].earth.layers[0].thk = -5;
    models.push_back(StationModel{2, {}, NAN});
    const ModelSection section(models, StationPlacement::ByNumber, 100, ModelQuantity::Resistivity, true, 2);
    ASSERT_EQ(section.columns().size(), 3u);
    EXPECT_FALSE(section.columns()[0].valid);
    EXPECT_TRUE(section.columns()[1].valid);
    EXPECT_FALSE(section.columns()[2].valid);
    // Only station 1's model is left: 20 m deep, so 24 m. Next to the unusable neighbours it keeps its own
    // two layers over its whole column, in two halves.
    EXPECT_DOUBLE_EQ(section.maxDepth(), 24.0);
    EXPECT_EQ(section.cells().size(), 4u);
    for (const ModelCell& cell : section.cells())
        EXPECT_TRUE(cell.left >= 50 && cell.right <= 150) << cell.left << " " << cell.right;
}

} // namespace
