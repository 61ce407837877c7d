#include "SheetBitmap.h"

QImage makeSheetBitmap(int width, int height, QRgb paper) {
    if (width <= 0 || height <= 0)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (!image.isNull())
        image.fill(paper);
    return image;
}
