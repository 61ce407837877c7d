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

SymbolKind symbolKindOf(int number) {
    return number >= 0 && number <= static_cast<int>(SymbolKind::FilledDiamond)
               ? static_cast<SymbolKind>(number)
               : SymbolKind::None;
}

void drawSymbol(Canvas& canvas, SymbolKind kind, int x, int y, int width, int height) {
    const int w = width / 2; // integer halvings toward zero
    const int h = height / 2;
    // Triangle bases sit at the exact third of the height.
    const int t = toCoord(static_cast<double>(y) - static_cast<double>(height) / 3.0);
    const int b = toCoord(static_cast<double>(y) + static_cast<double>(height) / 3.0);
    switch (kind) {
    case SymbolKind::Plus:
        line(canvas, x - w, y, x + w, y);
        line(canvas, x, y - h, x, y + h);
        break;
    case SymbolKind::Cross:
        line(canvas, x - w, y - h, x + w, y + h);
        line(canvas, x - w, y + h, x + w, y - h);
        break;
    case SymbolKind::OpenCircle:
        canvas.setBrushColor(colors::white);
        canvas.ellipse(x - w, y - h, x + w, y + h);
        break;
    case SymbolKind::FilledCircle:
        canvas.setBrushColor(colors::black);
        canvas.ellipse(x - w, y - h, x + w, y + h);
        break;
    case SymbolKind::OpenSquare:
        closedLine(canvas, {{x - w, y - h}, {x + w, y - h}, {x + w, y + h}, {x - w, y + h}});
        break;
    case SymbolKind::FilledSquare:
        canvas.setBrushColor(colors::black);
        canvas.rectangle(x - w, y - h, x + w, y + h);
        break;
    case SymbolKind::OpenTriangleUp:
        closedLine(canvas, {{x - w, t}, {x + w, t}, {x, y + h}});
        break;
    case SymbolKind::FilledTriangleUp:
        canvas.setBrushColor(colors::black);
        canvas.polygon({{x - w, t}, {x + w, t}, {x, y + h}});
        break;
    case SymbolKind::OpenTriangleDown:
        closedLine(canvas, {{x - w, b}, {x + w, b}, {x, y - h}});
        break;
    case SymbolKind::FilledTriangleDown:
        canvas.setBrushColor(colors::black);
        canvas.polygon({{x - w, b}, {x + w, b}, {x, y - h}});
        break;
    case SymbolKind::OpenDiamond:
        canvas.polyline({{x - w, y}, {x, y - h}, {x + w, y}, {x, y + h}, {x - w, y}});
        break;
    case SymbolKind::FilledDiamond:
        canvas.setBrushColor(colors::black);
        canvas.polygon({{x - w, y}, {x, y - h}, {x + w, y}, {x, y + h}});
        break;
    case SymbolKind::None:
        break;
    }
}
