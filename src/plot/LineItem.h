#pragma once

#include "plot/PlotItem.h"

class Ui;

// A straight segment from (x1, y1) to (x2, y2).
class LineItem : public PlotItem {
public:
    // `ui` shows the item's messages and must outlive the item.
    explicit LineItem(Ui& ui);

    // There is no line dialog: only tells the user so.
    void edit() override;
    // Within 5 units of the segment; a slanted segment is tested against its whole line.
    bool hitTest(int x, int y) override;
    // Colour, style and mix mode of the item with the canvas's pen width.
    void draw(Canvas& canvas) override;

protected:
    Ui& ui;
};
