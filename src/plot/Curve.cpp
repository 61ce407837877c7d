#include "plot/Curve.h"

#include "core/Canvas.h"
#include "core/Ui.h"
#include "plot/Geometry.h"
#include "plot/Symbol.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace {
constexpr float hitTolerance = 5.0f; // logical units, 0.5 mm

bool finite(float v) {
    return std::isfinite(v);
}
} // namespace

void Curve::edit(Ui& ui) {
    ui.showMessage("Function not implemeted in TLine");
}

std::vector<std::string> Curve::computePoints() {
    std::vector<std::string> warnings;
    xPoints.clear();
    yPoints.clear();
    invalid = false;
    // The two value lists are set together; pairs beyond the shorter one have no partner.
    const std::size_t n = std::min(xValues.size(), yValues.size());

    if (xMin == xMax || yMin == yMax || !finite(xMin) || !finite(xMax) || !finite(yMin) || !finite(yMax)) {
        invalid = true;
        return warnings;
    }

    // Offsets of one axis; an empty entry drops the whole pair so that x and y stay paired.
    std::vector<std::optional<float>> xs(n);
    std::vector<std::optional<float>> ys(n);

    if (xLog) {
        if (xMin <= 0.0f || xMax <= 0.0f) {
            invalid = true;
            return warnings;
        }
        const float sx = static_cast<float>(
            xLength / (std::log10(static_cast<double>(xMax)) - std::log10(static_cast<double>(xMin))));
        for (std::size_t i = 0; i < n; ++i) {
            const float v = xValues[i];
            if (v <= 0.0f || std::isnan(v)) {
                warnings.emplace_back("Value is not correct!");
                continue;
            }
            xs[i] = static_cast<float>(
                (std::log10(static_cast<double>(v)) - std::log10(static_cast<double>(xMin))) * sx);
        }
    } else {
        const float sx = xLength / (xMax - xMin);
        for (std::size_t i = 0; i < n; ++i)
            xs[i] = (xValues[i] - xMin) * sx;
    }

    if (yLog) {
        if (yMin <= 0.0f || yMax <= 0.0f) {
            invalid = true;
            return warnings;
        }
        const float sy = static_cast<float>(
            yLength / (std::log10(static_cast<double>(yMax)) - std::log10(static_cast<double>(yMin))));
        for (std::size_t i = 0; i < n; ++i) {
            const float v = yValues[i];
            if (v <= 0.0f || std::isnan(v)) {
                warnings.push_back("y-轴的第" + std::to_string(i) + "个数据小于0");
                continue;
            }
            ys[i] = static_cast<float>(
                (std::log10(static_cast<double>(v)) - std::log10(static_cast<double>(yMin))) * sy);
        }
    } else {
        const float sy = yLength / (yMax - yMin);
        for (std::size_t i = 0; i < n; ++i)
            ys[i] = (yValues[i] - yMin) * sy;
    }

    // Infinite or undefined offsets (from infinite values or scales) are left out silently: they
    // cannot be drawn.
    for (std::size_t i = 0; i < n; ++i) {
        if (xs[i] && ys[i] && finite(*xs[i]) && finite(*ys[i])) {
            xPoints.push_back(*xs[i]);
            yPoints.push_back(*ys[i]);
        }
    }
    return warnings;
}

bool Curve::hitTest(int x, int y) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const std::size_t count = std::min(xPoints.size(), yPoints.size());
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const float xa = xPoints[i];
        const float ya = yPoints[i];
        const float xb = xPoints[i + 1];
        const float yb = yPoints[i + 1];
        bool passes = false;
        if (xa == xb)
            passes = std::fabs(fx - xa) < hitTolerance && (fy - ya) * (fy - yb) <= 0.0f;
        else if (ya == yb)
            passes = std::fabs(fy - ya) < hitTolerance && (fx - xa) * (fx - xb) <= 0.0f;
        else
            passes = distanceToSlantedLine(fx, fy, xa, ya, xb, yb) < hitTolerance &&
                     (fx - xa) * (fx - xb) <= 0.0f && (fy - ya) * (fy - yb) <= 0.0f;
        if (passes)
            return true;
    }
    return false;
}

void Curve::draw(Canvas& canvas) const {
    const std::size_t count = std::min(xPoints.size(), yPoints.size());
    if (invalid || count == 0)
        return;

    std::vector<Point> points;
    points.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        points.push_back({toCoord(xPoints[i] + x1), toCoord(yPoints[i] + y1)});

    const Pen saved = canvas.pen();
    canvas.setPen(Pen{penStyle, penWidth, color, penMode});
    canvas.moveTo(points.front().x, points.front().y);
    for (std::size_t i = 1; i < count; ++i)
        canvas.lineTo(points[i].x, points[i].y);
    canvas.setPen(saved);

    if (showSymbols) {
        // Symbols are outlined with the canvas pen, not the curve's.
        const int w = toCoord(symbolWidth);
        const int h = toCoord(symbolHeight);
        const Color brush = canvas.brushColor();
        for (const Point& p : points)
            drawSymbol(canvas, symbolKind, p.x, p.y, w, h);
        canvas.setBrushColor(brush);
    }
}
