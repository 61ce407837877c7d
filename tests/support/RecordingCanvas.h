#pragma once

#include "core/Canvas.h"

#include <string>
#include <vector>

// A canvas that draws nothing and logs every drawing call with its integer logical coordinates,
// and the pen, brush and font in force at that moment. Used by the tests and the benchmarks.
class RecordingCanvas : public Canvas {
public:
    struct Call {
        std::string op;            // "moveTo", "lineTo", "polyline", "polygon", "ellipse", "rectangle",
                                   // "fillRect", "textOut"
        std::vector<Point> points; // the coordinates as passed (two corners for the box operations)
        std::string text;          // textOut only
        Pen pen;
        Color brushColor = colors::white;
        BrushStyle brushStyle = BrushStyle::Solid;
        LogFont font;
        Color fontColor = colors::black;
    };

    explicit RecordingCanvas(int dpiX = 96, int dpiY = 96);

    int dpiX() const override { return dpiX_; }
    int dpiY() const override { return dpiY_; }
    MapMode setMapMode(MapMode mode) override;
    MapMode mapMode() const override { return mapMode_; }
    void setViewportOrigin(int x, int y) override { viewport_ = {x, y}; }
    void setWindowOrigin(int x, int y) override { window_ = {x, y}; }
    Point deviceToLogical(Point device) const override;

    Pen pen() const override { return pen_; }
    void setPen(const Pen& pen) override { pen_ = pen; }
    Color brushColor() const override { return brushColor_; }
    void setBrushColor(Color color) override { brushColor_ = color; }
    BrushStyle brushStyle() const override { return brushStyle_; }
    void setBrushStyle(BrushStyle style) override { brushStyle_ = style; }
    LogFont font() const override { return font_; }
    void setFont(const LogFont& font) override { font_ = font; }
    Color fontColor() const override { return fontColor_; }
    void setFontColor(Color color) override { fontColor_ = color; }

    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void polyline(const std::vector<Point>& points) override;
    void polygon(const std::vector<Point>& points) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void textOut(int x, int y, const std::string& text) override;

    Point viewportOrigin() const { return viewport_; }
    Point windowOrigin() const { return window_; }

    // The calls whose op equals `op`, in order.
    std::vector<Call> callsOf(const std::string& op) const;
    // Every line drawn as a segment: a lineTo with the current position before it, as {from, to}.
    std::vector<std::pair<Point, Point>> segments() const;

    std::vector<Call> calls;

private:
    void record(const std::string& op, std::vector<Point> points, std::string text = {});

    int dpiX_;
    int dpiY_;
    MapMode mapMode_ = MapMode::Text;
    Point viewport_;
    Point window_;
    Point position_;
    Pen pen_;
    Color brushColor_ = colors::white;
    BrushStyle brushStyle_ = BrushStyle::Solid;
    LogFont font_ = defaultFont();
    Color fontColor_ = colors::black;
    std::vector<std::pair<Point, Point>> segments_;
};
