#include "sheet/ModelDrag.h"

#include <cmath>

#include <gtest/gtest.h>

#include "ScriptedUi.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetModel.h"
#include "sheet/SheetState.h"

namespace {

// AB/2 1..100 m on 1250 logical units, resistivity 1..1000 ohm-m on 1500, both logarithmic, the frame at
// the origin; a three-layer model 10 / 100 / 1000 ohm-m with interfaces at 3 m and 10 m.
class ModelDragTest : public ::testing::Test {
protected:
    ModelDragTest() {
        s.xLength = 1250.0f;
        s.yLength = 1500.0f;
        s.bottomAxis.logarithmic = s.leftAxis.logarithmic = true;
        s.bottomAxis.rangeMin = 1.0f;
        s.bottomAxis.rangeMax = 100.0f;
        s.leftAxis.rangeMin = 1.0f;
        s.leftAxis.rangeMax = 1000.0f;
        Station station;
        station.appendPoint(7, 1.0f, 10.0f, 0, 0, 0, 0, 0);
        s.stations.push_back(station);
        choices.stationIndex = 0;
        SheetModel sheetModel;
        sheetModel.stationNumber = 7;
        sheetModel.earth.layers = {{10.0, 3.0}, {100.0, 7.0}, {1000.0, 0.0}};
        s.stationModel = sheetModel;
    }
    static int xOf(double ab2) { return static_cast<int>(std::lround(std::log10(ab2) / 2.0 * 1250.0)); }
    static int yOf(double rho) { return static_cast<int>(std::lround(std::log10(rho) / 3.0 * 1500.0)); }

    ScriptedUi ui;
    SheetState s{ui};
    PlotChoices choices;
};

TEST_F(ModelDragTest, AHorizontalPieceMovesItsResistivityAndAVerticalOneItsInterface) {
    // On layer 2's piece, between the interfaces, a little off the line.
    const auto rho = ModelDrag::grab(s, choices, {xOf(5.0), yOf(100.0) + 8});
    ASSERT_TRUE(rho);
    EXPECT_EQ(rho->piece(), ModelDrag::Piece::Resistivity);
    EXPECT_EQ(rho->layer(), 1u);
    const model::LayeredModel up = rho->movedTo(s, {xOf(5.0), yOf(200.0)});
    EXPECT_NEAR(up.layers[1].rho, 200.0, 2.0);
    EXPECT_EQ(up.layers[0].rho, 10.0);
    EXPECT_EQ(up.layers[1].thk, 7.0);

    // The first interface (3 m) moved to 5 m: the second stays at 10 m.
    const auto depth = ModelDrag::grab(s, choices, {xOf(3.0) - 5, yOf(30.0)});
    ASSERT_TRUE(depth);
    EXPECT_EQ(depth->piece(), ModelDrag::Piece::Interface);
    EXPECT_EQ(depth->layer(), 0u);
    const model::LayeredModel right = depth->movedTo(s, {xOf(5.0), yOf(500.0)});
    EXPECT_NEAR(right.layers[0].thk, 5.0, 0.05);
    EXPECT_NEAR(right.layers[0].thk + right.layers[1].thk, 10.0, 1e-9);
    EXPECT_EQ(right.layers[1].rho, 100.0);
    // Dragged past the next interface, it stops short of it.
    const model::LayeredModel far = depth->movedTo(s, {xOf(50.0), 0});
    EXPECT_LT(far.layers[0].thk, 10.0);
    EXPECT_GT(far.layers[1].thk, 0.0);

    // Far from every piece: nothing to take.
    EXPECT_FALSE(ModelDrag::grab(s, choices, {xOf(50.0), yOf(10.0)}));
}

TEST_F(ModelDragTest, HeldValuesCannotBeTaken) {
    s.stationModel->earth.layers[1].fixedRho = true;
    s.stationModel->earth.layers[0].fixedThk = true;
    EXPECT_FALSE(ModelDrag::grab(s, choices, {xOf(5.0), yOf(100.0)}));
    EXPECT_FALSE(ModelDrag::grab(s, choices, {xOf(3.0), yOf(30.0)}));
    // Another station's sheet: the model is not there to take.
    s.stationModel->stationNumber = 8;
    EXPECT_FALSE(ModelDrag::grab(s, choices, {xOf(50.0), yOf(1000.0)}));
}

} // namespace
