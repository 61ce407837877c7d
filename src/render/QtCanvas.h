#pragma once

#include "core/Canvas.h"

#include <QColor>
#include <QFont>
#include <QTransform>

#include <optional>

class QPainter;
class QPen;
class QPointF;

// The canvas of the screen bitmap, the printer page, SVG and PDF: draws on a QPainter whose
// coordinates are device pixels. The 0.1 mm mapping is applied here, point by point, so that
// pens, fonts and text placement are converted once, the same way on every device.
// Antialiasing is off, so a line lands on the same pixels on every raster device; the sheet shown
// on screen is drawn smooth instead (antialiased lines and text, dashes at every width, lines one
// logical pixel wide at any device pixel ratio).
// All painter state changes stay inside the canvas: the painter is saved on construction and
// restored on destruction.
class QtCanvas : public Canvas {
public:
    enum class Rendering { Pixel, Smooth };

    // The resolution is the device's, in pixels per inch.
    QtCanvas(QPainter& painter, int dpiX, int dpiY, Rendering rendering = Rendering::Pixel);
    // Takes the resolution from the painter's device.
    explicit QtCanvas(QPainter& painter);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

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
    void setFont(const LogFont& font) override;
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

    // The device point of a logical point under the current mapping, rounded to whole pixels.
    Point logicalToDevice(Point logical) const;
    // The Qt font that textOut uses for the selected font, sized in device pixels.
    QFont deviceFont() const;
    // The pen width in device pixels that lines are drawn with (at least 1).
    int devicePenWidth() const;

    // The colour a 0x00BBGGRR value or a system colour stands for.
    static QColor toQColor(Color color);
    // The installed face that text in `face` is drawn with: the face itself, or its first installed
    // substitute (Liberation Serif for Times New Roman on Linux), else `face` unchanged.
    static QString installedFace(const QString& face);

private:
    double unitsToPixelsX() const;
    double unitsToPixelsY() const;
    // Sets the painter pen and brush for a shape.
    void preparePen(bool withBrush);
    bool thinPen() const;
    // Device coordinates; the end pixel is not painted.
    void drawThinLine(Point from, Point to);
    void drawPath(const std::vector<Point>& points, bool closed, bool filled);
    // Smooth: the centre of a device pixel for a line of odd width, so that it stays sharp.
    QPointF smoothPoint(Point device) const;

    QPainter& painter_;
    QTransform baseTransform_;
    int dpiX_;
    int dpiY_;
    bool raster_ = false; // a bitmap, not a page
    bool smooth_ = false;
    MapMode mapMode_ = MapMode::Text;
    Point viewport_;
    Point window_;
    Point position_;
    Pen pen_;
    Color brushColor_ = colors::white;
    BrushStyle brushStyle_ = BrushStyle::Solid;
    LogFont font_ = defaultFont();
    Color fontColor_ = colors::black;
    mutable std::optional<QFont> deviceFont_;
};
