#include "Canvas.h"

void Canvas::setPenColor(Color color) {
    Pen p = pen();
    p.color = color;
    setPen(p);
}

void Canvas::setPenStyle(PenStyle style) {
    Pen p = pen();
    p.style = style;
    setPen(p);
}

void Canvas::setPenWidth(int width) {
    Pen p = pen();
    p.width = width;
    setPen(p);
}

void Canvas::setPenMode(PenMode mode) {
    Pen p = pen();
    p.mode = mode;
    setPen(p);
}

CanvasStateGuard::CanvasStateGuard(Canvas& canvas)
    : canvas_(canvas), pen_(canvas.pen()), brushColor_(canvas.brushColor()), brushStyle_(canvas.brushStyle()),
      font_(canvas.font()), fontColor_(canvas.fontColor()) {}

CanvasStateGuard::~CanvasStateGuard() {
    canvas_.setPen(pen_);
    canvas_.setBrushColor(brushColor_);
    canvas_.setBrushStyle(brushStyle_);
    canvas_.setFont(font_);
    canvas_.setFontColor(fontColor_);
}

LogFont defaultFont() {
    LogFont f;
    f.height = -11; // 8 pt at 96 dpi, in device pixels of a fresh surface
    f.weight = 400;
    f.setFaceName("MS Sans Serif");
    return f;
}
