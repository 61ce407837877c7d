#pragma once

#include <QImage>

// A white 32-bit RGB bitmap of `width` x `height` pixels for painting a whole sheet, or a null image when
// the memory cannot be had. A sheet at print resolutions is large (95 MB at 300 dpi): where the system
// allows it, the memory is taken in huge pages and made present at once, since touching it one small page
// at a time costs many times what painting the sheet does.
QImage makeWhiteBitmap(int width, int height);
