#include "section/ContourTracer.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

// The four edges of a cell: 0 bottom (row r), 1 right (column c + 1), 2 top (row r + 1), 3 left (column c).
// Segments per case (corner bits: 1 = (c, r), 2 = (c + 1, r), 4 = (c + 1, r + 1), 8 = (c, r + 1)),
// as pairs of edges; -1 ends the list. Saddles (5, 10) are filled in per cell.
constexpr std::array<std::array<int, 4>, 16> caseSegments{{
    {-1, -1, -1, -1}, // 0
    {3, 0, -1, -1},   // 1
    {0, 1, -1, -1},   // 2
    {3, 1, -1, -1},   // 3
    {1, 2, -1, -1},   // 4
    {-1, -1, -1, -1}, // 5 saddle
    {0, 2, -1, -1},   // 6
    {3, 2, -1, -1},   // 7
    {2, 3, -1, -1},   // 8
    {0, 2, -1, -1},   // 9
    {-1, -1, -1, -1}, // 10 saddle
    {1, 2, -1, -1},   // 11
    {1, 3, -1, -1},   // 12
    {0, 1, -1, -1},   // 13
    {0, 3, -1, -1},   // 14
    {-1, -1, -1, -1}, // 15
}};

class Tracer {
public:
    Tracer(const std::vector<double>& field, int columns, int rows, double level)
        : f_(field), columns_(columns), rows_(rows), level_(level),
          horizontalEdges_(static_cast<std::int64_t>(rows) * (columns - 1)),
          ends_(static_cast<std::size_t>(2 *
                                         (horizontalEdges_ + static_cast<std::int64_t>(rows - 1) * columns)),
                -1) {}

    std::vector<ContourLine> run() {
        for (int r = 0; r + 1 < rows_; ++r)
            for (int c = 0; c + 1 < columns_; ++c)
                cell(c, r);
        return link();
    }

private:
    double at(int c, int r) const { return f_[static_cast<std::size_t>(r) * columns_ + c]; }

    // Global edge ids: horizontal edges between (c, r) and (c + 1, r) first, then vertical edges
    // between (c, r) and (c, r + 1).
    std::int64_t horizontal(int c, int r) const { return static_cast<std::int64_t>(r) * (columns_ - 1) + c; }
    std::int64_t vertical(int c, int r) const {
        return horizontalEdges_ + static_cast<std::int64_t>(r) * columns_ + c;
    }
    std::int64_t edgeOf(int c, int r, int side) const {
        switch (side) {
        case 0:
            return horizontal(c, r);
        case 1:
            return vertical(c + 1, r);
        case 2:
            return horizontal(c, r + 1);
        default:
            return vertical(c, r);
        }
    }

    // The crossing of the level on an edge; the same point from both cells that share the edge.
    PointD crossing(std::int64_t edge) const {
        if (edge < horizontalEdges_) {
            const int r = static_cast<int>(edge / (columns_ - 1));
            const int c = static_cast<int>(edge % (columns_ - 1));
            const double a = at(c, r), b = at(c + 1, r);
            return {c + (level_ - a) / (b - a), static_cast<double>(r)};
        }
        const std::int64_t e = edge - horizontalEdges_;
        const int r = static_cast<int>(e / columns_);
        const int c = static_cast<int>(e % columns_);
        const double a = at(c, r), b = at(c, r + 1);
        return {static_cast<double>(c), r + (level_ - a) / (b - a)};
    }

    void cell(int c, int r) {
        const double v0 = at(c, r), v1 = at(c + 1, r), v2 = at(c + 1, r + 1), v3 = at(c, r + 1);
        if (std::isnan(v0) || std::isnan(v1) || std::isnan(v2) || std::isnan(v3))
            return;
        const int index =
            (v0 >= level_ ? 1 : 0) | (v1 >= level_ ? 2 : 0) | (v2 >= level_ ? 4 : 0) | (v3 >= level_ ? 8 : 0);
        std::array<int, 4> sides = caseSegments[static_cast<std::size_t>(index)];
        if (index == 5 || index == 10) {
            const bool centreAbove = (v0 + v1 + v2 + v3) / 4.0 >= level_;
            // Joining the high corners cuts off the low ones, and the other way round.
            const bool cutOffCorners0And2 = (index == 5) != centreAbove;
            sides = cutOffCorners0And2 ? std::array<int, 4>{3, 0, 1, 2} : std::array<int, 4>{0, 1, 2, 3};
        }
        for (std::size_t k = 0; k < 4 && sides[k] >= 0; k += 2)
            addSegment(edgeOf(c, r, sides[k]), edgeOf(c, r, sides[k + 1]));
    }

    void addSegment(std::int64_t a, std::int64_t b) {
        const int s = static_cast<int>(segments_.size());
        segments_.push_back({a, b});
        attach(a, s);
        attach(b, s);
    }

    void attach(std::int64_t edge, int segment) {
        auto slot = static_cast<std::size_t>(2 * edge);
        if (ends_[slot] >= 0)
            ++slot;
        ends_[slot] = segment;
    }

    // The other segment at an edge, or -1.
    int otherAt(std::int64_t edge, int segment) const {
        const auto slot = static_cast<std::size_t>(2 * edge);
        return ends_[slot] == segment ? ends_[slot + 1] : ends_[slot];
    }

    // Follows segments from `segment`, entering it at edge `from`, until a free end or back at the start.
    ContourLine follow(int segment, std::int64_t from) {
        ContourLine line;
        line.points.push_back(crossing(from));
        const std::int64_t start = from;
        std::int64_t edge = from;
        while (segment >= 0 && !used_[static_cast<std::size_t>(segment)]) {
            used_[static_cast<std::size_t>(segment)] = true;
            const auto& [a, b] = segments_[static_cast<std::size_t>(segment)];
            edge = a == edge ? b : a;
            line.points.push_back(crossing(edge));
            if (edge == start) {
                line.closed = true;
                break;
            }
            segment = otherAt(edge, segment);
        }
        return line;
    }

    std::vector<ContourLine> link() {
        std::vector<ContourLine> lines;
        used_.assign(segments_.size(), false);
        // Open lines first, from their free ends (at a hole or the grid's border) ...
        for (std::size_t s = 0; s < segments_.size(); ++s) {
            if (used_[s])
                continue;
            for (const std::int64_t end : {segments_[s].first, segments_[s].second}) {
                if (!used_[s] && otherAt(end, static_cast<int>(s)) < 0)
                    lines.push_back(follow(static_cast<int>(s), end));
            }
        }
        // ... then the closed loops.
        for (std::size_t s = 0; s < segments_.size(); ++s) {
            if (!used_[s])
                lines.push_back(follow(static_cast<int>(s), segments_[s].first));
        }
        return lines;
    }

    const std::vector<double>& f_;
    int columns_;
    int rows_;
    double level_;
    std::int64_t horizontalEdges_;
    std::vector<int> ends_; // two segment slots per edge
    std::vector<std::pair<std::int64_t, std::int64_t>> segments_;
    std::vector<bool> used_;
};

} // namespace

std::vector<ContourLine> ContourTracer::trace(const std::vector<double>& field, int columns, int rows,
                                              double level) {
    if (columns < 2 || rows < 2 || std::isnan(level) ||
        field.size() < static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows))
        return {};
    return Tracer(field, columns, rows, level).run();
}
