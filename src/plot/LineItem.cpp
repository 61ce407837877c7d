#include "plot/LineItem.h"

#include "core/Canvas.h"
#include "core/Ui.h"
#include "plot/Geometry.h"

#include <cmath>

namespace {
constexpr float hitTolerance = 5.0f; // logical units, 0.5 mm
}

void LineItem::edit(Ui& ui) {
    ui.showMessage("Function not implemeted in TLine");
}

bool LineItem::hitTest(int x, int y) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    if (x1 == x2)
        return std::fabs(fx - x1) < hitTolerance && (fy - y1) * (fy - y2) <= 0.0f;
    if (y1 == y2)
        return std::fabs(fy - y1) < hitTolerance && (fx - x1) * (fx - x2) <= 0.0f;
    // A slanted line is tested against the whole line through its points, not the segment.
    return distanceToSlantedLine(fx, fy, x1, y1, x2, y2) < hitTolerance;
}

void LineItem::draw(Canvas& canvas) const {
    const Pen saved = canvas.pen();
    Pen pen = saved; // the width in force on the canvas is kept
    pen.color = color;
    pen.style = penStyle;
    pen.mode = penMode;
    canvas.setPen(pen);
    canvas.moveTo(toCoord(x1), toCoord(y1));
    canvas.lineTo(toCoord(x2), toCoord(y2));
    Pen restored = canvas.pen();
    restored.color = saved.color;
    restored.style = saved.style;
    restored.mode = saved.mode;
    canvas.setPen(restored);
}
