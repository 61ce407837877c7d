#pragma once

#include "core/Canvas.h"

#include <string>
#include <vector>

// What a laid-out section draws, as a list of canvas calls with their pens, brushes and fonts, in
// sheet units (0.1 mm, y up). The layout fills it once; painting replays it and changes nothing.
class SectionPicture {
public:
    // A filled rectangle without outline (brush colour `colour`).
    void fillRect(Color colour, int left, int top, int right, int bottom);
    // A polyline with the given pen.
    void polyline(const Pen& pen, std::vector<Point> points);
    // A straight segment with the given pen.
    void segment(const Pen& pen, int x1, int y1, int x2, int y2);
    // A filled dot of the given radius centred on (x, y).
    void dot(Color colour, int x, int y, int radius);
    // Text with its left and top at (x, y).
    void text(const LogFont& font, Color colour, int x, int y, std::string text);

    void clear() { items_.clear(); }
    bool empty() const { return items_.empty(); }
    std::size_t size() const { return items_.size(); }

    // Replays the calls on a canvas under the sheet mapping; gives back pen, brush and font after.
    void draw(Canvas& canvas) const;

private:
    enum class Kind { FillRect, Polyline, Segment, Dot, Text };
    struct Item {
        Kind kind;
        Pen pen;
        Color colour = colors::black;
        std::vector<Point> points;
        LogFont font;
        std::string text;
    };
    std::vector<Item> items_;
};
