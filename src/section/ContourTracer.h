#pragma once

#include <vector>

// A point with real coordinates: grid coordinates (column, row) for contours, or sheet units.
struct PointD {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const PointD&, const PointD&) = default;
};

// One contour line: a polyline, closed when its last point repeats the first.
struct ContourLine {
    std::vector<PointD> points;
    bool closed = false;
};

// Contours of a field on a regular grid by marching squares.
class ContourTracer {
public:
    // `field` is row-major, field[row * columns + column], NaN for holes. A cell with a hole at any
    // corner has no contour, so lines end at holes. A node counts as above the level when
    // value >= level. The ambiguous (saddle) cell is resolved by the mean of its four corners: when
    // the mean is above the level, the two high corners are joined. Points are in grid coordinates
    // (x = column, y = row), interpolated linearly along the cell edges.
    static std::vector<ContourLine> trace(const std::vector<double>& field, int columns, int rows,
                                          double level);
};
