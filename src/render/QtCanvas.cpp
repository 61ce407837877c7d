#include "QtCanvas.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QPolygon>

namespace {

constexpr double unitsPerInch = 254.0; // 0.1 mm units

int roundToInt(double v) {
    return static_cast<int>(std::lround(v));
}

// Dash patterns of the thin pens, in pixels: on, off, ...
QList<qreal> dashPattern(PenStyle style) {
    switch (style) {
    case PenStyle::Dash:
        return {18, 6};
    case PenStyle::Dot:
        return {3, 3};
    case PenStyle::DashDot:
        return {9, 6, 3, 6};
    case PenStyle::DashDotDot:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

// Where a face the sheet names is not installed (Linux has no Arial or Times New Roman), Qt draws its
// metric twin instead, registered once as a substitute; Windows draws the named face itself.
void registerFontSubstitutes() {
    const QString cjk = QStringLiteral("WenQuanYi Micro Hei");
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), cjk};
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"), cjk};
    const QStringList mono{QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"), cjk};
    for (const char* face : {"Arial", "MS Sans Serif", "Helvetica", "Tahoma"})
        QFont::insertSubstitutions(QString::fromLatin1(face), sans);
    for (const char* face : {"Times New Roman", "Times"})
        QFont::insertSubstitutions(QString::fromLatin1(face), serif);
    for (const char* face : {"Courier New", "Courier"})
        QFont::insertSubstitutions(QString::fromLatin1(face), mono);
    for (const char* face : {"SimSun", "SimHei", "宋体", "黑体"})
        QFont::insertSubstitutions(QString::fromUtf8(face), {cjk, QStringLiteral("Liberation Sans")});
}

// The face the font record names, then its substitutes (Qt tries them after every family given
// here, so no other family is given); Chinese text falls back to the CJK face among them.
void registerFontSubstitutesOnce() {
    static const bool substitutesRegistered = (registerFontSubstitutes(), true);
    (void)substitutesRegistered;
}

QStringList familiesFor(const std::string& faceName) {
    registerFontSubstitutesOnce();
    const QString face = QString::fromStdString(faceName).trimmed();
    if (face.isEmpty())
        return {QStringLiteral("MS Sans Serif")};
    if (QFont::substitutes(face).isEmpty())
        QFont::insertSubstitutions(
            face, {QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Micro Hei")});
    return {face};
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter, int dpiX, int dpiY, Rendering rendering)
    : painter_(painter), dpiX_(dpiX > 0 ? dpiX : 96), dpiY_(dpiY > 0 ? dpiY : 96),
      smooth_(rendering == Rendering::Smooth) {
    painter_.save();
    baseTransform_ = painter_.worldTransform();
    painter_.setRenderHint(QPainter::Antialiasing, smooth_);
    painter_.setRenderHint(QPainter::TextAntialiasing, smooth_);
    painter_.setBackgroundMode(Qt::TransparentMode);
    // every pen copies its colour onto the surface
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // bitmaps, as against pages (PDF, SVG, the printer)
    raster_ = painter_.paintEngine() != nullptr && painter_.paintEngine()->type() == QPaintEngine::Raster;
}

QtCanvas::QtCanvas(QPainter& painter)
    : QtCanvas(painter, painter.device() != nullptr ? painter.device()->logicalDpiX() : 96,
               painter.device() != nullptr ? painter.device()->logicalDpiY() : 96) {}

QtCanvas::~QtCanvas() {
    painter_.restore();
}

MapMode QtCanvas::setMapMode(MapMode mode) {
    const MapMode previous = mapMode_;
    mapMode_ = mode;
    deviceFont_.reset();
    return previous;
}

double QtCanvas::unitsToPixelsX() const {
    return mapMode_ == MapMode::LoMetric ? dpiX_ / unitsPerInch : 1.0;
}

double QtCanvas::unitsToPixelsY() const {
    return mapMode_ == MapMode::LoMetric ? dpiY_ / unitsPerInch : 1.0;
}

Point QtCanvas::logicalToDevice(Point logical) const {
    if (mapMode_ != MapMode::LoMetric)
        return {viewport_.x + logical.x - window_.x, viewport_.y + logical.y - window_.y};
    return {viewport_.x + roundToInt((static_cast<double>(logical.x) - window_.x) * dpiX_ / unitsPerInch),
            viewport_.y - roundToInt((static_cast<double>(logical.y) - window_.y) * dpiY_ / unitsPerInch)};
}

Point QtCanvas::deviceToLogical(Point device) const {
    if (mapMode_ != MapMode::LoMetric)
        return {device.x - viewport_.x + window_.x, device.y - viewport_.y + window_.y};
    const double x = (static_cast<double>(device.x) - viewport_.x) * unitsPerInch / dpiX_ + window_.x;
    const double y = (static_cast<double>(viewport_.y) - device.y) * unitsPerInch / dpiY_ + window_.y;
    return {roundToInt(x), roundToInt(y)};
}

void QtCanvas::setFont(const LogFont& font) {
    font_ = font;
    deviceFont_.reset();
}

QColor QtCanvas::toQColor(Color color) {
    if (colors::isSystem(color)) {
        switch (color & 0xFF) {
        case 5:  // window
        case 14: // highlighted text
            return QColor(255, 255, 255);
        case 15: // button face
            return QColor(240, 240, 240);
        case 16: // button shadow
            return QColor(160, 160, 160);
        case 13: // highlight
            return QColor(0, 120, 215);
        case 17: // grey text
            return QColor(109, 109, 109);
        default: // window text, button text and the rest
            return QColor(0, 0, 0);
        }
    }
    return QColor(colors::red8(color), colors::green8(color), colors::blue8(color));
}

QString QtCanvas::installedFace(const QString& face) {
    registerFontSubstitutesOnce();
    // The families as listed (hasFamily would also accept a face the font system only aliases).
    const QStringList installed = QFontDatabase::families();
    QStringList candidates = QFont::substitutes(face);
    candidates.prepend(face);
    for (const QString& candidate : candidates)
        for (const QString& family : installed)
            if (family.compare(candidate, Qt::CaseInsensitive) == 0)
                return family;
    return face;
}

int QtCanvas::devicePenWidth() const {
    return std::max(1, roundToInt(pen_.width * unitsToPixelsX()));
}

QFont QtCanvas::deviceFont() const {
    if (deviceFont_)
        return *deviceFont_;
    QFont qfont;
    qfont.setFamilies(familiesFor(font_.faceName));
    qfont.setStyleStrategy(smooth_ ? QFont::PreferAntialias : QFont::NoAntialias);
    qfont.setWeight(static_cast<QFont::Weight>(std::clamp(font_.weight > 0 ? font_.weight : 400, 1, 1000)));
    qfont.setItalic(font_.italic != 0);
    qfont.setUnderline(font_.underline != 0);
    qfont.setStrikeOut(font_.strikeOut != 0);

    QPaintDevice* device = painter_.device();
    // The untouched surface font is 8 points on every device and under every mapping.
    double charHeight =
        font_ == defaultFont() ? 8.0 * dpiY_ / 72.0 : std::abs(font_.height) * unitsToPixelsY();
    if (font_.height == 0 && !(font_ == defaultFont()))
        charHeight = 12.0 * dpiY_ / 72.0;
    if (font_.height > 0 && !(font_ == defaultFont())) {
        // a positive height is the cell (ascent + descent); the pixel size is the character height
        QFont probe = qfont;
        probe.setPixelSize(100);
        const QFontMetricsF metrics(probe, device);
        if (metrics.height() > 0)
            charHeight = charHeight * 100.0 / metrics.height();
    }
    qfont.setPixelSize(std::max(1, roundToInt(charHeight)));

    if (font_.width > 0) {
        const double wanted = font_.width * unitsToPixelsX();
        const double natural = QFontMetricsF(qfont, device).averageCharWidth();
        if (natural > 0)
            qfont.setStretch(std::clamp(roundToInt(100.0 * wanted / natural), 1, 4000));
    }
    deviceFont_ = qfont;
    return qfont;
}

void QtCanvas::preparePen(bool withBrush) {
    const QColor color = toQColor(pen_.color);
    const QColor brush = toQColor(brushColor_);
    const int width = devicePenWidth();
    QPen qpen(color);
    if (width <= 1 && smooth_) {
        qpen.setWidth(1); // one logical pixel at any device pixel ratio
        qpen.setCapStyle(Qt::SquareCap);
        qpen.setJoinStyle(Qt::MiterJoin);
        const QList<qreal> dashes = dashPattern(pen_.style);
        if (!dashes.isEmpty()) {
            qpen.setDashPattern(dashes);
            qpen.setCapStyle(Qt::FlatCap);
        }
    } else if (width <= 1) {
        qpen.setWidth(0); // cosmetic: one device pixel on every device
        // both ends painted; drawThinLine leaves out the end point itself
        qpen.setCapStyle(Qt::SquareCap);
        qpen.setJoinStyle(Qt::MiterJoin);
        const QList<qreal> dashes = dashPattern(pen_.style);
        if (!dashes.isEmpty())
            qpen.setDashPattern(dashes);
    } else {
        qpen.setWidth(width);
        // On bitmaps wide pens are solid whatever their style. Pages (PDF, SVG, the printer)
        // keep the line style at every width, so a dotted grid stays dotted on paper: the
        // pattern keeps its on-screen length, expressed in units of the pen's width.
        const QList<qreal> dashes = raster_ && !smooth_ ? QList<qreal>{} : dashPattern(pen_.style);
        if (!dashes.isEmpty()) {
            QList<qreal> scaled;
            for (qreal length : dashes)
                scaled << length * dpiX_ / 96.0 / width;
            qpen.setDashPattern(scaled);
            qpen.setCapStyle(Qt::FlatCap);
        } else {
            qpen.setCapStyle(Qt::RoundCap);
        }
        qpen.setJoinStyle(Qt::RoundJoin);
    }
    painter_.setPen(qpen);
    if (withBrush && brushStyle_ == BrushStyle::Solid)
        painter_.setBrush(brush);
    else
        painter_.setBrush(Qt::NoBrush);
}

bool QtCanvas::thinPen() const {
    return devicePenWidth() <= 1;
}

void QtCanvas::drawThinLine(Point from, Point to) {
    // A thin line paints its start pixel and leaves out its end pixel, whatever its direction,
    // so that the segments of a path meet without painting a pixel twice.
    const int dx = to.x - from.x, dy = to.y - from.y;
    if (dx == 0 && dy == 0)
        return;
    Point last;
    if (std::abs(dx) >= std::abs(dy)) {
        last.x = to.x - (dx > 0 ? 1 : -1);
        last.y = from.y + roundToInt(static_cast<double>(last.x - from.x) * dy / dx);
    } else {
        last.y = to.y - (dy > 0 ? 1 : -1);
        last.x = from.x + roundToInt(static_cast<double>(last.y - from.y) * dx / dy);
    }
    if (last == from)
        painter_.drawPoint(from.x, from.y);
    else
        painter_.drawLine(from.x, from.y, last.x, last.y);
}

QPointF QtCanvas::smoothPoint(Point device) const {
    const double centre = devicePenWidth() % 2 == 1 ? 0.5 : 0.0;
    return {device.x + centre, device.y + centre};
}

void QtCanvas::drawPath(const std::vector<Point>& points, bool closed, bool filled) {
    if (points.size() < 2)
        return;
    if (smooth_) {
        preparePen(filled);
        QPolygonF shape;
        for (const Point& p : points)
            shape << smoothPoint(logicalToDevice(p));
        if (closed)
            painter_.drawPolygon(shape, Qt::OddEvenFill);
        else
            painter_.drawPolyline(shape);
        return;
    }
    QPolygon device;
    for (const Point& p : points) {
        const Point d = logicalToDevice(p);
        device << QPoint(d.x, d.y);
    }
    preparePen(filled);
    if (!thinPen()) {
        if (closed)
            painter_.drawPolygon(device, Qt::OddEvenFill);
        else
            painter_.drawPolyline(device);
    } else {
        if (filled && painter_.brush().style() != Qt::NoBrush) {
            const QPen outline = painter_.pen();
            painter_.setPen(Qt::NoPen);
            painter_.drawPolygon(device, Qt::OddEvenFill);
            painter_.setPen(outline);
        }
        for (qsizetype i = 1; i < device.size(); ++i)
            drawThinLine({device[i - 1].x(), device[i - 1].y()}, {device[i].x(), device[i].y()});
        if (closed)
            drawThinLine({device.back().x(), device.back().y()}, {device.front().x(), device.front().y()});
    }
}

void QtCanvas::moveTo(int x, int y) {
    position_ = {x, y};
}

void QtCanvas::lineTo(int x, int y) {
    const Point from = position_;
    position_ = {x, y};
    drawPath({from, {x, y}}, false, false);
}

void QtCanvas::polyline(const std::vector<Point>& points) {
    drawPath(points, false, false);
}

void QtCanvas::polygon(const std::vector<Point>& points) {
    drawPath(points, true, true);
}

namespace {

// A box of two device corners as a rectangle whose right and bottom edges are exclusive.
QRect deviceBox(Point a, Point b) {
    const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace

void QtCanvas::ellipse(int left, int top, int right, int bottom) {
    const QRect box = deviceBox(logicalToDevice({left, top}), logicalToDevice({right, bottom}));
    if (box.width() < 1 || box.height() < 1)
        return;
    preparePen(true);
    if (smooth_)
        painter_.drawEllipse(
            QRectF(smoothPoint({box.left(), box.top()}), QSizeF(box.width() - 1, box.height() - 1)));
    else
        painter_.drawEllipse(box.adjusted(0, 0, -1, -1));
}

void QtCanvas::rectangle(int left, int top, int right, int bottom) {
    const QRect box = deviceBox(logicalToDevice({left, top}), logicalToDevice({right, bottom}));
    if (box.width() < 1 || box.height() < 1)
        return;
    preparePen(true);
    if (smooth_)
        painter_.drawRect(
            QRectF(smoothPoint({box.left(), box.top()}), QSizeF(box.width() - 1, box.height() - 1)));
    else
        painter_.drawRect(box.adjusted(0, 0, -1, -1));
}

void QtCanvas::fillRect(int left, int top, int right, int bottom) {
    if (brushStyle_ == BrushStyle::Clear)
        return;
    const QRect box = deviceBox(logicalToDevice({left, top}), logicalToDevice({right, bottom}));
    painter_.fillRect(box, toQColor(brushColor_));
}

void QtCanvas::textOut(int x, int y, const std::string& text) {
    if (text.empty())
        return;
    const Point anchor = logicalToDevice({x, y});
    const QFont qfont = deviceFont();
    painter_.setFont(qfont);
    painter_.setPen(toQColor(fontColor_));
    painter_.setBrush(Qt::NoBrush);
    QTransform transform = baseTransform_;
    transform.translate(anchor.x, anchor.y);
    // escapement turns the text counter-clockwise on the sheet, clockwise in device y-down terms
    transform.rotate(-font_.escapement / 10.0);
    painter_.setWorldTransform(transform);
    const QFontMetricsF metrics(qfont, painter_.device());
    painter_.drawText(QPointF(0, metrics.ascent()), QString::fromStdString(text));
    painter_.setWorldTransform(baseTransform_);
}
