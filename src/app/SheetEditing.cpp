#include "app/SheetEditing.h"

#include <array>
#include <cmath>
#include <utility>

#include "app/InterpretationController.h"
#include "app/SheetImageWidget.h"
#include "core/ConversionError.h"
#include "core/Conversions.h"
#include "core/Ui.h"
#include "dialogs/AxisDialog.h"
#include "dialogs/PenDialog.h"
#include "dialogs/TitleDialog.h"
#include "sheet/AnomalyThreshold.h"
#include "sheet/Composer.h"
#include "sheet/SheetView.h"

namespace {

constexpr const char* lengthCaption = "电法数据剖面图程序";
// Status text of the axis commands after an open that found no station.
constexpr const char* noStationsForAxes = "当前没有测点数据，无法设置坐标轴。";

} // namespace

SheetEditing::SheetEditing(QWidget& window, SheetState& sheet, Ui& ui, const SheetImageWidget& image,
                           InterpretationController& interpretation, std::function<PlotChoices()> choices,
                           std::function<bool(bool relayout)> repaint)
    : QObject(&window), sheet(sheet), ui(ui), image(image), interpretation(interpretation),
      choices(std::move(choices)), repaint(std::move(repaint)) {
    titleDialog = [&window](TextItem& title, float& titleGapCm) {
        return TitleDialog::editTitle(&window, title, titleGapCm);
    };
    axisDialog = [&window](Axis& axis, const QString& caption, float* limitMin, float* limitMax) {
        return AxisDialog::editSheetAxis(&window, axis, caption, limitMin, limitMax);
    };
    penDialog = [&window](Pen& pen) { return PenDialog::editPen(&window, pen); };
}

Point SheetEditing::sheetPointOf(int x, int y) const {
    // The pixel in sheet units, under the mapping of a surface of the image's size.
    return sheetPointAt(sheet, image.logicalDpiX(), image.logicalDpiY(), image.width(), image.height(),
                        {x, y});
}

void SheetEditing::onSheetImagePressed(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    SheetState& s = sheet;
    const Point at = sheetPointOf(x, y);
    if (interpretation.pressOnModel(button, choices(), at))
        return;

    if (s.titleText.hitTest(at.x, at.y)) {
        onEditTitle();
        return;
    }
    const std::array<Axis*, 4> axes{&s.topAxis, &s.leftAxis, &s.bottomAxis, &s.rightAxis};
    for (std::size_t i = 0; i < axes.size(); ++i) {
        if (axes[i]->hitTest(at.x, at.y)) {
            editAxis(static_cast<int>(i) + 1);
            return;
        }
    }
    const PlotChoices shown = choices();
    // While the layered-model panel is open, a click on a resistivity reading masks or unmasks it.
    if (interpretation.clickOnReading(shown, at))
        return;
    editCurveAt(shown, at);
}

bool SheetEditing::editCurveAt(const PlotChoices& shown, Point at) {
    SheetState& s = sheet;
    // Hit-tested in this order: RES, R, M1, TD, TH, ZP.
    for (Quantity quantity :
         {Quantity::Res, Quantity::R, Quantity::M1, Quantity::TD, Quantity::TH, Quantity::ZP}) {
        Curve* curve = &s.curve(quantity);
        if (!shown.ticked[quantity] || !curve->hitTest(at.x, at.y))
            continue;
        onEditLinePen();
        // The pen dialog works on linePen itself: the curve takes it also after Cancel.
        curve->color = s.linePen.color;
        curve->penWidth = s.linePen.width;
        curve->penStyle = s.linePen.style;
        curve->penMode = s.linePen.mode;
        emit edited();
        repaint(false);
        return true;
    }
    return false;
}

void SheetEditing::onSheetImageMoved(int x, int y) {
    if (interpretation.holdsModel())
        interpretation.moveHeldModel(sheetPointOf(x, y));
}

void SheetEditing::onSheetImageReleased(Qt::MouseButton button, int x, int y) {
    if (interpretation.holdsModel())
        interpretation.releaseHeldModel(button, sheetPointOf(x, y));
}

void SheetEditing::onEditTitle() {
    if (!titleDialog(sheet.titleText, sheet.titleGapCm))
        return;
    emit edited();
    repaint(false);
}

void SheetEditing::editAxis(int position) {
    // Without stations the stored ranges are the reset values: there is nothing to lay out.
    if (sheet.stations.empty()) {
        emit statusText(QString::fromUtf8(noStationsForAxes));
        return;
    }
    SheetState& s = sheet;
    static constexpr std::array<const char*, 4> captions{"设置图形顶轴", "设置图形左轴", "设置图形底轴",
                                                         "设置图形右轴"};
    const std::array<Axis*, 4> axes{&s.topAxis, &s.leftAxis, &s.bottomAxis, &s.rightAxis};
    if (position < 1 || position > 4)
        return;
    const auto index = static_cast<std::size_t>(position - 1);
    const bool right = position == 4;
    bool accepted = false;
    try {
        accepted = axisDialog(*axes[index], QString::fromUtf8(captions[index]), right ? &s.ipMin : nullptr,
                              right ? &s.ipMax : nullptr);
    } catch (const ConversionError& error) {
        // What was read before the bad limit stays in the axis; no relayout, no redraw. A range
        // read so far that a logarithmic axis cannot draw is dealt with now, not at the next paint.
        emit edited();
        ui.messageBox(error.what(), applicationTitle, MsgButtons::Ok, MsgIcon::Error);
        resetBadAxisRanges(s);
        return;
    }
    if (!accepted)
        return;
    emit edited();
    repaint(true);
}

bool SheetEditing::askAxisLength(const char* prompt, float current, float& length) {
    const char point = ui.textLocale().decimalSeparator();
    std::string text = formatLocalePattern(current, "#.##", point);
    if (!ui.inputQuery(lengthCaption, prompt, text))
        return false;
    double value = 0.0;
    try {
        value = parseLocaleFloat(text, point);
    } catch (const ConversionError&) {
        ui.messageBox("注意:\n\t输入的轴长度不是有效的数字！绘图将采用原来的长度。", "警告", MsgButtons::Ok,
                      MsgIcon::Warning);
        return false;
    }
    // A frame of no or negative size has no axes to draw.
    if (!(value > 0.0)) {
        ui.messageBox("注意:\n\t输入的轴长度必须大于零！绘图将采用原来的长度。", "警告", MsgButtons::Ok,
                      MsgIcon::Warning);
        return false;
    }
    length = static_cast<float>(value);
    return true;
}

void SheetEditing::setAxisLength(bool xAxis) {
    // Without stations the stored ranges are the reset values: there is nothing to lay out.
    if (sheet.stations.empty()) {
        emit statusText(QString::fromUtf8(noStationsForAxes));
        return;
    }
    SheetState& s = sheet;
    float& target = xAxis ? s.xLengthCm : s.yLengthCm;
    float length = 0.0f;
    if (!askAxisLength(xAxis ? "输入x-轴长度，单位:cm" : "输入y-轴长度，单位:cm", target, length))
        return;
    // A paper too large for the screen bitmap refuses the length and keeps the sheet as it was.
    const float before[] = {s.xLengthCm, s.yLengthCm, s.xLength, s.yLength, s.sheetWidthCm, s.sheetHeightCm};
    target = length;
    if (!repaint(true)) {
        s.xLengthCm = before[0];
        s.yLengthCm = before[1];
        s.xLength = before[2];
        s.yLength = before[3];
        s.sheetWidthCm = before[4];
        s.sheetHeightCm = before[5];
        return;
    }
    emit edited();
}

void SheetEditing::onSetXLength() {
    setAxisLength(true);
}

void SheetEditing::onSetYLength() {
    setAxisLength(false);
}

void SheetEditing::onToggleLegend() {
    SheetState& s = sheet;
    s.legendVisible = !s.legendVisible;
    emit legendShown(s.legendVisible);
    for (Curve* curve : {&s.resCurve, &s.m1Curve, &s.rCurve, &s.tdCurve, &s.thCurve, &s.zpCurve})
        curve->showSymbols = s.legendVisible;
    emit edited();
    repaint(false);
}

void SheetEditing::onEditLinePen() {
    penDialog(sheet.linePen);
}

void SheetEditing::onSetMargin() {
    const char point = ui.textLocale().decimalSeparator();
    std::string text = formatLocalePattern(sheet.marginCm, "###.0", point);
    if (!ui.inputQuery("请输入图形边距...", "当前边距(单位:cm)为", text))
        return;
    double value = 0.0;
    if (!tryParseFloat(text, value, point))
        return; // not a number: ignored
    sheet.marginCm = static_cast<float>(value);
    repaint(false);
}

void SheetEditing::onSetAnomalyThreshold() {
    if (!askAnomalyThreshold(sheet, ui))
        return;
    repaint(false);
}
