#include "sheet/SheetView.h"

#include <cmath>
#include <optional>

#include "core/Canvas.h"
#include "core/Gbk.h"
#include "core/Ui.h"
#include "plot/Axis.h"
#include "plot/PlotItem.h"
#include "sheet/Legend.h"
#include "sheet/ModelOverlay.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

// A colour three quarters of the way to white: the measured readings beside their corrected segments.
Color faded(Color color) {
    if (colors::isSystem(color))
        return colors::rgb(192, 192, 192);
    auto toWhite = [](int c) { return c + (255 - c) * 3 / 4; };
    return colors::rgb(toWhite(colors::red8(color)), toWhite(colors::green8(color)),
                       toWhite(colors::blue8(color)));
}

// Truncation toward zero into the int range (a huge length must not overflow the conversion).
int truncated(double value) {
    if (!(value == value))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(value);
}

// Text heights of the axis titles and the footer line, logical units (0.1 mm).
constexpr int axisTitleHeight = 35;
constexpr int footerHeight = 28;
// Below the frame: the bottom axis title, then the footer (logical units from the frame's bottom).
constexpr int bottomTitleDrop = 40;
constexpr int footerDrop = 110;
// Left of the left axis and right of the right axis, past their labels.
constexpr int sideTitleGap = 150;

LogFont noteFont(int height) {
    LogFont font = defaultItemFont();
    font.height = height;
    font.width = height / 2;
    return font;
}

// The axis titles and the footer line, when the sheet asks for them.
void drawSheetNotes(const SheetState& state, const PlotChoices& choices, Canvas& canvas) {
    if (!state.axisTitles && state.footerText.empty())
        return;
    const CanvasStateGuard guard(canvas);
    canvas.setFontColor(colors::black);
    const int left = truncated(state.originX);
    const int bottom = truncated(state.originY);
    const int right = truncated(static_cast<double>(state.originX) + state.xLength);
    const int middleY = truncated(static_cast<double>(state.originY) + state.yLength * 0.5);
    if (state.axisTitles) {
        LogFont font = noteFont(axisTitleHeight);
        canvas.setFont(font);
        const std::string bottomTitle = "AB/2 (m)";
        const int width = gbkByteLength(bottomTitle) * font.width;
        canvas.textOut((left + right - width) / 2, bottom - bottomTitleDrop, bottomTitle);
        // Upright along the side axes, read from the bottom up.
        font.escapement = 900;
        canvas.setFont(font);
        const std::string leftTitle = "ρs (Ω·m)";
        canvas.textOut(left - sideTitleGap - axisTitleHeight,
                       middleY - gbkByteLength(leftTitle) * font.width / 2, leftTitle);
        if (choices.ticked[Quantity::M1]) {
            const std::string rightTitle = "M1 (%)";
            canvas.textOut(right + sideTitleGap - axisTitleHeight / 2,
                           middleY - gbkByteLength(rightTitle) * font.width / 2, rightTitle);
        }
    }
    if (!state.footerText.empty()) {
        canvas.setFont(noteFont(footerHeight));
        canvas.textOut(left, bottom - footerDrop, state.footerText);
    }
}

} // namespace

Point sheetViewport(const SheetState& state, double dpiX, double dpiY, int width, int height) {
    return {truncated((width - dpiX * state.xLengthCm / 2.54) * 0.5 + dpiX * state.offsetXCm / 2.54),
            truncated((height + dpiY * state.yLengthCm / 2.54) * 0.5 + dpiY * state.offsetYCm / 2.54)};
}

SavedCanvas applySheetMapping(const SheetState& state, Canvas& canvas, int width, int height) {
    SavedCanvas saved;
    saved.mapMode = canvas.setMapMode(MapMode::LoMetric);
    const Point viewport = sheetViewport(state, canvas.dpiX(), canvas.dpiY(), width, height);
    canvas.setViewportOrigin(viewport.x, viewport.y);
    canvas.setWindowOrigin(truncated(state.originX), truncated(state.originY));
    saved.pen = canvas.pen();
    saved.brushColor = canvas.brushColor();
    return saved;
}

Point sheetPointAt(const SheetState& state, int dpiX, int dpiY, int width, int height, Point pixel) {
    const Point viewport = sheetViewport(state, dpiX, dpiY, width, height);
    const int windowX = truncated(state.originX);
    const int windowY = truncated(state.originY);
    const double x = (pixel.x - viewport.x) * 254.0 / dpiX + windowX;
    const double y = (viewport.y - pixel.y) * 254.0 / dpiY + windowY;
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

void restoreCanvas(const SavedCanvas& saved, Canvas& canvas) {
    Pen pen = canvas.pen();
    pen.style = saved.pen.style;
    pen.width = saved.pen.width;
    pen.color = saved.pen.color;
    canvas.setPen(pen);
    canvas.setBrushColor(saved.brushColor);
    canvas.setMapMode(saved.mapMode);
}

BitmapSize prepareSheetBitmap(SheetState& state, int dpiX, int dpiY) {
    // The width keeps the paper when the figure takes exactly 85 % of it; the height grows then.
    int paperWidth = 0;
    if (state.sheetWidthCm * 0.85 >= state.xLengthCm) {
        paperWidth = truncated(state.sheetWidthCm);
    } else {
        paperWidth = truncated(state.xLengthCm * 1.5);
        state.sheetWidthCm = static_cast<float>(paperWidth);
    }
    // The figure sits offsetYCm below the paper's centre; a figure that keeps the paper but whose
    // bottom axis and labels (about 1 cm) would fall off its lower edge grows it as a taller one does.
    const double keptHeight = truncated(state.sheetHeightCm);
    const bool bottomFits = keptHeight * 0.5 + state.yLengthCm * 0.5 + state.offsetYCm + 1.0 <= keptHeight;
    int paperHeight = 0;
    if (state.sheetHeightCm * 0.85 > state.yLengthCm && bottomFits) {
        paperHeight = truncated(state.sheetHeightCm);
    } else {
        paperHeight = truncated(state.yLengthCm * 1.5);
        state.sheetHeightCm = static_cast<float>(paperHeight);
    }
    state.xLength = state.xLengthCm * 100.0f;
    state.yLength = state.yLengthCm * 100.0f;
    return {truncated(static_cast<double>(paperWidth) * dpiX / 2.54),
            truncated(static_cast<double>(paperHeight) * dpiY / 2.54)};
}

void paintSheet(SheetState& state, const PlotChoices& choices, Canvas& canvas, int width, int height,
                Ui& ui) {
    WaitCursor wait(ui);
    const SavedCanvas saved = applySheetMapping(state, canvas, width, height);
    state.titleText.draw(canvas);
    canvas.setPenColor(colors::black);
    state.topAxis.draw(canvas);
    state.bottomAxis.draw(canvas);
    state.leftAxis.draw(canvas);
    state.rightAxis.draw(canvas);

    // The interpretation's lines lie under the measured curves, its table over them.
    std::optional<ModelOverlay> overlay;
    if (state.stationModel || !state.maskedPoints.empty()) {
        overlay = ModelOverlay::compute(state, choices);
        overlay->drawLines(canvas);
    }

    if (choices.ticked[Quantity::Res] && !state.resCurve.xPoints.empty()) {
        // Beside the segments as their factors correct them, the readings as measured are drawn faint.
        const Color color = state.resCurve.color;
        if (overlay && !overlay->corrected.empty())
            state.resCurve.color = faded(color);
        state.resCurve.draw(canvas);
        state.resCurve.color = color;
    }
    for (Quantity quantity : {Quantity::M1, Quantity::R, Quantity::TD, Quantity::TH, Quantity::ZP}) {
        if (choices.ticked[quantity])
            state.curve(quantity).draw(canvas);
    }

    if (overlay) {
        overlay->drawMasked(canvas);
        overlay->drawTable(canvas);
    }
    drawLegend(state, choices, canvas, overlay ? &*overlay : nullptr);
    drawSheetNotes(state, choices, canvas);
    restoreCanvas(saved, canvas);
}

bool sheetDrawable(const SheetState& state) {
    for (const Axis* axis : {&state.topAxis, &state.leftAxis, &state.bottomAxis, &state.rightAxis})
        if (!std::isfinite(axis->rangeMin) || !std::isfinite(axis->rangeMax))
            return false;
    return lengthDrawable(state.xLengthCm) && lengthDrawable(state.yLengthCm);
}
