#pragma once

#include "core/Color.h"
#include "core/Pen.h"

#include <functional>
#include <optional>

#include <QDialog>
#include <QImage>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;

// The modal pen dialog: style, colour and width of a pen with a live sample line. It works
// directly on the caller's pen, so every change stays even when the dialog is cancelled.
class PenDialog : public QDialog {
    Q_OBJECT
public:
    // `pen` is not owned and must outlive the dialog. The controls are filled at once.
    explicit PenDialog(Pen& pen, QWidget* owner = nullptr);

    Pen& pen() { return pen_; }
    // The colour the panel shows.
    Color panelColor() const { return panelColor_; }
    // The sample picture, 193 × 29 pixels, as last drawn.
    const QImage& sampleImage() const { return sample_; }

    // Asks for a colour starting from the given one; no value when the user cancels. Runs the
    // colour dialog unless replaced.
    std::function<std::optional<Color>(Color)> chooseColor;

    // Line pen editing from the main window: modal show on `pen`. Returns true after an OK.
    static bool editPen(QWidget* owner, Pen& pen);

    // Form components.
    QComboBox* styleCombo = nullptr;
    QFrame* colorPanel = nullptr;  // the "Color" panel
    QSpinBox* widthSpin = nullptr; // its edit box is "Width"
    QLabel* sampleLabel = nullptr;
    QPushButton* okButton = nullptr;     // OK
    QPushButton* cancelButton = nullptr; // Cancel

    // Handlers.
    void showPen();
    void onChooseColor();
    void onWidthChanged();
    void onStyleChanged();

    // Pen style of a styleCombo list item and the item that shows a pen style.
    static PenStyle styleOfItem(int item);
    static int itemOfStyle(PenStyle style);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setPanelColor(Color color);
    void drawSample();

    Pen& pen_;
    Color panelColor_;
    QImage sample_;
};
