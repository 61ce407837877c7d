#include "plot/LineItem.h"

#include "RecordingCanvas.h"
#include "ScriptedUi.h"
#include "core/Pen.h"

#include <gtest/gtest.h>

class LineTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    LineItem line;
    void place(int xa, int ya, int xb, int yb) {
        line.setStart(xa, ya);
        line.setEnd(xb, yb);
    }
};

TEST_F(LineTest, VerticalSegmentToleranceIsStrict) {
    place(50, 0, 50, 100);
    EXPECT_TRUE(line.hitTest(54, 100));
    EXPECT_TRUE(line.hitTest(46, 0));
    EXPECT_FALSE(line.hitTest(55, 50));
    EXPECT_FALSE(line.hitTest(52, 101));
}

TEST_F(LineTest, HorizontalSegmentKeepsToItsExtent) {
    place(0, 20, 100, 20);
    EXPECT_TRUE(line.hitTest(100, 24));
    EXPECT_FALSE(line.hitTest(50, 15));
    EXPECT_FALSE(line.hitTest(101, 20));
}

TEST_F(LineTest, SlantedSegmentIsTestedAgainstItsWholeLine) {
    place(0, 0, 100, 100);
    EXPECT_TRUE(line.hitTest(300, 302)); // far beyond the end, 1.4 units off the line
    EXPECT_TRUE(line.hitTest(50, 57));   // 4.9 units off
    EXPECT_FALSE(line.hitTest(50, 58));  // 5.7 units off
}

TEST_F(LineTest, DrawUsesItemPenButCanvasWidthAndRestores) {
    RecordingCanvas canvas;
    canvas.setPen(Pen{PenStyle::Solid, 7, colors::black, PenMode::Copy});
    line.x1 = 10.9f;
    line.y1 = -10.9f;
    line.x2 = 200.5f;
    line.y2 = 0.2f;
    line.color = colors::red;
    line.penStyle = PenStyle::Dash;
    line.penWidth = 3;
    line.draw(canvas);

    const auto segs = canvas.segments();
    ASSERT_EQ(segs.size(), 1u);
    EXPECT_EQ(segs[0].first, (Point{10, -10}));
    EXPECT_EQ(segs[0].second, (Point{200, 0}));
    const auto lineTo = canvas.callsOf("lineTo").at(0);
    EXPECT_EQ(lineTo.pen, (Pen{PenStyle::Dash, 7, colors::red, PenMode::Copy}));
    EXPECT_EQ(canvas.pen(), (Pen{PenStyle::Solid, 7, colors::black, PenMode::Copy}));
}

TEST_F(LineTest, EditOnlySaysThereIsNoDialog) {
    place(0, 0, 10, 10);
    line.edit(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Function not implemeted in TLine");
    EXPECT_EQ(ui.messages[0].caption, applicationTitle);
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_FLOAT_EQ(line.x2, 10.0f);
}
