#pragma once

#include <QImage>

// The largest side, in pixels, of a sheet bitmap the program makes: a larger one could exhaust the memory.
inline constexpr int maxSheetBitmapSide = 20000;

// A 32-bit RGB bitmap of `width` x `height` pixels filled with `paper`, for painting a whole sheet, or a
// null image when the memory cannot be had.
QImage makeSheetBitmap(int width, int height, QRgb paper = qRgb(255, 255, 255));
