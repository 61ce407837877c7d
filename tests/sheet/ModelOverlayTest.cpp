#include "sheet/ModelOverlay.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "SheetFiles.h"
#include "sheet/Composer.h"
#include "sheet/Legend.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"
#include "sheet/SheetView.h"

namespace {

model::LayeredModel earthOf(const std::vector<double>& rho, const std::vector<double>& thk,
                            const std::vector<double>& m = {}) {
    model::LayeredModel earth;
    for (std::size_t i = 0; i < rho.size(); ++i)
        earth.layers.push_back({rho[i], i < thk.size() ? thk[i] : 0.0, i < m.size() ? m[i] : 0.0});
    return earth;
}

class ModelOverlayTest : public ::testing::Test {
protected:
    ModelOverlayTest() {
        // AB/2 1..100 m on 12.5 cm, resistivity 1..1000 ohm-m on 18.75 cm, the IP axis 0..40 % linear.
        s.xLengthCm = 12.5f;
        s.yLengthCm = 18.75f;
        s.xLength = 1250.0f;
        s.yLength = 1875.0f;
        for (Axis* a : {&s.topAxis, &s.leftAxis, &s.bottomAxis})
            a->logarithmic = true;
        s.topAxis.rangeMin = s.bottomAxis.rangeMin = 1.0f;
        s.topAxis.rangeMax = s.bottomAxis.rangeMax = 100.0f;
        s.leftAxis.rangeMin = 1.0f;
        s.leftAxis.rangeMax = 1000.0f;
        s.rightAxis.logarithmic = false;
        s.rightAxis.rangeMin = 0.0f;
        s.rightAxis.rangeMax = 40.0f;
    }

    void setModel(const model::LayeredModel& earth, bool fitted = false, double rms = 0.0) {
        SheetModel sheetModel;
        sheetModel.earth = earth;
        sheetModel.fitted = fitted;
        sheetModel.report.rmsPercent = rms;
        s.stationModel = sheetModel;
    }

    ModelOverlay overlay() const { return ModelOverlay::compute(s, choices); }

    // Every point of the lines lies in the frame.
    static bool insideFrame(const std::vector<LogicalPolyline>& lines, int width, int height) {
        for (const LogicalPolyline& line : lines)
            for (const Point& p : line)
                if (p.x < 0 || p.x > width || p.y < 0 || p.y > height)
                    return false;
        return true;
    }

    std::vector<std::string> cellTexts(const ModelOverlay& o) const {
        std::vector<std::string> texts;
        for (const ModelOverlay::Cell& cell : o.table.cells)
            texts.push_back(cell.text);
        return texts;
    }

    ScriptedUi ui;
    SheetState s{ui};
    PlotChoices choices;
};

bool sameCalls(const std::vector<RecordingCanvas::Call>& a, const std::vector<RecordingCanvas::Call>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].op != b[i].op || a[i].points != b[i].points || a[i].text != b[i].text ||
            !(a[i].pen == b[i].pen) || a[i].brushColor != b[i].brushColor ||
            a[i].brushStyle != b[i].brushStyle || !(a[i].font == b[i].font) ||
            a[i].fontColor != b[i].fontColor)
            return false;
    }
    return true;
}

bool hasText(const RecordingCanvas& canvas, const std::string& text) {
    const auto texts = canvas.callsOf("textOut");
    return std::any_of(texts.begin(), texts.end(),
                       [&](const RecordingCanvas::Call& c) { return c.text == text; });
}

} // namespace

TEST_F(ModelOverlayTest, NothingWithoutAModel) {
    const ModelOverlay o = overlay();
    EXPECT_TRUE(o.empty());
    EXPECT_TRUE(o.legendLines().empty());
}

TEST_F(ModelOverlayTest, HalfSpaceResponseIsHorizontalAtItsResistivity) {
    setModel(earthOf({100.0}, {}));
    const ModelOverlay o = overlay();
    ASSERT_EQ(o.response.size(), 1u);
    const LogicalPolyline& line = o.response[0];
    // Two decades at 20 points a decade, from the axis's left end to its right end.
    ASSERT_EQ(line.size(), 41u);
    EXPECT_EQ(line.front(), (Point{0, 1250})); // log10(100) of three decades on 1875 units
    EXPECT_EQ(line.back(), (Point{1250, 1250}));
    for (const Point& p : line)
        EXPECT_EQ(p.y, 1250);
    // The half-space's step line lies on it, across the whole frame.
    ASSERT_EQ(o.layers.size(), 1u);
    EXPECT_EQ(o.layers[0], (LogicalPolyline{{0, 1250}, {1250, 1250}}));
}

TEST_F(ModelOverlayTest, TwoLayerStepChangesResistivityAtTheDepth) {
    setModel(earthOf({100.0, 10.0}, {10.0}));
    const ModelOverlay o = overlay();
    ASSERT_EQ(o.layers.size(), 1u);
    // Depth 10 m on the 1..100 m axis lands half way; 100 and 10 ohm-m at 2/3 and 1/3 of the height.
    EXPECT_EQ(o.layers[0], (LogicalPolyline{{0, 1250}, {625, 1250}, {625, 625}, {1250, 625}}));

    // The response starts near the first layer's resistivity and ends near the second's.
    ASSERT_EQ(o.response.size(), 1u);
    EXPECT_NEAR(o.response[0].front().y, 1250, 2);
    EXPECT_GT(o.response[0].back().y, 625);
    EXPECT_LT(o.response[0].back().y, 700);
}

TEST_F(ModelOverlayTest, StepLineIsClippedToTheFrame) {
    // The first interface lies above the axis's start (0.5 m), the second beyond its end (500 m), and the
    // last resistivity above the axis's top.
    setModel(earthOf({100.0, 10.0, 5000.0}, {0.5, 499.5}));
    const ModelOverlay o = overlay();
    ASSERT_EQ(o.layers.size(), 1u);
    EXPECT_EQ(o.layers[0], (LogicalPolyline{{0, 625}, {1250, 625}}));
    EXPECT_TRUE(insideFrame(o.response, 1250, 1875));
    ASSERT_FALSE(o.response.empty());

    // A layer far above the axis: the vertical parts end on the frame's top side.
    setModel(earthOf({10.0, 1.0e6, 10.0}, {2.0, 8.0}));
    const ModelOverlay high = overlay();
    // log10(2) × 625 = 188.1; the 10 m depth half way.
    ASSERT_EQ(high.layers.size(), 2u);
    EXPECT_EQ(high.layers[0], (LogicalPolyline{{0, 625}, {188, 625}, {188, 1875}}));
    EXPECT_EQ(high.layers[1], (LogicalPolyline{{625, 1875}, {625, 625}, {1250, 625}}));
    EXPECT_TRUE(insideFrame(high.layers, 1250, 1875));
    EXPECT_TRUE(insideFrame(high.response, 1250, 1875));
}

TEST_F(ModelOverlayTest, ResponseOutsideTheRangeIsClippedAndInvalidModelsDrawNoLine) {
    setModel(earthOf({5000.0, 50.0}, {10.0}));
    const ModelOverlay o = overlay();
    ASSERT_FALSE(o.response.empty());
    EXPECT_TRUE(insideFrame(o.response, 1250, 1875));
    // The response enters the frame through its top side.
    EXPECT_EQ(o.response.front().front().y, 1875);

    // A model whose response cannot be computed (a negative resistivity) draws no line, but its table.
    setModel(earthOf({-5.0, 50.0}, {10.0}));
    const ModelOverlay bad = overlay();
    EXPECT_TRUE(bad.response.empty());
    EXPECT_TRUE(bad.layers.empty());
    EXPECT_TRUE(bad.table.shown);
    EXPECT_TRUE(bad.legendLines().empty());
}

TEST_F(ModelOverlayTest, TableShowsTheLayersInTheLowerRightCorner) {
    setModel(earthOf({120.0, 8.5, 400.0}, {2.25, 15.0}), true, 3.24);
    const ModelOverlay o = overlay();
    ASSERT_TRUE(o.table.shown);
    const std::vector<std::string> expected{"层",   "电阻率(Ω·m)", "厚度(m)", "深度(m)", "1",          "120",
                                            "2.25", "2.25",        "2",       "8.50",    "15.0",       "17.3",
                                            "3",    "400",         "—",       "—",       "RMS = 3.2 %"};
    EXPECT_EQ(cellTexts(o), expected);
    // Inside the frame, 3 mm from its right and bottom sides.
    EXPECT_EQ(o.table.right, 1220);
    EXPECT_EQ(o.table.bottom, 30);
    EXPECT_GT(o.table.left, 0);
    EXPECT_LT(o.table.top, 1875);
    EXPECT_LT(o.table.ruleY, o.table.top);
    EXPECT_GT(o.table.ruleY, o.table.bottom);
    for (const ModelOverlay::Cell& cell : o.table.cells) {
        EXPECT_GE(cell.at.x, o.table.left);
        EXPECT_LT(cell.at.x, o.table.right);
        EXPECT_LE(cell.at.y, o.table.top);
        EXPECT_GT(cell.at.y, o.table.bottom);
    }

    // Painted: the box, the rule and the texts in the table's font, then the pen, brush and font given back.
    RecordingCanvas canvas;
    const LogFont font = canvas.font();
    o.drawTable(canvas);
    ASSERT_EQ(canvas.callsOf("rectangle").size(), 1u);
    EXPECT_EQ(canvas.callsOf("rectangle")[0].brushColor, colors::white);
    EXPECT_TRUE(hasText(canvas, "电阻率(Ω·m)"));
    EXPECT_TRUE(hasText(canvas, "RMS = 3.2 %"));
    EXPECT_EQ(canvas.callsOf("textOut")[0].font.height, 32);
    EXPECT_EQ(canvas.font(), font);
    EXPECT_EQ(canvas.pen(), Pen{});

    // A typed model has no RMS; chargeabilities add their column.
    setModel(earthOf({120.0, 8.5}, {2.25}, {0.0, 12.5}));
    const std::vector<std::string> withM{"层", "电阻率(Ω·m)", "厚度(m)", "深度(m)", "极化率(%)",
                                         "1",  "120",         "2.25",    "2.25",    "0.0",
                                         "2",  "8.50",        "—",       "—",       "12.5"};
    EXPECT_EQ(cellTexts(overlay()), withM);

    // No table when the model asks for none.
    s.stationModel->showTable = false;
    EXPECT_FALSE(overlay().table.shown);
}

TEST_F(ModelOverlayTest, ManyLayersShowTheFirstOnesAndACount) {
    std::vector<double> rho(40, 50.0), thk(39, 1.0);
    setModel(earthOf(rho, thk), true, 2.0);
    const ModelOverlay o = overlay();
    ASSERT_TRUE(o.table.shown);
    EXPECT_LE(o.table.top - o.table.bottom, 0.6 * 1875);
    const std::vector<std::string> texts = cellTexts(o);
    EXPECT_EQ(texts.back(), "RMS = 2.0 %");
    EXPECT_EQ(texts[texts.size() - 2], "… 共 40 层");
}

TEST_F(ModelOverlayTest, ChargeabilityResponseOnlyWithM1TickedAndChargeableLayers) {
    setModel(earthOf({100.0, 10.0}, {10.0}, {2.0, 20.0}));
    EXPECT_TRUE(overlay().chargeability.empty()); // M1 not ticked
    choices.ticked[Quantity::M1] = true;
    const ModelOverlay o = overlay();
    ASSERT_FALSE(o.chargeability.empty());
    EXPECT_GT(o.chargeability.size(), 5u); // in dashes
    EXPECT_TRUE(insideFrame(o.chargeability, 1250, 1875));
    // 2 % at the short spacings on the 0..40 % axis: 1/20 of the height.
    EXPECT_NEAR(o.chargeability.front().front().y, 94, 2);
    const auto legend = o.legendLines();
    ASSERT_EQ(legend.size(), 3u);
    EXPECT_STREQ(legend[2].label, "M1 模型响应");
    EXPECT_TRUE(legend[2].dashed);

    setModel(earthOf({100.0, 10.0}, {10.0}));
    EXPECT_TRUE(overlay().chargeability.empty()); // no chargeable layer
}

TEST_F(ModelOverlayTest, AModelOfAnotherStationIsNotDrawn) {
    s.stations.push_back(sheettest::station(7, {2, 20}, {50, 500}));
    choices.stationIndex = 0;
    setModel(earthOf({100.0}, {}));
    s.stationModel->stationNumber = 8;
    EXPECT_TRUE(overlay().empty());
    s.stationModel->stationNumber = 7;
    EXPECT_FALSE(overlay().empty());
}

TEST_F(ModelOverlayTest, DashesAlongALine) {
    const std::vector<LogicalPolyline> dashes = dashedPolyline({{0, 0}, {100, 0}});
    ASSERT_EQ(dashes.size(), 3u);
    EXPECT_EQ(dashes[0], (LogicalPolyline{{0, 0}, {30, 0}}));
    EXPECT_EQ(dashes[1], (LogicalPolyline{{45, 0}, {75, 0}}));
    EXPECT_EQ(dashes[2], (LogicalPolyline{{90, 0}, {100, 0}}));
    // Round a corner: the dash goes on along the next segment.
    const std::vector<LogicalPolyline> corner = dashedPolyline({{0, 0}, {20, 0}, {20, 20}});
    ASSERT_EQ(corner.size(), 1u);
    EXPECT_EQ(corner[0], (LogicalPolyline{{0, 0}, {20, 0}, {20, 10}}));
}

TEST_F(ModelOverlayTest, LegendRowsFollowTheCurveRows) {
    s.rightAxis.x1 = 1250.0f;
    s.rightAxis.x2 = 1250.0f;
    s.rightAxis.y2 = 1875.0f;
    s.resCurve.xPoints = {10.0f, 20.0f};
    s.resCurve.yPoints = {10.0f, 20.0f};
    s.resCurve.showSymbols = true;
    choices.ticked[Quantity::Res] = true;
    choices.symbols[Quantity::Res] = 4;
    setModel(earthOf({100.0, 10.0}, {10.0}));
    const ModelOverlay o = overlay();

    RecordingCanvas canvas;
    drawLegend(s, choices, canvas, &o);
    const auto texts = canvas.callsOf("textOut");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "Res");
    // The block moves left for the longer labels: 75 + 10 + 8 GBK bytes × 14 + 20 = 217 units.
    EXPECT_EQ(texts[0].points[0], (Point{1118, 1825}));
    EXPECT_EQ(texts[1].text, "模型响应");
    EXPECT_EQ(texts[1].points[0], (Point{1118, 1775}));
    EXPECT_EQ(texts[2].text, "层状模型");
    EXPECT_EQ(texts[2].points[0], (Point{1118, 1725}));
    // The samples: through the rows' middles with the lines' pens.
    const auto segments = canvas.segments();
    ASSERT_GE(segments.size(), 3u);
    EXPECT_EQ(segments[segments.size() - 2], (std::pair<Point, Point>{{1033, 1762}, {1108, 1762}}));
    EXPECT_EQ(segments.back(), (std::pair<Point, Point>{{1033, 1712}, {1108, 1712}}));
    EXPECT_EQ(canvas.calls.back().pen.color, colors::black);

    // Without an overlay the legend is as before.
    RecordingCanvas plain;
    drawLegend(s, choices, plain);
    ASSERT_EQ(plain.callsOf("textOut").size(), 1u);
    EXPECT_EQ(plain.callsOf("textOut")[0].points[0], (Point{1135, 1825}));
}

TEST_F(ModelOverlayTest, PaintWithoutAModelIsUnchangedAndWithOneAddsTheOverlay) {
    s.stations.push_back(sheettest::station(3, {1.5, 15, 60}, {80, 40, 200}));
    choices.stationIndex = 0;
    choices.ticked[Quantity::Res] = true;
    choices.symbols[Quantity::Res] = 4;
    ASSERT_TRUE(composeSheet(s, choices));
    prepareSheetBitmap(s, 96, 96);

    RecordingCanvas before(96, 96);
    paintSheet(s, choices, before, 793, 1096, ui);

    setModel(earthOf({80.0, 20.0, 300.0}, {3.0, 20.0}), true, 4.0);
    s.stationModel->stationNumber = 3;
    RecordingCanvas with(96, 96);
    paintSheet(s, choices, with, 793, 1096, ui);
    EXPECT_TRUE(hasText(with, "模型响应"));
    EXPECT_TRUE(hasText(with, "层状模型"));
    EXPECT_TRUE(hasText(with, "RMS = 4.0 %"));
    EXPECT_FALSE(hasText(with, "M1 模型响应"));
    EXPECT_EQ(with.callsOf("polyline").size(), 2u); // the step line and the response

    s.stationModel.reset();
    RecordingCanvas after(96, 96);
    paintSheet(s, choices, after, 793, 1096, ui);
    EXPECT_TRUE(sameCalls(before.calls, after.calls));
    EXPECT_TRUE(before.callsOf("polyline").empty());
    EXPECT_FALSE(hasText(after, "模型响应"));
}

TEST(ModelTableNumber, AboutThreeSignificantDigits) {
    EXPECT_EQ(modelTableNumber(1234.4), "1234");
    EXPECT_EQ(modelTableNumber(99.96), "100");
    EXPECT_EQ(modelTableNumber(12.34), "12.3");
    EXPECT_EQ(modelTableNumber(1.234), "1.23");
    EXPECT_EQ(modelTableNumber(0.1234), "0.123");
    EXPECT_EQ(modelTableNumber(0.0), "0.000");
    EXPECT_EQ(modelTableNumber(0.00012), "1.20E-04");
    EXPECT_EQ(modelTableNumber(std::numeric_limits<double>::infinity()), "—");
}

// Masked readings are covered by a grey ring where they are drawn, with or without a model; a click
// within the hit radius finds the nearest reading, one farther away finds none.
TEST_F(ModelOverlayTest, MaskedReadingsAreRingedAndFoundByTheirPosition) {
    // AB/2 1..100 on 1250 units (625 a decade), resistivity 1..1000 on 1875 (625 a decade).
    s.stations.push_back(sheettest::station(3, {10, 100}, {10, 100}));
    choices.stationIndex = 0;
    choices.ticked[Quantity::Res] = true;
    s.maskedPoints = {1};
    const ModelOverlay o = overlay();
    ASSERT_EQ(o.masked.size(), 1u);
    EXPECT_EQ(o.masked[0], (Point{1250, 1250}));
    RecordingCanvas canvas;
    o.draw(canvas);
    ASSERT_EQ(canvas.callsOf("ellipse").size(), 1u);
    EXPECT_EQ(canvas.callsOf("ellipse")[0].points[0], (Point{1250 - maskedRadius, 1250 + maskedRadius}));

    EXPECT_EQ(ModelOverlay::readingAt(s, choices, 625 + 20, 625 - 10), std::optional<std::size_t>(0));
    EXPECT_EQ(ModelOverlay::readingAt(s, choices, 1250, 1250 + readingHitRadius),
              std::optional<std::size_t>(1));
    EXPECT_FALSE(ModelOverlay::readingAt(s, choices, 625 + 30, 625 - 30));
    choices.ticked[Quantity::Res] = false;
    EXPECT_FALSE(ModelOverlay::readingAt(s, choices, 625, 625))
        << "no resistivity curve drawn, nothing to mask";
}

// With a segment factor other than 1, every segment is a corrected piece of its own (no jump between
// segments) and the measured curve is painted faint beside them.
TEST_F(ModelOverlayTest, CorrectedSegmentsArePiecesOfTheirOwnBesideAFaintMeasuredCurve) {
    Station station;
    const float ab[] = {2, 5, 5, 20}, rho[] = {10, 20, 40, 80}, mn[] = {0.5f, 0.5f, 2.0f, 2.0f};
    for (int i = 0; i < 4; ++i)
        station.appendPoint(3, ab[i], rho[i], missingValue, missingValue, missingValue, missingValue,
                            missingValue, mn[i]);
    s.stations.push_back(station);
    choices.stationIndex = 0;
    choices.ticked[Quantity::Res] = true;
    setModel(earthOf({20.0, 100.0}, {5.0}), true, 3.0);
    s.stationModel->stationNumber = 3;
    s.stationModel->report.segments = {{0.5, 2, 1.0, true}, {2.0, 2, 0.5, false}};
    const ModelOverlay o = overlay();
    // The reference segment as measured, then the second with 40 and 80 ohm-m halved to 20 and 40, at
    // AB/2 5 and 20: two pieces, no jump line between them.
    ASSERT_EQ(o.corrected.size(), 2u);
    ASSERT_EQ(o.corrected[1].size(), 2u);
    EXPECT_EQ(o.corrected[0][1], (Point{437, 813})); // log10(5) * 625, log10(20) * 625
    EXPECT_EQ(o.corrected[1][0], (Point{437, 813}));
    EXPECT_EQ(o.corrected[1][1], (Point{813, 1001}));
    EXPECT_EQ(o.legendLines().front().label, std::string(correctedCurveLabel));

    ASSERT_TRUE(composeSheet(s, choices));
    s.resCurve.color = colors::rgb(0, 0, 0);
    prepareSheetBitmap(s, 96, 96);
    RecordingCanvas painted(96, 96);
    paintSheet(s, choices, painted, 793, 1096, ui);
    EXPECT_EQ(s.resCurve.color, colors::rgb(0, 0, 0)) << "the curve keeps its own pen";
    bool faint = false;
    for (const auto& call : painted.callsOf("lineTo"))
        faint = faint || call.pen.color == colors::rgb(191, 191, 191);
    EXPECT_TRUE(faint);
}

TEST(ModelValueText, ARangeOpenOnOneSideIsWrittenAsABound) {
    using model::ValueRange;
    EXPECT_EQ(modelValueText(87.5, ValueRange{80.0, 96.0}), "87.5 (80.0–96.0)");
    EXPECT_EQ(modelValueText(757470.0, ValueRange{12000.0, std::nullopt}), "> 12000");
    EXPECT_EQ(modelValueText(0.26, ValueRange{std::nullopt, 0.3}), "< 0.300");
    EXPECT_EQ(modelValueText(5.0, ValueRange{}), "未定");
    EXPECT_EQ(modelValueText(5.0, std::nullopt), "5.00") << "a value without a computed range";
}

namespace {

// The model table keeps clear of the readings: with the readings at large AB/2 and low resistivity (the
// lower right), it goes to the lower left corner.
TEST_F(ModelOverlayTest, TheTableTakesTheCornerWithTheFewestReadings) {
    setModel(earthOf({100, 10}, {5}));
    choices.ticked[Quantity::Res] = true;
    choices.stationIndex = 0;
    Station station;
    for (float ab : {20.0f, 30.0f, 50.0f, 70.0f, 100.0f})
        station.appendPoint(0, ab, 2.0f, 0, 0, 0, 0, 0);
    s.stations.push_back(station);
    const ModelOverlay o = overlay();
    ASSERT_TRUE(o.table.shown);
    EXPECT_EQ(o.table.corner, ModelOverlay::Corner::LowerLeft);
    EXPECT_LT(o.table.right, 625) << "in the left half of the frame";
    EXPECT_LT(o.table.bottom, 100);

    // Without readings there it stays in the lower right.
    s.stations.front() = Station{};
    s.stations.front().appendPoint(0, 2.0f, 500.0f, 0, 0, 0, 0, 0);
    EXPECT_EQ(overlay().table.corner, ModelOverlay::Corner::LowerRight);
}

} // namespace
