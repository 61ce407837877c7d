#pragma once

#include "plot/PlotItem.h"

// A straight segment from (x1, y1) to (x2, y2).
class LineItem : public PlotItem {
public:
    // There is no line dialog: only tells the user so.
    void edit(Ui& ui) override;
    // Within 5 units of the segment; a slanted segment is tested against its whole line.
    bool hitTest(int x, int y) override;
    // Colour, style and mix mode of the item with the canvas's pen width.
    void draw(Canvas& canvas) const override;
};
