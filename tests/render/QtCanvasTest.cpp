#include "render/QtCanvas.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>

namespace {

// The A4 sheet bitmap at 96 dpi: 21 cm × 29 cm.
QImage sheetBitmap(int width = 793, int height = 1096, QRgb background = qRgb(255, 255, 255)) {
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(background);
    return image;
}

// The figure's lower-left corner of the 5 × 5 cm figure on A4: x = (793 - 188.98) / 2 = 302,
// y = (1096 + 188.98) / 2 + 96 × 3.5 / 2.54 = 774.
constexpr int viewportX = 302;
constexpr int viewportY = 774;

void applySheetMapping(Canvas& canvas) {
    canvas.setMapMode(MapMode::LoMetric);
    canvas.setViewportOrigin(viewportX, viewportY);
    canvas.setWindowOrigin(0, 0);
}

bool isWhite(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// The bounding box of the pixels that differ from white.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!isWhite(image, x, y))
                box = box.united(QRect(x, y, 1, 1));
        }
    }
    return box;
}

LogFont arial(int height, int width) {
    LogFont f;
    f.height = height;
    f.width = width;
    f.weight = 400;
    f.setFaceName("Arial");
    return f;
}

} // namespace

TEST(QtCanvas, ReadsTheResolutionOfTheBitmap) {
    QImage image = sheetBitmap(100, 100);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    EXPECT_EQ(canvas.dpiX(), 96);
    EXPECT_EQ(canvas.dpiY(), 96);
}

TEST(QtCanvas, BottomAxisOfTheFigureLandsOnThePredictedPixels) {
    QImage image = sheetBitmap();
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        applySheetMapping(canvas);
        canvas.moveTo(0, 0);
        canvas.lineTo(500, 0);
        canvas.moveTo(0, 0);
        canvas.lineTo(0, 500);
        EXPECT_EQ(canvas.deviceToLogical({viewportX + 189, viewportY}), (Point{500, 0}));
        EXPECT_EQ(canvas.logicalToDevice({500, 500}), (Point{viewportX + 189, viewportY - 189}));
    }
    // 500 units = 188.98 px, rounded to 189; the end point itself is not painted
    for (int x = viewportX; x <= viewportX + 188; ++x)
        ASSERT_FALSE(isWhite(image, x, viewportY)) << "x " << x;
    EXPECT_TRUE(isWhite(image, viewportX - 1, viewportY));
    EXPECT_TRUE(isWhite(image, viewportX + 189, viewportY));
    EXPECT_TRUE(isWhite(image, viewportX + 100, viewportY - 1));
    EXPECT_TRUE(isWhite(image, viewportX + 100, viewportY + 1));
    // the left axis goes up from the corner
    for (int y = viewportY - 188; y <= viewportY; ++y)
        ASSERT_FALSE(isWhite(image, viewportX, y)) << "y " << y;
    EXPECT_TRUE(isWhite(image, viewportX, viewportY - 189));
    EXPECT_EQ(inkBox(image), QRect(viewportX, viewportY - 188, 189, 189));
}

TEST(QtCanvas, TextModeIsOnePixelPerUnitWithYDown) {
    QImage image = sheetBitmap(50, 50);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        EXPECT_EQ(canvas.mapMode(), MapMode::Text);
        canvas.setViewportOrigin(5, 5);
        canvas.moveTo(0, 10);
        canvas.lineTo(20, 10);
        EXPECT_EQ(canvas.deviceToLogical({25, 15}), (Point{20, 10}));
    }
    EXPECT_EQ(inkBox(image), QRect(5, 15, 20, 1));
}

TEST(QtCanvas, ThinAndWidePens) {
    QImage image = sheetBitmap(200, 200);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setMapMode(MapMode::LoMetric);
        canvas.setViewportOrigin(10, 190);
        // 1 unit = 0.38 px: still one whole pixel
        canvas.setPenWidth(1);
        EXPECT_EQ(canvas.devicePenWidth(), 1);
        canvas.moveTo(0, 100);
        canvas.lineTo(300, 100);
        // 10 units = 1 mm = 3.78 px: four pixels
        canvas.setPenWidth(10);
        EXPECT_EQ(canvas.devicePenWidth(), 4);
    }
    const int y = 190 - 38; // 100 units = 37.8 px
    EXPECT_FALSE(isWhite(image, 50, y));
    EXPECT_TRUE(isWhite(image, 50, y - 1));
    EXPECT_TRUE(isWhite(image, 50, y + 1));
    EXPECT_EQ(inkBox(image).height(), 1);
}

TEST(QtCanvas, WidePenPaintsItsWidth) {
    QImage image = sheetBitmap(200, 200);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setMapMode(MapMode::LoMetric);
        canvas.setViewportOrigin(10, 190);
        canvas.setPenWidth(10);
        canvas.moveTo(100, 100);
        canvas.lineTo(300, 100);
    }
    int dark = 0;
    for (int y = 140; y < 165; ++y)
        dark += isWhite(image, 80, y) ? 0 : 1;
    EXPECT_EQ(dark, 4);
}

TEST(QtCanvas, DashedPenLeavesGaps) {
    QImage image = sheetBitmap(200, 20);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setPenStyle(PenStyle::Dot);
        canvas.moveTo(0, 10);
        canvas.lineTo(200, 10);
    }
    int dark = 0;
    for (int x = 0; x < 200; ++x)
        dark += isWhite(image, x, 10) ? 0 : 1;
    EXPECT_GT(dark, 60);
    EXPECT_LT(dark, 140);
}

TEST(QtCanvas, ShapesAreFilledWithTheBrushAndOutlinedWithThePen) {
    QImage image = sheetBitmap(100, 100);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setBrushColor(colors::red);
        canvas.rectangle(10, 10, 30, 30);
        canvas.setBrushStyle(BrushStyle::Clear);
        canvas.ellipse(50, 10, 90, 50);
        canvas.setBrushStyle(BrushStyle::Solid);
        canvas.setBrushColor(colors::rgb(0, 0, 255));
        canvas.fillRect(10, 60, 20, 70);
        canvas.polygon({{50, 60}, {90, 60}, {70, 95}});
    }
    // rectangle: black outline, red inside, right and bottom edges exclusive
    EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(29, 29), qRgb(0, 0, 0));
    EXPECT_TRUE(isWhite(image, 30, 20));
    EXPECT_EQ(image.pixel(20, 20), qRgb(255, 0, 0));
    // a clear brush leaves the inside of the ellipse
    EXPECT_TRUE(isWhite(image, 70, 30));
    EXPECT_FALSE(isWhite(image, 50, 30));
    // fillRect covers exactly 10 × 10 pixels, without outline
    EXPECT_EQ(image.pixel(10, 60), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(19, 69), qRgb(0, 0, 255));
    EXPECT_TRUE(isWhite(image, 20, 65));
    EXPECT_TRUE(isWhite(image, 15, 70));
    // polygon: filled blue, black edge
    EXPECT_EQ(image.pixel(70, 70), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(70, 60), qRgb(0, 0, 0));
}

TEST(QtCanvas, SheetFontsBecomeLiberationFacesAtTheirSize) {
    QImage image = sheetBitmap(100, 100);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    canvas.setMapMode(MapMode::LoMetric);
    // the axis label font: character cell 1.2 mm, average width 0.7 mm
    canvas.setFont(arial(-40, 0));
    const QFont plain = canvas.deviceFont();
    EXPECT_EQ(QFontInfo(plain).family(), "Liberation Sans");
    EXPECT_EQ(plain.pixelSize(), 15); // 4 mm at 96 dpi = 15.1 px
    // a positive height is the whole cell, so the character is smaller
    canvas.setFont(arial(40, 0));
    EXPECT_LT(canvas.deviceFont().pixelSize(), 15);
    EXPECT_GT(canvas.deviceFont().pixelSize(), 11);
    // a requested average width stretches the face
    canvas.setFont(arial(-40, 40));
    const QFont wide = canvas.deviceFont();
    EXPECT_GT(wide.stretch(), 150);
    LogFont times = arial(-40, 0);
    times.setFaceName("Times New Roman");
    times.weight = 700;
    times.italic = 1;
    canvas.setFont(times);
    const QFontInfo info(canvas.deviceFont());
    EXPECT_EQ(info.family(), "Liberation Serif");
    EXPECT_TRUE(info.bold());
    EXPECT_TRUE(info.italic());
}

TEST(QtCanvas, TextHangsBelowAndRightOfItsAnchor) {
    QImage image = sheetBitmap(200, 200);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setFont(arial(-20, 0));
        canvas.textOut(50, 100, "Res");
    }
    const QRect box = inkBox(image);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GE(box.left(), 50);
    EXPECT_LE(box.left(), 53);
    EXPECT_GE(box.top(), 100);
    EXPECT_LE(box.bottom(), 125);
    EXPECT_GT(box.width(), box.height());
}

TEST(QtCanvas, EscapementTurnsTextCounterClockwise) {
    QImage image = sheetBitmap(200, 200);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        LogFont f = arial(-20, 0);
        f.escapement = 900;
        canvas.setFont(f);
        canvas.textOut(100, 150, "Resistivity");
    }
    const QRect box = inkBox(image);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.height(), 2 * box.width());
    // turned upward about the anchor: the text runs up from it, and what was below the top edge
    // now lies to the right of the anchor
    EXPECT_LE(box.bottom(), 150);
    EXPECT_LE(box.right(), 125);
    EXPECT_GE(box.left(), 100);
}

TEST(QtCanvas, ChineseTextFindsAFace) {
    QImage image = sheetBitmap(200, 60);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        canvas.setFont(arial(-24, 0));
        canvas.textOut(10, 10, "电测深观测数据");
    }
    const QRect box = inkBox(image);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.width(), 100); // seven full-width characters of about 24 px
}

TEST(QtCanvas, TheUntouchedSurfaceFontIsEightPointsUnderEveryMapping) {
    QImage image = sheetBitmap(100, 100);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    const int textSize = canvas.deviceFont().pixelSize();
    canvas.setMapMode(MapMode::LoMetric);
    EXPECT_EQ(canvas.deviceFont().pixelSize(), textSize);
    EXPECT_EQ(textSize, 11); // 8 pt at 96 dpi = 10.7 px
}

TEST(QtCanvas, LeavesThePainterAsItFoundIt) {
    QImage image = sheetBitmap(50, 50);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::green, 3));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    {
        QtCanvas canvas(painter);
        canvas.setPen({PenStyle::Dash, 1, colors::red, PenMode::Copy});
        canvas.setFont(arial(-20, 0));
        canvas.moveTo(0, 0);
        canvas.lineTo(40, 40);
        canvas.textOut(5, 5, "A");
        canvas.rectangle(1, 1, 30, 30);
    }
    EXPECT_EQ(painter.pen().color(), QColor(Qt::green));
    EXPECT_EQ(painter.pen().width(), 3);
    EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
    EXPECT_TRUE(painter.worldTransform().isIdentity());
}

TEST(QtCanvas, SystemColours) {
    EXPECT_EQ(QtCanvas::toQColor(colors::systemWindow), QColor(255, 255, 255));
    EXPECT_EQ(QtCanvas::toQColor(colors::systemButtonFace), QColor(240, 240, 240));
    EXPECT_EQ(QtCanvas::toQColor(colors::red), QColor(255, 0, 0));
    EXPECT_EQ(QtCanvas::toQColor(0x00563412), QColor(0x12, 0x34, 0x56));
}

TEST(QtCanvas, AverageWidthWidensTheWrittenText) {
    auto inkWidth = [](int width) {
        QImage image = sheetBitmap(300, 60);
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            canvas.setFont(arial(-20, width));
            canvas.textOut(5, 5, "Resistivity");
        }
        return inkBox(image).width();
    };
    const int natural = inkWidth(0);
    // the face's own average width at 20 px is about 11 px
    EXPECT_GT(inkWidth(16), natural * 13 / 10);
    EXPECT_LT(inkWidth(4), natural / 2);
}

TEST(QtCanvas, DrawsOnAPdfPage) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    {
        QPainter painter(&writer);
        QtCanvas canvas(painter);
        EXPECT_EQ(canvas.dpiX(), 600);
        canvas.setMapMode(MapMode::LoMetric);
        canvas.setViewportOrigin(1000, 3000);
        // 1 mm at 600 dpi = 23.6 px
        canvas.setPenWidth(10);
        EXPECT_EQ(canvas.devicePenWidth(), 24);
        canvas.moveTo(0, 0);
        canvas.lineTo(500, 0);
        canvas.setFont(arial(18, 11));
        canvas.textOut(0, 100, "电测深观测数据");
        canvas.ellipse(-20, 20, 20, -20);
    }
    EXPECT_GT(buffer.size(), 500);
}
