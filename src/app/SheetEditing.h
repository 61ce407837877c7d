#pragma once

#include <functional>

#include <QObject>
#include <QString>

#include "core/Canvas.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

class InterpretationController;
class QWidget;
class SheetImageWidget;
class Ui;
struct Pen;

// Editing the sheet: a click on the title, an axis or a curve opens its dialog, a click or a drag on
// the shown station's model masks a reading or moves the model (through the interpretation), and the
// commands that set the axis lengths, the margin, the anomaly threshold, the line pen and the legend.
// A child of the main window; it says through `edited` that the sheet is no longer saved.
class SheetEditing : public QObject {
    Q_OBJECT

public:
    // `image` is the sheet image clicked on; `choices` what the plot control window shows; `repaint`
    // repaints the sheet (relayout: after re-placing the title, axes and curves) and returns false
    // when the paper is too large for the screen bitmap.
    SheetEditing(QWidget& window, SheetState& sheet, Ui& ui, const SheetImageWidget& image,
                 InterpretationController& interpretation, std::function<PlotChoices()> choices,
                 std::function<bool(bool relayout)> repaint);

    // Opens the axis dialog for position 1 top, 2 left, 3 bottom, 4 right.
    void editAxis(int position);

    // The editing dialogs, each returning true after OK. They show the real dialogs unless replaced
    // (tests). The axis dialog may throw ConversionError for a limit that is no number.
    std::function<bool(TextItem& title, float& titleGapCm)> titleDialog;
    std::function<bool(Axis& axis, const QString& caption, float* limitMin, float* limitMax)> axisDialog;
    std::function<bool(Pen& pen)> penDialog;

public slots:
    void onEditTitle();
    void onSetXLength();
    void onSetYLength();
    void onSetAnomalyThreshold();
    void onEditLinePen();
    void onToggleLegend();
    void onSetMargin();
    void onSheetImagePressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // While a piece of the model is held: moves it with the pointer / lets it go.
    void onSheetImageMoved(int x, int y);
    void onSheetImageReleased(Qt::MouseButton button, int x, int y);

signals:
    // The sheet changed: it is no longer saved.
    void edited();
    // The legend was shown or hidden.
    void legendShown(bool shown);
    // A line for the status bar.
    void statusText(const QString& text);

private:
    // The sheet point under a pixel of the sheet image.
    Point sheetPointOf(int x, int y) const;
    // A click on a shown curve: the pen dialog, and the curve takes the line pen; false when none is hit.
    bool editCurveAt(const PlotChoices& shown, Point at);
    // Asks for an axis length in cm; false when cancelled or refused (with its warning).
    bool askAxisLength(const char* prompt, float current, float& length);
    void setAxisLength(bool xAxis);

    SheetState& sheet;
    Ui& ui;
    const SheetImageWidget& image;
    InterpretationController& interpretation;
    std::function<PlotChoices()> choices;
    std::function<bool(bool relayout)> repaint;
};
