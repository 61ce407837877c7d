#pragma once

#include "core/Color.h"
#include "core/LogFont.h"
#include "core/Pen.h"

#include <cstdint>

class Canvas;
class Ui;

// The font every item starts with: Arial, 1.8 mm cell height, 1.1 mm wide, thin.
LogFont defaultItemFont();

// Base of everything drawn on the sheet except the legend. Positions are sheet logical units
// (0.1 mm, y up); every coordinate handed to the canvas is truncated toward zero.
class PlotItem {
public:
    PlotItem();
    virtual ~PlotItem() = default;
    PlotItem(const PlotItem&) = delete;
    PlotItem& operator=(const PlotItem&) = delete;

    // Lets the user edit the item's properties; `ui` shows what the item has to say.
    virtual void edit(Ui& ui);
    // True when the logical point (x, y) hits the item.
    virtual bool hitTest(int x, int y);
    // Draws the item; the item itself stays as it was.
    virtual void draw(Canvas& canvas) const = 0;
    virtual void moveBy(int dx, int dy);
    virtual void setStart(int x, int y);
    virtual void setEnd(int x, int y);

    float x1 = 0.0f;
    float y1 = 0.0f;
    float x2 = 0.0f;
    float y2 = 0.0f;
    LogFont font;
    PenStyle penStyle = PenStyle::Solid;
    PenMode penMode = PenMode::Copy;
    std::int32_t penWidth = 1; // logical units
    Color color = 0;           // 0x00BBGGRR
};
