#include "plot/TextItem.h"

#include "RecordingCanvas.h"
#include "core/Pen.h"

#include <gtest/gtest.h>

TEST(Text, DefaultsAreThoseOfEveryItem) {
    TextItem t;
    EXPECT_EQ(t.font.height, 18);
    EXPECT_EQ(t.font.width, 11);
    EXPECT_EQ(t.font.weight, 100);
    EXPECT_EQ(t.font.faceName, "Arial");
    EXPECT_EQ(t.penStyle, PenStyle::Solid);
    EXPECT_EQ(t.penMode, PenMode::Copy);
    EXPECT_EQ(t.penWidth, 1);
    EXPECT_EQ(t.color, 0u);
    EXPECT_TRUE(t.text.empty());
}

TEST(Text, HitBoxGrowsRightByGbkBytesAndDownByHeight) {
    TextItem t;
    t.text = "电"; // two GBK bytes
    t.setStart(100, 200);
    EXPECT_TRUE(t.hitTest(122, 182));
    EXPECT_FLOAT_EQ(t.x2, 122.0f);
    EXPECT_FLOAT_EQ(t.y2, 182.0f);
    EXPECT_TRUE(t.hitTest(100, 200));
    EXPECT_FALSE(t.hitTest(123, 190));
    EXPECT_FALSE(t.hitTest(110, 181));
}

TEST(Text, NegativeFontHeightTurnsTheBoxUpward) {
    TextItem t;
    t.text = "ab";
    t.font.height = -18;
    t.setStart(100, 200);
    EXPECT_TRUE(t.hitTest(110, 218));
    EXPECT_FALSE(t.hitTest(110, 190));
}

TEST(Text, EmptyTextHasZeroWidthBox) {
    TextItem t;
    t.setStart(10, 10);
    EXPECT_TRUE(t.hitTest(10, 5));
    EXPECT_FALSE(t.hitTest(11, 5));
}

TEST(Text, DrawUsesItemFontAndRestoresAllButPenColour) {
    RecordingCanvas canvas;
    canvas.setPenColor(colors::red);
    canvas.setFontColor(0x00123456);
    const LogFont before = canvas.font();

    TextItem t;
    t.text = "电测深";
    t.x1 = -3.7f;
    t.y1 = 250.9f;
    t.color = 0x0000FF00;
    t.penMode = PenMode::Copy;
    t.draw(canvas);

    const auto texts = canvas.callsOf("textOut");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].points[0], (Point{-3, 250}));
    EXPECT_EQ(texts[0].text, "电测深");
    EXPECT_EQ(texts[0].font, t.font);
    EXPECT_EQ(texts[0].fontColor, 0x00123456u); // the item's colour does not colour the text
    EXPECT_EQ(texts[0].pen.mode, PenMode::Copy);

    EXPECT_EQ(canvas.font(), before);
    EXPECT_EQ(canvas.fontColor(), 0x00123456u);
    EXPECT_EQ(canvas.pen().color, 0x0000FF00u);
}

TEST(Unit, MoveAndPlacePoints) {
    TextItem t;
    t.setStart(1, 2);
    t.setEnd(3, 4);
    t.moveBy(10, -20);
    EXPECT_FLOAT_EQ(t.x1, 11.0f);
    EXPECT_FLOAT_EQ(t.y1, -18.0f);
    EXPECT_FLOAT_EQ(t.x2, 13.0f);
    EXPECT_FLOAT_EQ(t.y2, -16.0f);
}
