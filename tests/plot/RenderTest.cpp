// Items drawn through the Qt canvas onto a 96 dpi bitmap land on the pixels the sheet mapping predicts.
#include "plot/Axis.h"
#include "plot/Curve.h"

#include "render/QtCanvas.h"

#include <cmath>

#include <QImage>
#include <QPainter>
#include <QRect>

#include <gtest/gtest.h>

namespace {
constexpr int viewportX = 50;
constexpr int viewportY = 550;

QImage bitmap() {
    QImage image(600, 650, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(qRgb(255, 255, 255));
    return image;
}

void sheetMapping(Canvas& canvas) {
    canvas.setMapMode(MapMode::LoMetric);
    canvas.setViewportOrigin(viewportX, viewportY);
    canvas.setWindowOrigin(0, 0);
}

// Device pixel of a logical coordinate at 96 dpi: 0.1 mm units, y up.
int deviceX(double x) {
    return viewportX + static_cast<int>(std::lround(x * 96.0 / 254.0));
}
int deviceY(double y) {
    return viewportY - static_cast<int>(std::lround(y * 96.0 / 254.0));
}

bool isWhite(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(255, 255, 255);
}

// Dark within one pixel of the predicted spot.
bool darkNear(const QImage& image, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (!isWhite(image, x + dx, y + dy))
                return true;
    return false;
}

QRect inkBelow(const QImage& image, int row) {
    QRect box;
    for (int y = row; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isWhite(image, x, y))
                box = box.united(QRect(x, y, 1, 1));
    return box;
}
} // namespace

TEST(Render, AxisTicksLandWhereTheMappingPutsThem) {
    QImage image = bitmap();
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, 96, 96);
        sheetMapping(canvas);
        Axis axis;
        axis.setStart(0, 0);
        axis.setEnd(1000, 0);
        axis.rangeMin = axis.limitMin = 0;
        axis.rangeMax = axis.limitMax = 10;
        axis.majorIntervals = 10;
        axis.majorTickLength = 30; // 3 mm down
        axis.showLabels = false;
        axis.showTitle = false;
        axis.draw(canvas);
    }
    const int row = deviceY(-15); // halfway down the ticks
    for (int k = 0; k < 5; ++k) {
        EXPECT_TRUE(darkNear(image, deviceX(250.0 * k), row)) << k;
        EXPECT_TRUE(isWhite(image, deviceX(250.0 * k + 125.0), row)) << k;
    }
    EXPECT_TRUE(darkNear(image, deviceX(500), deviceY(0))); // the axis line
}

TEST(Render, CurveSegmentsLandOnTheMappedLine) {
    QImage image = bitmap();
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, 96, 96);
        sheetMapping(canvas);
        Curve curve;
        curve.xMin = curve.yMin = 1;
        curve.xMax = curve.yMax = 100;
        curve.xLog = curve.yLog = true;
        curve.xLength = curve.yLength = 1250;
        curve.xValues = {1, 10, 100};
        curve.yValues = {1, 100, 10};
        curve.computePoints();
        curve.draw(canvas);
    }
    EXPECT_TRUE(darkNear(image, deviceX(312.5), deviceY(625)));   // middle of the first segment
    EXPECT_TRUE(darkNear(image, deviceX(937.5), deviceY(937.5))); // middle of the second
    EXPECT_TRUE(isWhite(image, deviceX(625), deviceY(625)));
    EXPECT_FALSE(darkNear(image, deviceX(1000), deviceY(200)));
}

TEST(Render, RotatedTitleRendersRotated) {
    auto titleInk = [](int escapement) {
        QImage image = bitmap();
        {
            QPainter painter(&image);
            QtCanvas canvas(painter, 96, 96);
            sheetMapping(canvas);
            Axis axis;
            axis.setStart(0, 700);
            axis.setEnd(1000, 700);
            axis.showTicks = false;
            axis.title = "Resistivity";
            axis.titleDistance = 300; // the title anchor sits 60 mm below the line
            axis.titleFont.height = 40;
            axis.titleFont.width = 20;
            axis.titleFont.escapement = escapement;
            axis.draw(canvas);
        }
        return inkBelow(image, deviceY(700) + 3);
    };
    const QRect flat = titleInk(0);
    const QRect rotated = titleInk(900);
    ASSERT_FALSE(flat.isEmpty());
    ASSERT_FALSE(rotated.isEmpty());
    EXPECT_GT(flat.width(), 3 * flat.height());
    EXPECT_GT(rotated.height(), 3 * rotated.width());
}
