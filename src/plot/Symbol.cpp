#include "plot/Symbol.h"

#include "core/Canvas.h"
#include "plot/Geometry.h"

#include <vector>

namespace {
void line(Canvas& canvas, int xa, int ya, int xb, int yb) {
    canvas.moveTo(xa, ya);
    canvas.lineTo(xb, yb);
}

void closedLine(Canvas& canvas, const std::vector<Point>& points) {
    canvas.moveTo(points.front().x, points.front().y);
    for (std::size_t i = 1; i < points.size(); ++i)
        canvas.lineTo(points[i].x, points[i].y);
    canvas.lineTo(points.front().x, points.front().y);
}
} // namespace

void drawSymbol(Canvas& canvas, int kind, int x, int y, int width, int height) {
    const int w = width / 2; // integer halvings toward zero
    const int h = height / 2;
    // Triangle bases sit at the exact third of the height.
    const int t = toCoord(static_cast<double>(y) - static_cast<double>(height) / 3.0);
    const int b = toCoord(static_cast<double>(y) + static_cast<double>(height) / 3.0);
    switch (kind) {
    case 1:
        line(canvas, x - w, y, x + w, y);
        line(canvas, x, y - h, x, y + h);
        break;
    case 2:
        line(canvas, x - w, y - h, x + w, y + h);
        line(canvas, x - w, y + h, x + w, y - h);
        break;
    case 3:
        canvas.setBrushColor(colors::white);
        canvas.ellipse(x - w, y - h, x + w, y + h);
        break;
    case 4:
        canvas.setBrushColor(colors::black);
        canvas.ellipse(x - w, y - h, x + w, y + h);
        break;
    case 5:
        closedLine(canvas, {{x - w, y - h}, {x + w, y - h}, {x + w, y + h}, {x - w, y + h}});
        break;
    case 6:
        canvas.setBrushColor(colors::black);
        canvas.rectangle(x - w, y - h, x + w, y + h);
        break;
    case 7:
        closedLine(canvas, {{x - w, t}, {x + w, t}, {x, y + h}});
        break;
    case 8:
        canvas.setBrushColor(colors::black);
        canvas.polygon({{x - w, t}, {x + w, t}, {x, y + h}});
        break;
    case 9:
        closedLine(canvas, {{x - w, b}, {x + w, b}, {x, y - h}});
        break;
    case 10:
        canvas.setBrushColor(colors::black);
        canvas.polygon({{x - w, b}, {x + w, b}, {x, y - h}});
        break;
    case 11:
        canvas.polyline({{x - w, y}, {x, y - h}, {x + w, y}, {x, y + h}, {x - w, y}});
        break;
    case 12:
        canvas.setBrushColor(colors::black);
        canvas.polygon({{x - w, y}, {x, y - h}, {x + w, y}, {x, y + h}});
        break;
    default:
        break; // 0 and unknown numbers: no symbol
    }
}
