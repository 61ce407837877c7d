#include "plot/Axis.h"

#include "core/Canvas.h"
#include "core/Conversions.h"
#include "core/Gbk.h"
#include "plot/Geometry.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {
// Guards against absurd tick counts; the axis dialog offers at most 50 intervals and 10 minor ticks.
constexpr int maxMajorTicks = 10000;
constexpr int maxMinorTicks = 100;

// log10 of 2..9 to five decimals: the minor ticks inside a decade.
constexpr std::array<float, 8> decadeMinorOffsets = {0.30103f, 0.47712f, 0.60206f, 0.69897f,
                                                     0.77815f, 0.8451f,  0.90309f, 0.95424f};

int floorHalf(int value) {
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

int sign(int value) {
    return value < 0 ? -1 : 1;
}

void segment(Canvas& canvas, double xa, double ya, double xb, double yb) {
    canvas.moveTo(toCoord(xa), toCoord(ya));
    canvas.lineTo(toCoord(xb), toCoord(yb));
}

void text(Canvas& canvas, double x, double y, const std::string& s) {
    canvas.textOut(toCoord(x), toCoord(y), s);
}

std::string decadeLabel(int decade, float value) {
    if (decade >= 0) {
        const double whole = std::trunc(static_cast<double>(value));
        if (whole <= static_cast<double>(INT_MAX))
            return formatPrintf("%d", static_cast<int>(whole));
        return formatPrintf("%.0f", whole); // beyond the 32-bit range of "%d"
    }
    if (decade == -1)
        return formatPrintf("%5.1f", static_cast<double>(value));
    if (decade == -2)
        return formatPrintf("%5.2f", static_cast<double>(value));
    return formatPrintf("%5.3f", static_cast<double>(value));
}
} // namespace

Axis::Axis() {
    x1 = 0.0f;
    y1 = 0.0f;
    x2 = 100.0f;
    y2 = 100.0f;
    titleFont = defaultItemFont();
    titleFont.height = 16;
    titleFont.width = 11;
    labelFont = defaultItemFont();
    labelFont.height = 12;
    labelFont.width = 7;
    limitMin = rangeMin;
    limitMax = rangeMax;
}

void Axis::edit(Ui& /*ui*/) {
    if (editor)
        editor(*this);
}

bool Axis::hitTest(int x, int y) {
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    return (fx - (x1 - 5.0f)) * (fx - (x2 + 5.0f)) <= 0.0f && (fy - (y1 - 5.0f)) * (fy - (y2 + 5.0f)) <= 0.0f;
}

void Axis::draw(Canvas& canvas) const {
    if (logarithmic)
        drawLogarithmic(canvas);
    else
        drawLinear(canvas);
}

bool Axis::horizontal() const {
    return (y2 - y1) * (y2 - y1) < 5.0f;
}

std::optional<std::string> Axis::rangeProblem() const {
    if (!logarithmic)
        return std::nullopt;
    if (rangeMin <= 0.0f || rangeMax <= 0.0f || rangeMin == rangeMax || !std::isfinite(rangeMin) ||
        !std::isfinite(rangeMax))
        return "对数轴范围错误。\n将采用缺省值作为轴范围。";
    return std::nullopt;
}

Axis::TickCounts Axis::tickCounts() const {
    if (!logarithmic || rangeProblem())
        return {majorIntervals, minorTicks};
    const int e = startDecade(rangeMin);
    const int g = static_cast<int>(std::trunc(std::log10(static_cast<double>(rangeMax))));
    return {g - e + 1, 8};
}

float Axis::niceStep(float range) {
    double t = range;
    double multiplier = 1.0;
    if (range > 1.0f) {
        if (range > 1.0e8f) {
            t = static_cast<double>(range) / 1.0e9;
            multiplier = 1.0e9;
        } else {
            int p = 1;
            while (p < 8 && static_cast<double>(range) > std::pow(10.0, p))
                ++p;
            multiplier = std::pow(10.0, p);
            t = static_cast<double>(range) / multiplier;
        }
    }
    const float ft = static_cast<float>(t);
    float base = 0.25f;
    if (ft <= 0.1f)
        base = 0.05f;
    else if (ft < 0.5f)
        base = 0.1f;
    else if (ft <= 0.8f)
        base = 0.2f;
    return base * static_cast<float>(multiplier);
}

int Axis::startDecade(float rangeMin) {
    if (rangeMin > 9.9f)
        return static_cast<int>(std::trunc(std::log10(static_cast<double>(rangeMin))));
    // Below 9.9 a value within 1 % under a power of ten counts as that power. The rule goes on
    // below 1e-9 down to the smallest float.
    for (int k = 0; k > -50; --k) {
        if (rangeMin > static_cast<float>(9.9 * std::pow(10.0, k - 1)))
            return k;
    }
    return -50;
}

Axis::TickLengths Axis::tickLengths(bool negativeMajor) const {
    const int M = negativeMajor ? -majorTickLength : majorTickLength;
    const int m = negativeMajor ? -minorTickLength : minorTickLength;
    return {M, m, sign(M), sign(m)};
}

Axis::LinearScale Axis::linearScale(float start, float end) const {
    LinearScale sc;
    sc.start = start;
    const float R = rangeMax - rangeMin;
    sc.scale = (end - start) / R;
    sc.endPos = start + R * sc.scale;
    sc.step = niceStep(R);
    if (std::isfinite(R) && R != 0.0f && std::trunc(R / sc.step) < 2.0f)
        sc.step = sc.step * 0.25f;

    // A range or tick setting that cannot place ticks leaves the axis line (and title) alone.
    const bool usable = showTicks && std::isfinite(R) && R != 0.0f && majorIntervals > 0 &&
                        std::isfinite(sc.scale) && std::isfinite(sc.step) && sc.step > 0.0f;
    if (usable) {
        const float k = std::trunc(limitMin / sc.step);
        sc.first = k * sc.step;
        if (sc.first - limitMin < 0.0f)
            sc.first = (k + 1.0f) * sc.step;
    }
    sc.usable = usable && std::isfinite(sc.first) && std::isfinite(sc.endPos);
    return sc;
}

void Axis::drawLinear(Canvas& canvas) const {
    const float start = horizontal() ? x1 : y1;
    const float end = horizontal() ? x2 : y2;

    LineItem::draw(canvas);

    const TickLengths ticks =
        tickLengths(!(tickDirection == TickDirection::Up || tickDirection == TickDirection::Right));
    const LinearScale sc = linearScale(start, end);
    if (sc.usable)
        drawLinearTicks(canvas, sc, ticks);
    if (showTitle)
        drawLinearTitle(canvas, ticks.majorSign);
}

void Axis::drawLinearTicks(Canvas& canvas, const LinearScale& sc, const TickLengths& ticks) const {
    const float intervalSpan = (limitMax - limitMin) / static_cast<float>(majorIntervals);
    const float minorSpacing = intervalSpan / (static_cast<float>(minorTicks) + 1.0f) * sc.scale;
    // Limits that give no usable spacing leave the minor ticks out.
    const int minorCount = std::isfinite(minorSpacing) ? std::min(minorTicks, maxMinorTicks) : 0;
    const int s = ticks.majorSign;

    const LogFont spare = canvas.font();
    canvas.setFont(labelFont);
    float pos = sc.start + (sc.first - rangeMin) * sc.scale;
    // A tick of the given length at `at` along the axis, then its grid line across the figure.
    const auto tickAt = [&](float at, float length) {
        if (horizontal())
            segment(canvas, at, y1, at, y1 + length);
        else
            segment(canvas, x1, at, x1 + length, at);
        if (showGrid) {
            if (horizontal())
                segment(canvas, at, y1, at, y1 - s * gridLength);
            else
                segment(canvas, x1, at, x1 - s * gridLength, at);
        }
    };
    for (int i = 0; i < maxMajorTicks; ++i) {
        tickAt(pos, static_cast<float>(ticks.major));
        if (showLabels)
            drawLinearLabel(canvas, pos, static_cast<float>(i) * sc.step + sc.first, ticks);
        if (i == majorIntervals)
            break;
        for (int j = 1; j <= minorCount; ++j) {
            tickAt(pos + static_cast<float>(j) * minorSpacing, static_cast<float>(ticks.minor));
        }
        const float next = sc.start + (static_cast<float>(i + 1) * sc.step + sc.first - rangeMin) * sc.scale;
        // Go on while the next major tick lies on the axis, within a unit. On a zero-length
        // axis every tick falls on the same spot: one is enough.
        if (!((next - sc.endPos) * (next - sc.start) <= 1.0f) || next == pos)
            break;
        pos = next;
    }
    canvas.setFont(spare);
}

void Axis::drawLinearLabel(Canvas& canvas, float pos, float value, const TickLengths& ticks) const {
    const int s = ticks.majorSign;
    const int sm = ticks.minorSign;
    const double w = labelFont.width;
    const double h = labelFont.height;
    const std::string label = formatPattern(value, labelFormat);
    const int n = gbkByteLength(label);
    if (horizontal()) {
        const double x = pos - floorHalf(n * std::abs(labelFont.width));
        if (tickDirection == TickDirection::Down)
            text(canvas, x, y1 + s * labelDistance, label);
        else if (tickDirection == TickDirection::Up)
            text(canvas, x, y1 + s * (1.2 * labelDistance + std::abs(h)), label);
        // directions 2 and 3 put no labels on a horizontal axis
    } else if (tickDirection == TickDirection::Left) {
        text(canvas, x1 + ticks.major + sm * w * (n + 0.5), pos - (sm * labelFont.height) / 2, label);
    } else {
        text(canvas, x1 + sm * (labelDistance + 0.5 * w), pos + labelFont.height / 2, label);
    }
}

void Axis::drawLinearTitle(Canvas& canvas, int s) const {
    const LogFont spare = canvas.font();
    canvas.setFont(titleFont);
    const int n = gbkByteLength(title);
    const double W = titleFont.width;
    if (horizontal())
        text(canvas, (x1 + x2) / 2.0f - floorHalf(n * titleFont.width), y1 + 2.0 * s * titleDistance, title);
    else
        text(canvas, x1 + s * titleDistance, (y1 + y2) / 2.0f + s * n * std::abs(W) / 2.0, title);
    canvas.setFont(spare);
}

void Axis::drawLogarithmic(Canvas& canvas) const {
    if (rangeProblem())
        return;
    const float start = horizontal() ? x1 : y1;
    const float end = horizontal() ? x2 : y2;

    const int e = startDecade(rangeMin);
    const int decades = tickCounts().majorIntervals;
    // One decade tick when start and end decades coincide: nothing to divide.
    const float decadeLength = decades == 1 ? 0.0f : (end - start) / static_cast<float>(decades - 1);
    const TickLengths ticks =
        tickLengths(tickDirection == TickDirection::Up || tickDirection == TickDirection::Left);

    LineItem::draw(canvas);
    const LogFont spare = canvas.font();
    canvas.setFont(labelFont);
    for (int u = 0; u < decades; ++u) {
        const float pos = start + static_cast<float>(u) * decadeLength;
        drawDecadeTick(canvas, pos, ticks);
        if (showLabels)
            drawDecadeLabel(canvas, pos, e + u, ticks);
        if (u == decades - 1)
            break;
        if (showTicks)
            drawDecadeMinorTicks(canvas, pos, decadeLength, ticks);
    }
    canvas.setFont(spare);

    if (showTitle)
        drawLogarithmicTitle(canvas, ticks);
}

void Axis::drawDecadeTick(Canvas& canvas, float pos, const TickLengths& ticks) const {
    const int M = ticks.major;
    const int s = ticks.majorSign;
    if (showTicks) {
        if (horizontal())
            segment(canvas, pos, y1, pos, y1 + M);
        else
            segment(canvas, x1, pos, x1 + M, pos);
    }
    if (showGrid) {
        if (horizontal())
            segment(canvas, pos, y1, pos, y1 + s * gridLength);
        else
            segment(canvas, x1, pos, x1 - s * gridLength, pos);
    }
}

void Axis::drawDecadeLabel(Canvas& canvas, float pos, int decade, const TickLengths& ticks) const {
    const int M = ticks.major;
    const int s = ticks.majorSign;
    const double w = labelFont.width;
    const double h = labelFont.height;
    const float value = static_cast<float>(std::pow(10.0, decade));
    const std::string label = decadeLabel(decade, value);
    const int n = gbkByteLength(label);
    if (horizontal()) {
        const double x = pos - floorHalf(n * labelFont.width);
        if (tickDirection == TickDirection::Up)
            text(canvas, x, y1 - 2.0 * M - s * h, label);
        else
            text(canvas, x, y1 - 2.0 * M, label);
    } else if (tickDirection == TickDirection::Left) {
        text(canvas, x1 + 1.5 * M + s * (n + 0.5) * w, pos - (s * h) / 2.0, label);
    } else {
        text(canvas, x1 + 1.5 * M, pos + (s * h) / 2.0, label);
    }
}

void Axis::drawDecadeMinorTicks(Canvas& canvas, float pos, float decadeLength,
                                const TickLengths& ticks) const {
    const int m = ticks.minor;
    const int s = ticks.majorSign;
    for (const float L : decadeMinorOffsets) {
        const float mpos = pos + L * decadeLength;
        if (horizontal())
            segment(canvas, mpos, y1, mpos, y1 + m);
        else
            segment(canvas, x1, mpos, x1 + m, mpos);
        if (showGrid) {
            const PenStyle style = canvas.pen().style;
            canvas.setPenStyle(PenStyle::Dot);
            if (horizontal())
                segment(canvas, mpos, y1, mpos, y1 + s * gridLength);
            else
                segment(canvas, x1, mpos, x1 - s * gridLength, mpos);
            canvas.setPenStyle(style);
        }
    }
}

void Axis::drawLogarithmicTitle(Canvas& canvas, const TickLengths& ticks) const {
    const int M = ticks.major;
    const int s = ticks.majorSign;
    const LogFont spare = canvas.font();
    canvas.setFont(titleFont);
    const int n = gbkByteLength(title);
    const double W = titleFont.width;
    const double H = titleFont.height;
    const double mid = horizontal() ? (x1 + x2) / 2.0f : (y1 + y2) / 2.0f;
    if (horizontal()) {
        const double x = mid - floorHalf(n * titleFont.width);
        if (tickDirection == TickDirection::Up)
            text(canvas, x, y1 + 2.0 * M + 2.2 * s * H, title);
        else
            text(canvas, x, y1 + 2.0 * M + s * H, title);
    } else if (tickDirection == TickDirection::Left) {
        text(canvas, x1 - titleDistance, mid - s * n * W / 2.0, title);
    } else {
        text(canvas, x1 + s * H + titleDistance, mid - s * n * W / 2.0, title);
    }
    canvas.setFont(spare);
}
