#include "section/SectionPicture.h"

#include <utility>

void SectionPicture::fillRect(Color colour, int left, int top, int right, int bottom) {
    items_.push_back({Kind::FillRect, {}, colour, {{left, top}, {right, bottom}}, {}, {}});
}

void SectionPicture::polyline(const Pen& pen, std::vector<Point> points) {
    if (points.size() >= 2)
        items_.push_back({Kind::Polyline, pen, pen.color, std::move(points), {}, {}});
}

void SectionPicture::segment(const Pen& pen, int x1, int y1, int x2, int y2) {
    items_.push_back({Kind::Segment, pen, pen.color, {{x1, y1}, {x2, y2}}, {}, {}});
}

void SectionPicture::dot(Color colour, int x, int y, int radius) {
    items_.push_back({Kind::Dot,
                      {PenStyle::Solid, 1, colour, PenMode::Copy},
                      colour,
                      {{x - radius, y + radius}, {x + radius, y - radius}},
                      {},
                      {}});
}

void SectionPicture::text(const LogFont& font, Color colour, int x, int y, std::string text) {
    if (!text.empty())
        items_.push_back({Kind::Text, {}, colour, {{x, y}}, font, std::move(text)});
}

void SectionPicture::draw(Canvas& canvas) const {
    const CanvasStateGuard guard(canvas);
    for (const Item& item : items_) {
        const std::vector<Point>& p = item.points;
        switch (item.kind) {
        case Kind::FillRect:
            canvas.setBrushStyle(BrushStyle::Solid);
            canvas.setBrushColor(item.colour);
            canvas.fillRect(p[0].x, p[0].y, p[1].x, p[1].y);
            break;
        case Kind::Polyline:
            canvas.setPen(item.pen);
            canvas.polyline(p);
            break;
        case Kind::Segment:
            canvas.setPen(item.pen);
            canvas.moveTo(p[0].x, p[0].y);
            canvas.lineTo(p[1].x, p[1].y);
            break;
        case Kind::Dot:
            canvas.setPen(item.pen);
            canvas.setBrushStyle(BrushStyle::Solid);
            canvas.setBrushColor(item.colour);
            canvas.ellipse(p[0].x, p[0].y, p[1].x, p[1].y);
            break;
        case Kind::Text:
            canvas.setFont(item.font);
            canvas.setFontColor(item.colour);
            canvas.textOut(p[0].x, p[0].y, item.text);
            break;
        }
    }
}
