#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "sheet/PlotChoices.h"

class Canvas;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPainter;
class QPushButton;
class QRect;

// The floating tool window in which the user picks the station, the parameter curves and the
// legend symbol of each parameter. It holds no sheet data: the sheet reads the choices through
// choices() each time it composes or paints, and only "应用" asks the main window to rebuild.
class PlotControlWindow : public QWidget {
    Q_OBJECT

public:
    explicit PlotControlWindow(QWidget* parent = nullptr);
    ~PlotControlWindow() override;

    // The state of the controls, with the station list's entries.
    PlotChoices choices() const;
    // The same without the entries: what composing and painting the sheet read, on every redraw.
    PlotChoices drawingChoices() const;
    // Writes the controls from a record (the open command: station list, selection, ticks, enabled
    // boxes, visibility). A box whose tick changes runs its click handler, as a user click would.
    void applyChoices(const PlotChoices& choices);

    // Set by the main window: rebuilds the sheet ("应用") ...
    std::function<void()> onApply;
    // ... and releases its station tool button when the window hides itself ("隐藏").
    std::function<void()> onHide;

    // Components (owned by the window through Qt parenthood).
    QLabel* stationLabel = nullptr;
    QComboBox* stationCombo = nullptr;
    QGroupBox* parameterGroup = nullptr;
    QCheckBox* resCheck = nullptr;
    QCheckBox* m1Check = nullptr;
    QCheckBox* rCheck = nullptr;
    QCheckBox* tdCheck = nullptr;
    QCheckBox* thCheck = nullptr;
    QCheckBox* zpCheck = nullptr;
    QComboBox* symbolList = nullptr;
    QFrame* bevel = nullptr;
    QPushButton* applyButton = nullptr;
    QPushButton* hideButton = nullptr;

    // Legend symbol numbers 0..12 of the parameters (0: no symbol).
    int resSymbol = 0;
    int m1Symbol = 0;
    int rSymbol = 0;
    int tdSymbol = 0;
    int thSymbol = 0;
    int zpSymbol = 0;

    // Hides the symbol list and stands it on the first parameter row.
    void placeSymbolList();
    void onResToggled();
    void onM1Toggled();
    void onRToggled();
    void onTdToggled();
    void onThToggled();
    void onZpToggled();
    // The user picked an item of the symbol list: it becomes the symbol of the row it stands on.
    void onSymbolChosen();
    // Draws item `index` of the symbol list into `rect` (pixels); `selected` items get the
    // highlight background.
    void drawSymbolItem(QPainter& painter, int index, const QRect& rect, bool selected) const;
    void onApplyClicked();
    void onHideClicked();

    // Box symbol `number` of the symbol list in the pixel box left/top/right/bottom (y down),
    // drawn with the canvas pen by the shared symbol painter.
    static void drawBoxSymbol(Canvas& canvas, int number, int left, int top, int right, int bottom);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A window manager that still closes the window: closing is "隐藏".
    void closeEvent(QCloseEvent* event) override;

private:
    QCheckBox* box(Quantity quantity) const;
    int& symbolOf(Quantity quantity);
    int symbolOf(Quantity quantity) const;
    // The quantity on whose row the symbol list stands, none when on none.
    std::optional<Quantity> symbolListRow() const;
    void onBoxToggled(Quantity quantity);
    void paintSymbolList();
    void paintBevel();
};
