#include "RecordingCanvas.h"

#include <gtest/gtest.h>

// The sheet mapping at 96 dpi with the figure's corner at device (302, 774).
TEST(RecordingCanvas, DeviceToLogicalInvertsTheSheetMapping) {
    RecordingCanvas canvas(96, 96);
    EXPECT_EQ(canvas.setMapMode(MapMode::LoMetric), MapMode::Text);
    canvas.setViewportOrigin(302, 774);
    EXPECT_EQ(canvas.deviceToLogical({302, 774}), (Point{0, 0}));
    // 500 units = 5 cm = 188.98 px: the pixel 189 to the right is logical 500
    EXPECT_EQ(canvas.deviceToLogical({302 + 189, 774}), (Point{500, 0}));
    // device y grows downward, logical y upward
    EXPECT_EQ(canvas.deviceToLogical({302, 774 - 189}), (Point{0, 500}));
    EXPECT_EQ(canvas.deviceToLogical({302 - 189, 774 + 189}), (Point{-500, -500}));
    canvas.setWindowOrigin(100, 50);
    EXPECT_EQ(canvas.deviceToLogical({302, 774}), (Point{100, 50}));
    EXPECT_EQ(canvas.setMapMode(MapMode::Text), MapMode::LoMetric);
    EXPECT_EQ(canvas.deviceToLogical({302, 774}), (Point{100, 50}));
    EXPECT_EQ(canvas.deviceToLogical({310, 770}), (Point{108, 46}));
}

TEST(RecordingCanvas, StateGuardGivesBackPenBrushAndFont) {
    RecordingCanvas canvas;
    const Pen before = canvas.pen();
    const LogFont fontBefore = canvas.font();
    {
        CanvasStateGuard guard(canvas);
        canvas.setPen({PenStyle::Dot, 7, colors::red, PenMode::Copy});
        canvas.setBrushColor(colors::black);
        canvas.setBrushStyle(BrushStyle::Clear);
        LogFont f;
        f.height = 18;
        f.setFaceName("Arial");
        canvas.setFont(f);
        canvas.setFontColor(colors::red);
        canvas.lineTo(1, 1);
    }
    EXPECT_EQ(canvas.pen(), before);
    EXPECT_EQ(canvas.brushColor(), colors::white);
    EXPECT_EQ(canvas.brushStyle(), BrushStyle::Solid);
    EXPECT_EQ(canvas.font(), fontBefore);
    EXPECT_EQ(canvas.fontColor(), colors::black);
    // the call made inside the guard was recorded with the pen of that moment
    ASSERT_EQ(canvas.calls.size(), 1u);
    EXPECT_EQ(canvas.calls[0].pen.style, PenStyle::Dot);
}

TEST(RecordingCanvas, SegmentsJoinMoveAndLine) {
    RecordingCanvas canvas;
    canvas.moveTo(0, 0);
    canvas.lineTo(10, 0);
    canvas.lineTo(10, 5);
    canvas.moveTo(-3, -3);
    canvas.lineTo(4, 4);
    const auto segments = canvas.segments();
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[1].first, (Point{10, 0}));
    EXPECT_EQ(segments[1].second, (Point{10, 5}));
    EXPECT_EQ(segments[2].first, (Point{-3, -3}));
    EXPECT_EQ(canvas.callsOf("moveTo").size(), 2u);
}
