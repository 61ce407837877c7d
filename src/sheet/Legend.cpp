#include "sheet/Legend.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/Canvas.h"
#include "core/Gbk.h"
#include "plot/Geometry.h"
#include "plot/Symbol.h"
#include "sheet/ModelOverlay.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

namespace {

// Logical units, 0.1 mm.
constexpr float columnOffset = 200.0f; // box left side from the frame's right side
constexpr float topOffset = 50.0f;     // first row's top from the frame's top side
constexpr int sampleLength = 75;
constexpr int boxHeight = 25;
constexpr int rowStep = 50;
constexpr int labelGap = 10;
// Room for an overlay row's label: a GBK byte of the legend's 8-point font is about half an em wide.
constexpr int labelByteWidth = 14;
constexpr int labelMargin = 20; // between a label's end and the frame's right side
constexpr int rowPadding = 6;   // the white behind an overlay row, beyond its sample and label

} // namespace

void drawLegend(const SheetState& state, const PlotChoices& choices, Canvas& canvas,
                const ModelOverlay* overlay) {

    // The overlay's labels are longer than the curves' own: the block moves left to keep them in the frame.
    std::vector<ModelOverlay::LegendLine> lines;
    if (overlay)
        lines = overlay->legendLines();
    float offset = columnOffset;
    for (const ModelOverlay::LegendLine& line : lines)
        offset =
            std::max(offset, static_cast<float>(sampleLength + labelGap +
                                                gbkByteLength(line.label) * labelByteWidth + labelMargin));
    const int left = toCoord(state.rightAxis.x2 - offset);
    const int labelX = toCoord(static_cast<float>(left) + static_cast<float>(sampleLength + labelGap));
    int top = toCoord(state.rightAxis.y2 - topOffset);

    // The block changes only the brush style; the entries give back what they change.
    const BrushStyle brushStyle = canvas.brushStyle();
    canvas.setBrushStyle(BrushStyle::Clear);
    for (Quantity quantity : allQuantities) {
        const Curve& curve = state.curve(quantity);
        const int symbol = choices.symbols[quantity];
        if (curve.xPoints.empty() || !choices.ticked[quantity] || symbol == 0 || !curve.showSymbols)
            continue;
        const Pen pen{curve.penStyle, curve.penWidth, curve.color, PenMode::Copy};
        drawLegendEntry(canvas, symbol, pen, left, top, left + sampleLength, top - boxHeight);
        canvas.textOut(labelX, top, std::string(quantityCode(quantity)));
        top -= rowStep;
    }
    for (const ModelOverlay::LegendLine& line : lines) {
        const int cy = toCoord((static_cast<double>(top) + (top - boxHeight)) * 0.5);
        // On white, so that the grid does not run through the interpretation's rows.
        const Color brushColor = canvas.brushColor();
        canvas.setBrushStyle(BrushStyle::Solid);
        canvas.setBrushColor(colors::white);
        canvas.fillRect(left - rowPadding, top + rowPadding,
                        labelX + gbkByteLength(line.label) * labelByteWidth + rowPadding,
                        top - rowStep + rowPadding);
        canvas.setBrushColor(brushColor);
        canvas.setBrushStyle(BrushStyle::Clear);
        canvas.setPen(line.pen);
        if (line.dashed) {
            for (const LogicalPolyline& dash : dashedPolyline({{left, cy}, {left + sampleLength, cy}}))
                canvas.polyline(dash);
        } else {
            canvas.moveTo(left, cy);
            canvas.lineTo(left + sampleLength, cy);
        }
        canvas.setPenColor(colors::black);
        canvas.textOut(labelX, top, line.label);
        top -= rowStep;
    }
    canvas.setBrushStyle(brushStyle);
}

void drawLegendEntry(Canvas& canvas, int symbol, const Pen& pen, int left, int top, int right, int bottom) {
    const int cx = toCoord((static_cast<double>(left) + right) * 0.5);
    const int cy = toCoord((static_cast<double>(top) + bottom) * 0.5);
    const int s = toCoord((static_cast<double>(bottom) - top) * 0.75);

    canvas.setPen(pen);
    canvas.moveTo(left, cy);
    canvas.lineTo(right, cy);

    canvas.setPenColor(colors::black);
    const Color brushColor = canvas.brushColor();
    const BrushStyle brushStyle = canvas.brushStyle();
    // The legend runs with a clear brush; a filled symbol still needs its fill.
    canvas.setBrushStyle(BrushStyle::Solid);
    // The plot's symbol painter with width s and height −s draws the box symbol of size s: its
    // half-size and triangle third carry the sign of the box's height, as the box rule asks.
    drawSymbol(canvas, symbolKindOf(symbol), cx, cy, s, -s);
    canvas.setBrushStyle(brushStyle);
    canvas.setBrushColor(brushColor);
}
