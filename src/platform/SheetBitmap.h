#pragma once

#include <QImage>

// A 32-bit RGB bitmap of `width` x `height` pixels filled with `paper`, for painting a whole sheet, or a
// null image when the memory cannot be had. A sheet is large (10 MB on screen, 95 MB at 300 dpi): where
// the system allows it, the memory is taken in huge pages and made present at once, since touching it one
// small page at a time costs many times what painting the sheet does.
QImage makeSheetBitmap(int width, int height, QRgb paper = qRgb(255, 255, 255));
