#pragma once

#include "section/ContourTracer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

// The box of a contour label on the sheet: centred on its line and turned with it.
struct LabelBox {
    PointD centre;
    double angleDegrees = 0.0; // counter-clockwise from the x axis, -90..90 so the text reads left to right
    double halfWidth = 0.0;    // along the text
    double halfHeight = 0.0;   // across the text

    // The corners, counter-clockwise from the text's bottom left.
    std::array<PointD, 4> corners() const;
    // The same box grown by `margin` on every side.
    LabelBox grown(double margin) const;
    bool overlaps(const LabelBox& other) const;
};

// Labels the contour lines of one sheet: each label sits on its own line, inside the plot frame and
// clear of the labels placed before it, turned along the line so that it reads left to right; then
// every line is cut where it would run through a label, so the labels read cleanly. Sheet units.
class ContourLabeller {
public:
    // The frame the labels must stay inside, and the clear margin around each label's text.
    ContourLabeller(double left, double bottom, double right, double top, double margin);

    // Dots of the given radius that labels keep clear of where they can (the measured points).
    void avoid(std::vector<PointD> points, double radius);

    // Places a label of the given half sizes on `line` and remembers it. The middle of the line by
    // length is tried first, then points ever farther from it. Preferred, in this order: a place
    // clear of the dots to avoid; where the line runs straight under the label; where the text is no
    // steeper than 60 degrees. None when the line is shorter than `minLength` or no place fits.
    std::optional<LabelBox> place(const std::vector<PointD>& line, double halfWidth, double halfHeight,
                                  double minLength);

    // The pieces of `line` that lie outside every placed label's box grown by the margin, in order.
    // A closed line cut open comes back as one piece from its first gap round to its last.
    std::vector<std::vector<PointD>> cut(const std::vector<PointD>& line, bool closed) const;

    const std::vector<LabelBox>& boxes() const { return boxes_; }

    // An axis-aligned rectangle around some points, for quick rejection.
    struct Extent {
        double left = INFINITY;
        double bottom = INFINITY;
        double right = -INFINITY;
        double top = -INFINITY;

        void add(PointD p) {
            left = std::min(left, p.x);
            right = std::max(right, p.x);
            bottom = std::min(bottom, p.y);
            top = std::max(top, p.y);
        }
        bool meets(const Extent& o) const {
            return left <= o.right && o.left <= right && bottom <= o.top && o.bottom <= top;
        }
    };

private:
    bool fits(const LabelBox& box) const;
    bool coversObstacle(const LabelBox& box) const;

    double left_;
    double bottom_;
    double right_;
    double top_;
    double margin_;
    std::vector<LabelBox> boxes_;
    std::vector<Extent> extents_;   // of boxes_
    std::vector<PointD> obstacles_; // by x
    double obstacleRadius_ = 0.0;
};
