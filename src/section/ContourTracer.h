#pragma once

#include <optional>
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

// Where a contour label goes: a point on the line and the direction of the line there, in degrees
// counter-clockwise from the x axis, turned into -90..90 so that the text reads left to right.
struct LabelPlacement {
    PointD at;
    double angleDegrees = 0.0;
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

    // A label position on a polyline (in sheet units): the middle of the line by length, with the
    // direction of the segment there. None when the line is shorter than `minLength`.
    static std::optional<LabelPlacement> placeLabel(const std::vector<PointD>& line, double minLength);
};
