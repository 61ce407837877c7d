#include "dialogs/DialogFont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace dialogfont {
namespace {

constexpr double unitsPerPoint = 254.0 / 72.0; // 0.1 mm per point

double pointsOf(std::int32_t height) {
    return std::abs(static_cast<double>(height)) / unitsPerPoint;
}

} // namespace

QFont withHeight(const QFont& base, std::int32_t height) {
    QFont font = base;
    if (height != 0)
        font.setPointSizeF(pointsOf(height));
    return font;
}

QFont fromLogFont(const LogFont& record) {
    QFont font;
    if (!record.faceName.empty())
        font.setFamily(QString::fromStdString(record.faceName));
    font = withHeight(font, record.height);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(record.weight > 0 ? record.weight : 400, 1, 1000)));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    return font;
}

std::int32_t heightOf(const QFont& font, const QFont& opened, std::int32_t openedHeight) {
    if (font.pointSizeF() == opened.pointSizeF() && font.pixelSize() == opened.pixelSize())
        return openedHeight;
    double points = font.pointSizeF();
    if (points <= 0) // a pixel-sized font: screen pixels at 96 per inch
        points = font.pixelSize() * 72.0 / 96.0;
    // The dialog offers whole points: the size it showed for the record is the record's own.
    if (opened.pointSizeF() > 0 && std::abs(points - opened.pointSizeF()) <= 0.5)
        return openedHeight;
    return -static_cast<std::int32_t>(std::lround(points * unitsPerPoint));
}

} // namespace dialogfont
