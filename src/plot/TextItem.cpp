#include "plot/TextItem.h"

#include "core/Canvas.h"
#include "core/Gbk.h"
#include "plot/Geometry.h"

void TextItem::edit(Ui& /*ui*/) {}

bool TextItem::hitTest(int x, int y) {
    // Text widths on the sheet are GBK bytes times the font width (a Chinese character is two bytes).
    const int n = gbkByteLength(text);
    x2 = x1 + static_cast<float>(n * font.width);
    y2 = y1 - static_cast<float>(font.height);
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    return (fx - x1) * (fx - x2) <= 0.0f && (fy - y1) * (fy - y2) <= 0.0f;
}

void TextItem::draw(Canvas& canvas) const {
    const Color fontColor = canvas.fontColor();
    const PenMode mode = canvas.pen().mode;
    canvas.setPenMode(penMode);
    canvas.setPenColor(color);
    const LogFont spare = canvas.font();
    canvas.setFont(font);
    canvas.textOut(toCoord(x1), toCoord(y1), text);
    canvas.setFont(spare);
    canvas.setFontColor(fontColor);
    canvas.setPenMode(mode);
    // The pen colour deliberately stays the item's colour.
}
