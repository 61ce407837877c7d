#include "render/SheetBitmap.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <string>

// The sheet bitmap comes white (unless another paper is asked for) and paintable, from a small one to one
// past the size taken in huge pages (2 MB), and stays valid in every copy until the last one goes.
TEST(SheetBitmap, IsPaperColouredAndPaintableAtEverySize) {
    for (const QSize size : {QSize(1, 1), QSize(793, 600), QSize(1738, 1398)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        QImage copy;
        {
            QImage image = makeSheetBitmap(size.width(), size.height());
            ASSERT_EQ(image.size(), size);
            ASSERT_EQ(image.format(), QImage::Format_RGB32);
            EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
            EXPECT_EQ(image.pixel(size.width() - 1, size.height() - 1), qRgb(255, 255, 255));
            QPainter painter(&image);
            painter.fillRect(QRect(0, 0, 1, 1), Qt::black);
            painter.end();
            copy = image;
        }
        EXPECT_EQ(copy.pixel(0, 0), qRgb(0, 0, 0));
        if (size.width() > 1) {
            EXPECT_EQ(copy.pixel(size.width() - 1, size.height() - 1), qRgb(255, 255, 255));
        }
    }
    // the window's sheet lies on the window colour
    const QImage grey = makeSheetBitmap(1738, 1398, qRgb(240, 240, 240));
    ASSERT_EQ(grey.size(), QSize(1738, 1398));
    EXPECT_EQ(grey.pixel(0, 0), qRgb(240, 240, 240));
    EXPECT_EQ(grey.pixel(1737, 1397), qRgb(240, 240, 240));
    EXPECT_EQ(makeSheetBitmap(3, 2, qRgb(1, 2, 3)).pixel(2, 1), qRgb(1, 2, 3));
    EXPECT_TRUE(makeSheetBitmap(0, 10).isNull());
    EXPECT_TRUE(makeSheetBitmap(10, -1).isNull());
}
