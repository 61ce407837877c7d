#include "sheet/SheetState.h"

#include <gtest/gtest.h>

#include "ScriptedUi.h"

TEST(SheetStateTest, FreshSheetBeforeAnyOpen) {
    ScriptedUi ui;
    SheetState s(ui);
    for (const Curve* c : {&s.resCurve, &s.m1Curve, &s.rCurve, &s.thCurve, &s.tdCurve, &s.zpCurve}) {
        EXPECT_EQ(c->symbolWidth, 15.0f);
        EXPECT_EQ(c->symbolHeight, 15.0f);
        EXPECT_FALSE(c->showSymbols);
        EXPECT_TRUE(c->xValues.empty());
    }
    EXPECT_TRUE(s.legendVisible);
    EXPECT_FALSE(s.polarityMode);
    EXPECT_EQ(s.xLengthCm, 5.0f);
    EXPECT_EQ(s.yLengthCm, 5.0f);
    EXPECT_TRUE(s.stations.empty());
    for (float range : {s.rhoMin, s.rhoMax, s.ipMin, s.ipMax, s.abMin, s.abMax, s.surveyMean,
                        s.anomalyThreshold, s.surveyVariance})
        EXPECT_EQ(range, 0.0f);
    // The axes keep their class defaults until the first open.
    for (const Axis* a : {&s.topAxis, &s.leftAxis, &s.bottomAxis, &s.rightAxis}) {
        EXPECT_EQ(a->rangeMin, 1.0f);
        EXPECT_EQ(a->rangeMax, 10.0f);
    }
    EXPECT_EQ(s.offsetXCm, 0.0f);
    EXPECT_EQ(s.offsetYCm, 3.5f);
    EXPECT_EQ(s.titleGapCm, 3.5f);
    EXPECT_EQ(s.marginCm, 1.5f);
    EXPECT_EQ(s.sheetWidthCm, 21.0f);
    EXPECT_EQ(s.sheetHeightCm, 29.7f);
}
