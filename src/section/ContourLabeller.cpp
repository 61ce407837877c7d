#include "section/ContourLabeller.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

constexpr double steepest = 60.0;     // degrees: steeper labels are taken only where nothing flatter fits
constexpr double straightness = 0.97; // chord over length under a label: below this the line bends
constexpr int candidatesPerSide = 60; // places tried on each side of the middle

PointD along(PointD a, PointD b, double t) {
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

using Bounds = ContourLabeller::Extent;

Bounds boundsOf(const LabelBox& box) {
    Bounds b;
    for (const PointD& p : box.corners())
        b.add(p);
    return b;
}

// The part of the segment a + t (b - a), 0 <= t <= 1, inside `box` (Liang-Barsky in the box's own
// axes); none when the segment only touches it.
std::optional<std::pair<double, double>> inside(const LabelBox& box, PointD a, PointD b) {
    const double angle = box.angleDegrees * std::numbers::pi / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    const double ax = a.x - box.centre.x, ay = a.y - box.centre.y;
    const double dx = b.x - a.x, dy = b.y - a.y;
    // Along the text (u) and across it (v).
    const double u0 = ax * c + ay * s, du = dx * c + dy * s;
    const double v0 = -ax * s + ay * c, dv = -dx * s + dy * c;
    double low = 0.0, high = 1.0;
    const auto clip = [&](double p, double q) {
        // p t <= q
        if (p == 0.0)
            return q >= 0.0;
        const double t = q / p;
        if (p < 0.0)
            low = std::max(low, t);
        else
            high = std::min(high, t);
        return low < high;
    };
    if (clip(-du, u0 + box.halfWidth) && clip(du, box.halfWidth - u0) && clip(-dv, v0 + box.halfHeight) &&
        clip(dv, box.halfHeight - v0) && high - low > 1e-12)
        return std::pair{low, high};
    return std::nullopt;
}

} // namespace

std::array<PointD, 4> LabelBox::corners() const {
    const double angle = angleDegrees * std::numbers::pi / 180.0;
    const double ux = std::cos(angle) * halfWidth, uy = std::sin(angle) * halfWidth;
    const double vx = -std::sin(angle) * halfHeight, vy = std::cos(angle) * halfHeight;
    const PointD c = centre;
    return {PointD{c.x - ux - vx, c.y - uy - vy}, PointD{c.x + ux - vx, c.y + uy - vy},
            PointD{c.x + ux + vx, c.y + uy + vy}, PointD{c.x - ux + vx, c.y - uy + vy}};
}

LabelBox LabelBox::grown(double margin) const {
    return {centre, angleDegrees, halfWidth + margin, halfHeight + margin};
}

bool LabelBox::overlaps(const LabelBox& other) const {
    // Two convex boxes are apart exactly when the corners of both fall apart along one of their sides'
    // directions.
    const std::array<PointD, 4> mine = corners(), theirs = other.corners();
    for (const double degrees :
         {angleDegrees, angleDegrees + 90.0, other.angleDegrees, other.angleDegrees + 90.0}) {
        const double a = degrees * std::numbers::pi / 180.0;
        const double nx = std::cos(a), ny = std::sin(a);
        const auto span = [&](const std::array<PointD, 4>& points) {
            double low = INFINITY, high = -INFINITY;
            for (const PointD& p : points) {
                const double d = p.x * nx + p.y * ny;
                low = std::min(low, d);
                high = std::max(high, d);
            }
            return std::pair{low, high};
        };
        const auto [lowMine, highMine] = span(mine);
        const auto [lowTheirs, highTheirs] = span(theirs);
        if (highMine <= lowTheirs || highTheirs <= lowMine)
            return false;
    }
    return true;
}

ContourLabeller::ContourLabeller(double left, double bottom, double right, double top, double margin)
    : left_(left), bottom_(bottom), right_(right), top_(top), margin_(margin) {}

bool ContourLabeller::fits(const LabelBox& box) const {
    const LabelBox clear = box.grown(margin_);
    for (const PointD& p : clear.corners()) {
        if (!(p.x >= left_ && p.x <= right_ && p.y >= bottom_ && p.y <= top_))
            return false;
    }
    const Bounds bounds = boundsOf(clear);
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        if (bounds.meets(extents_[i]) && clear.overlaps(boxes_[i]))
            return false;
    }
    return true;
}

void ContourLabeller::avoid(std::vector<PointD> points, double radius) {
    obstacles_ = std::move(points);
    std::sort(obstacles_.begin(), obstacles_.end(), [](PointD a, PointD b) { return a.x < b.x; });
    obstacleRadius_ = radius;
}

bool ContourLabeller::coversObstacle(const LabelBox& box) const {
    // The text itself keeps clear of the dots; the margin is for the lines.
    const LabelBox clear = box.grown(obstacleRadius_);
    const Bounds bounds = boundsOf(clear);
    const auto from = std::lower_bound(obstacles_.begin(), obstacles_.end(), bounds.left,
                                       [](PointD p, double x) { return p.x < x; });
    const double angle = clear.angleDegrees * std::numbers::pi / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    for (auto p = from; p != obstacles_.end() && p->x <= bounds.right; ++p) {
        const double dx = p->x - clear.centre.x, dy = p->y - clear.centre.y;
        if (std::abs(dx * c + dy * s) < clear.halfWidth && std::abs(-dx * s + dy * c) < clear.halfHeight)
            return true;
    }
    return false;
}

std::optional<LabelBox> ContourLabeller::place(const std::vector<PointD>& line, double halfWidth,
                                               double halfHeight, double minLength) {
    if (line.size() < 2)
        return std::nullopt;
    std::vector<double> walked(line.size(), 0.0);
    for (std::size_t i = 1; i < line.size(); ++i)
        walked[i] = walked[i - 1] + std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
    const double total = walked.back();
    if (!(total >= minLength) || !(total > 0.0) || !std::isfinite(total))
        return std::nullopt;

    // The segment holding the point `s` along the line, and that point.
    const auto segmentAt = [&](double s) {
        const auto next = std::upper_bound(walked.begin() + 1, walked.end() - 1, s);
        return static_cast<std::size_t>(next - walked.begin());
    };
    const auto pointAt = [&](double s) {
        const std::size_t i = segmentAt(s);
        const double length = walked[i] - walked[i - 1];
        return length > 0.0 ? along(line[i - 1], line[i], std::clamp((s - walked[i - 1]) / length, 0.0, 1.0))
                            : line[i];
    };

    // The label stays on its line: its middle at least half a label from either end, where the line
    // is long enough for that.
    const double middle = total / 2.0;
    const double first = std::min(halfWidth, middle), last = std::max(total - halfWidth, middle);
    const double step = std::max(halfWidth / 2.0, total / (2.0 * candidatesPerSide));
    std::optional<LabelBox> fallback;
    int fallbackRank = 6;
    for (int k = 0; k <= 2 * candidatesPerSide; ++k) {
        const double s = middle + (k % 2 == 0 ? 1.0 : -1.0) * ((k + 1) / 2) * step;
        if (s < first || s > last)
            continue;
        // The text follows the chord of the line under it, or the segment where that is a point.
        const double from = std::max(0.0, s - halfWidth), to = std::min(total, s + halfWidth);
        PointD a = pointAt(from), b = pointAt(to);
        double chord = std::hypot(b.x - a.x, b.y - a.y);
        if (!(chord > total * 1e-9)) {
            const std::size_t i = segmentAt(s);
            a = line[i - 1];
            b = line[i];
            chord = to - from;
        }
        double angle = std::atan2(b.y - a.y, b.x - a.x) * 180.0 / std::numbers::pi;
        if (angle > 90.0)
            angle -= 180.0;
        else if (angle <= -90.0)
            angle += 180.0;
        const LabelBox box{pointAt(s), angle, halfWidth, halfHeight};
        if (!fits(box))
            continue;
        const bool straight = chord >= straightness * (to - from);
        const int rank = (coversObstacle(box) ? 3 : 0) + (!straight ? 2 : std::abs(angle) > steepest ? 1 : 0);
        if (rank < fallbackRank) {
            fallback = box;
            fallbackRank = rank;
        }
        if (rank == 0)
            break;
    }
    if (fallback) {
        boxes_.push_back(*fallback);
        extents_.push_back(boundsOf(*fallback));
    }
    return fallback;
}

std::vector<std::vector<PointD>> ContourLabeller::cut(const std::vector<PointD>& line, bool closed) const {
    Bounds lineBounds;
    for (const PointD& p : line)
        lineBounds.add(p);
    std::vector<std::pair<LabelBox, Bounds>> near;
    for (const LabelBox& box : boxes_) {
        const LabelBox clear = box.grown(margin_);
        if (const Bounds b = boundsOf(clear); b.meets(lineBounds))
            near.emplace_back(clear, b);
    }
    if (near.empty() || line.size() < 2)
        return {line};

    std::vector<std::vector<PointD>> pieces;
    std::vector<PointD> current;
    const auto finish = [&] {
        if (current.size() >= 2)
            pieces.push_back(std::move(current));
        current.clear();
    };
    bool startsOutside = false;
    std::vector<std::pair<double, double>> gaps;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const PointD a = line[i - 1], b = line[i];
        Bounds segment;
        segment.add(a);
        segment.add(b);
        gaps.clear();
        for (const auto& [box, bounds] : near) {
            if (bounds.meets(segment))
                if (const auto gap = inside(box, a, b))
                    gaps.push_back(*gap);
        }
        std::sort(gaps.begin(), gaps.end());
        if (i == 1) {
            startsOutside = gaps.empty() || gaps.front().first > 0.0;
            if (startsOutside)
                current.push_back(a);
        }
        double t = 0.0; // the segment is drawn up to here
        for (const auto& [from, to] : gaps) {
            if (from > t) {
                if (current.empty())
                    current.push_back(along(a, b, t));
                current.push_back(along(a, b, from));
            }
            finish();
            t = std::max(t, to);
        }
        if (t < 1.0) {
            if (current.empty())
                current.push_back(along(a, b, t));
            current.push_back(b);
        }
    }
    const bool endsOutside = !current.empty();
    finish();
    // A closed line cut open: its start is no end, so the last piece goes on into the first.
    if (closed && startsOutside && endsOutside && pieces.size() >= 2) {
        std::vector<PointD>& tail = pieces.back();
        tail.insert(tail.end(), pieces.front().begin() + 1, pieces.front().end());
        pieces.front() = std::move(tail);
        pieces.pop_back();
    }
    return pieces;
}
