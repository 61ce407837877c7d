#include "sheet/SheetView.h"

#include <gtest/gtest.h>

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

// Records the deepest nesting of the wait cursor.
class CursorUi : public ScriptedUi {
public:
    void beginWaitCursor() override {
        ScriptedUi::beginWaitCursor();
        maxDepth = std::max(maxDepth, waitDepth);
    }
    int maxDepth = 0;
};

class SheetViewTest : public ::testing::Test {
protected:
    CursorUi ui;
    SheetState s{ui};
    PlotChoices choices;

    // A curve with two points that draws a line and, with a symbol, its marks.
    void fillCurve(Curve& c, float y) {
        c.xValues = {1.0f, 2.0f};
        c.yValues = {y, y};
        c.xPoints = {100.0f, 200.0f};
        c.yPoints = {y, y};
    }
};

std::vector<RecordingCanvas::Call> drawOps(const RecordingCanvas& canvas) {
    return canvas.calls;
}

bool sameCalls(const std::vector<RecordingCanvas::Call>& a, const std::vector<RecordingCanvas::Call>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].op != b[i].op || a[i].points != b[i].points || a[i].text != b[i].text ||
            !(a[i].pen == b[i].pen))
            return false;
    }
    return true;
}

} // namespace

TEST_F(SheetViewTest, A4BitmapAt96DpiAndFigureCorner) {
    EXPECT_EQ(prepareSheetBitmap(s, 96, 96), (BitmapSize{793, 1096}));
    EXPECT_EQ(s.sheetWidthCm, 21.0f);
    EXPECT_EQ(s.sheetHeightCm, 29.7f);
    EXPECT_EQ(s.xLength, 500.0f);
    EXPECT_EQ(s.yLength, 500.0f);

    RecordingCanvas canvas(96, 96);
    const SavedCanvas saved = applySheetMapping(s, canvas, 793, 1096);
    // (793 − 188.98) / 2 = 302.01; (1096 + 188.98) / 2 + 132.28 = 774.77.
    EXPECT_EQ(sheetViewport(s, 96, 96, 793, 1096), (Point{302, 774}));
    EXPECT_EQ(canvas.viewportOrigin(), (Point{302, 774}));
    EXPECT_EQ(canvas.windowOrigin(), (Point{0, 0}));
    EXPECT_EQ(canvas.mapMode(), MapMode::LoMetric);
    EXPECT_EQ(saved.mapMode, MapMode::Text);
}

TEST_F(SheetViewTest, PaperGrowsToFitTheFigureAndNeverShrinks) {
    s.xLengthCm = 18.75f; // 21 × 0.85 = 17.85 < 18.75
    s.yLengthCm = 26.0f;  // 29.7 × 0.85 = 25.245 is not greater than 26
    const BitmapSize size = prepareSheetBitmap(s, 96, 96);
    EXPECT_EQ(s.sheetWidthCm, 28.0f);  // 18.75 × 1.5 = 28.125
    EXPECT_EQ(s.sheetHeightCm, 39.0f); // 26 × 1.5
    EXPECT_EQ(size, (BitmapSize{1058, 1474}));
    EXPECT_EQ(s.xLength, 1875.0f);
    EXPECT_EQ(s.yLength, 2600.0f);

    s.xLengthCm = 5.0f;
    s.yLengthCm = 5.0f;
    EXPECT_EQ(prepareSheetBitmap(s, 96, 96), (BitmapSize{1058, 1474}));
    EXPECT_EQ(s.sheetWidthCm, 28.0f);
    EXPECT_EQ(s.sheetHeightCm, 39.0f);

    // A printer-like resolution scales the same paper.
    EXPECT_EQ(prepareSheetBitmap(s, 600, 600), (BitmapSize{6614, 9212}));
}

TEST_F(SheetViewTest, PaperAlsoGrowsWhenTheFigureWouldReachBelowIt) {
    // Five decades of resistivity: 25 cm is less than 85 % of 29.7 cm, but a figure centred on 29 cm
    // and moved 3.5 cm down ends 14.5 + 12.5 + 3.5 = 30.5 cm from the top: its bottom axis would be lost.
    s.yLengthCm = 25.0f;
    prepareSheetBitmap(s, 96, 96);
    EXPECT_EQ(s.sheetHeightCm, 37.0f); // 25 × 1.5 = 37.5, as a taller figure grows it

    // 21.5 cm still ends 14.5 + 10.75 + 3.5 + 1 = 29.75 > 29 cm down; 20 cm ends at 29 cm and keeps A4.
    SheetState other(ui);
    other.yLengthCm = 20.0f;
    prepareSheetBitmap(other, 96, 96);
    EXPECT_FLOAT_EQ(other.sheetHeightCm, 29.7f);
}

TEST_F(SheetViewTest, SmallSurfaceClipsTheFigureInsteadOfMovingIt) {
    s.xLengthCm = 18.75f;
    prepareSheetBitmap(s, 96, 96);
    s.bottomAxis.x2 = 1875.0f;
    s.bottomAxis.y2 = 0.0f;
    RecordingCanvas canvas(96, 96);
    paintSheet(s, choices, canvas, 100, 100, ui);
    EXPECT_EQ(canvas.viewportOrigin().x, -304); // (100 − 708.66) / 2
    // The bottom axis still starts at the logical origin.
    const auto segments = canvas.segments();
    ASSERT_FALSE(segments.empty());
    bool originLine = false;
    for (const auto& [from, to] : segments)
        originLine = originLine || (from == Point{0, 0} && to == Point{1875, 0});
    EXPECT_TRUE(originLine);
}

TEST_F(SheetViewTest, PaintDrawsTitleAxesTickedCurvesInFixedOrderThenRestores) {
    prepareSheetBitmap(s, 96, 96);
    s.titleText.text = "电测深观测数据";
    s.titleText.x1 = -86.0f;
    s.titleText.y1 = 850.0f;
    const std::vector<Curve*> curves{&s.resCurve, &s.m1Curve, &s.rCurve, &s.thCurve, &s.tdCurve, &s.zpCurve};
    for (std::size_t k = 0; k < curves.size(); ++k)
        fillCurve(*curves[k], 10.0f * static_cast<float>(k + 1));

    RecordingCanvas canvas(96, 96);
    const Pen before{PenStyle::Dash, 3, colors::red, PenMode::Copy};
    canvas.setPen(before);
    canvas.setBrushColor(colors::rgb(0, 255, 0));

    // Every box cleared: the title and the axes only.
    paintSheet(s, choices, canvas, 793, 1096, ui);
    RecordingCanvas expected(96, 96);
    expected.setPen(before);
    expected.setBrushColor(colors::rgb(0, 255, 0));
    applySheetMapping(s, expected, 793, 1096);
    s.titleText.draw(expected);
    expected.setPenColor(colors::black);
    for (Axis* a : {&s.topAxis, &s.bottomAxis, &s.leftAxis, &s.rightAxis})
        a->draw(expected);
    EXPECT_TRUE(sameCalls(drawOps(canvas), drawOps(expected)));
    EXPECT_EQ(canvas.pen(), before);
    EXPECT_EQ(canvas.brushColor(), colors::rgb(0, 255, 0));
    EXPECT_EQ(canvas.mapMode(), MapMode::Text);
    EXPECT_EQ(ui.maxDepth, 1);
    EXPECT_EQ(ui.waitDepth, 0);

    // All boxes ticked: the curves follow the axes in the order RES, M1, R, TD, TH, ZP.
    choices.ticked.fill(true);
    RecordingCanvas all(96, 96);
    all.setPen(before);
    all.setBrushColor(colors::rgb(0, 255, 0));
    paintSheet(s, choices, all, 793, 1096, ui);
    for (Curve* c : {&s.resCurve, &s.m1Curve, &s.rCurve, &s.tdCurve, &s.thCurve, &s.zpCurve})
        c->draw(expected);
    EXPECT_TRUE(sameCalls(drawOps(all), drawOps(expected)));
}

namespace {

bool drawsText(const RecordingCanvas& canvas, const std::string& text) {
    for (const RecordingCanvas::Call& call : canvas.calls)
        if (call.op == "textOut" && call.text == text)
            return true;
    return false;
}

// The axis titles and the footer line are drawn only when asked for: a sheet paints as it always did.
TEST_F(SheetViewTest, AxisTitlesAndTheFooterLineAreDrawnOnlyWhenAskedFor) {
    s.xLength = 1250.0f;
    s.yLength = 1875.0f;
    choices.ticked[Quantity::M1] = true;
    RecordingCanvas plain(96, 96);
    paintSheet(s, choices, plain, 793, 1096, ui);
    for (const char* note : {"AB/2 (m)", "ρs (Ω·m)", "M1 (%)"})
        EXPECT_FALSE(drawsText(plain, note)) << note;

    s.axisTitles = true;
    s.footerText = "gbalo.dat  测点 3  2026-12-10";
    RecordingCanvas noted(96, 96);
    paintSheet(s, choices, noted, 793, 1096, ui);
    for (const char* note : {"AB/2 (m)", "ρs (Ω·m)", "M1 (%)", "gbalo.dat  测点 3  2026-12-10"})
        EXPECT_TRUE(drawsText(noted, note)) << note;
    for (const RecordingCanvas::Call& call : noted.calls) {
        if (call.text == s.footerText) {
            EXPECT_LT(call.points.front().y, s.originY) << "the footer lies under the frame";
        }
    }
}

} // namespace
