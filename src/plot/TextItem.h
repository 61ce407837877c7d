#pragma once

#include "plot/PlotItem.h"

#include <string>

// A single-line text anchored at (x1, y1), its left and top at the anchor.
class TextItem : public PlotItem {
public:
    void edit(Ui& ui) override;
    // The box grows right by GBK bytes × font width and down by the font height from the anchor;
    // the test stores the far corner in (x2, y2).
    bool hitTest(int x, int y) override;
    void draw(Canvas& canvas) const override;

    std::string text; // UTF-8
};
