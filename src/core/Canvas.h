#pragma once

#include "Color.h"
#include "LogFont.h"
#include "Pen.h"

#include <string>
#include <vector>

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

enum class MapMode {
    Text,     // one unit per device pixel, y down (a fresh surface)
    LoMetric, // 0.1 mm per unit, x right, y up (the sheet)
};

enum class BrushStyle { Solid, Clear };

// The drawing surface of the program. Items, the legend and the sheet draw only through this
// interface, so the screen bitmap, a printer page, PDF, SVG and the recording canvas of the
// tests are interchangeable. Coordinates are integers in the current mapping's logical units;
// callers truncate toward zero before handing them over.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Device resolution in pixels per inch.
    virtual int dpiX() const = 0;
    virtual int dpiY() const = 0;

    // Mapping: returns the previous mode. Under loMetric a logical point (x, y) lands at
    // device (viewportX + (x - windowX) * dpiX / 254, viewportY - (y - windowY) * dpiY / 254).
    virtual MapMode setMapMode(MapMode mode) = 0;
    virtual MapMode mapMode() const = 0;
    virtual void setViewportOrigin(int x, int y) = 0;
    virtual void setWindowOrigin(int x, int y) = 0;
    virtual Point deviceToLogical(Point device) const = 0;

    // Pen, brush and font state.
    virtual Pen pen() const = 0;
    virtual void setPen(const Pen& pen) = 0;
    virtual Color brushColor() const = 0;
    virtual void setBrushColor(Color color) = 0;
    virtual BrushStyle brushStyle() const = 0;
    virtual void setBrushStyle(BrushStyle style) = 0;
    // The selected font; a fresh surface has its default font (see defaultFont()).
    virtual LogFont font() const = 0;
    virtual void setFont(const LogFont& font) = 0;
    virtual Color fontColor() const = 0;
    virtual void setFontColor(Color color) = 0;

    // Drawing. Shapes are filled with the brush (unless clear) and outlined with the pen.
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void polyline(const std::vector<Point>& points) = 0;
    virtual void polygon(const std::vector<Point>& points) = 0;
    virtual void ellipse(int left, int top, int right, int bottom) = 0;
    virtual void rectangle(int left, int top, int right, int bottom) = 0;
    virtual void fillRect(int left, int top, int right, int bottom) = 0;
    // Writes UTF-8 text with the current font and font colour, its left and top at (x, y).
    virtual void textOut(int x, int y, const std::string& text) = 0;

    // Convenience setters over pen()/setPen().
    void setPenColor(Color color);
    void setPenStyle(PenStyle style);
    void setPenWidth(int width);
    void setPenMode(PenMode mode);
};

// Saves pen, brush colour, brush style and font of a canvas and gives them back on destruction.
class CanvasStateGuard {
public:
    explicit CanvasStateGuard(Canvas& canvas);
    ~CanvasStateGuard();
    CanvasStateGuard(const CanvasStateGuard&) = delete;
    CanvasStateGuard& operator=(const CanvasStateGuard&) = delete;

private:
    Canvas& canvas_;
    Pen pen_;
    Color brushColor_;
    BrushStyle brushStyle_;
    LogFont font_;
    Color fontColor_;
};

// The font a fresh surface starts with: the user-interface font at 8 points, converted to the
// surface's logical units when the mapping changes is left to the surface.
LogFont defaultFont();
