#include "RecordingCanvas.h"

#include <cmath>

RecordingCanvas::RecordingCanvas(int dpiX, int dpiY) : dpiX_(dpiX), dpiY_(dpiY) {}

MapMode RecordingCanvas::setMapMode(MapMode mode) {
    const MapMode previous = mapMode_;
    mapMode_ = mode;
    return previous;
}

Point RecordingCanvas::deviceToLogical(Point device) const {
    if (mapMode_ != MapMode::LoMetric)
        return {device.x - viewport_.x + window_.x, device.y - viewport_.y + window_.y};
    const double x = (device.x - viewport_.x) * 254.0 / dpiX_ + window_.x;
    const double y = (viewport_.y - device.y) * 254.0 / dpiY_ + window_.y;
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

void RecordingCanvas::record(const std::string& op, std::vector<Point> points, std::string text) {
    calls.push_back(
        {op, std::move(points), std::move(text), pen_, brushColor_, brushStyle_, font_, fontColor_});
}

void RecordingCanvas::moveTo(int x, int y) {
    position_ = {x, y};
    record("moveTo", {{x, y}});
}

void RecordingCanvas::lineTo(int x, int y) {
    segments_.push_back({position_, {x, y}});
    position_ = {x, y};
    record("lineTo", {{x, y}});
}

void RecordingCanvas::polyline(const std::vector<Point>& points) {
    record("polyline", points);
}

void RecordingCanvas::polygon(const std::vector<Point>& points) {
    record("polygon", points);
}

void RecordingCanvas::ellipse(int left, int top, int right, int bottom) {
    record("ellipse", {{left, top}, {right, bottom}});
}

void RecordingCanvas::rectangle(int left, int top, int right, int bottom) {
    record("rectangle", {{left, top}, {right, bottom}});
}

void RecordingCanvas::fillRect(int left, int top, int right, int bottom) {
    record("fillRect", {{left, top}, {right, bottom}});
}

void RecordingCanvas::textOut(int x, int y, const std::string& text) {
    record("textOut", {{x, y}}, text);
}

std::vector<RecordingCanvas::Call> RecordingCanvas::callsOf(const std::string& op) const {
    std::vector<Call> result;
    for (const Call& call : calls) {
        if (call.op == op)
            result.push_back(call);
    }
    return result;
}

std::vector<std::pair<Point, Point>> RecordingCanvas::segments() const {
    return segments_;
}
