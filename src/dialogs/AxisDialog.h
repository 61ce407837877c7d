#pragma once

#include <QDialog>
#include <QFont>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class Axis;

// The modal dialog that edits one axis of the sheet: type, title, ticks, labels, grid, limits
// and position. Fill it with fillFrom, show it, and on OK call readBackInto; both run without
// showing the dialog. Up-downs hold 16-bit values; each spin box's own edit is named after it
// plus "ww".
class AxisDialog : public QDialog {
    Q_OBJECT
public:
    // How the controls map to the axis.
    enum class Mode {
        // Click editing on the sheet: angles shown as 0, limits are the range, the length is laid
        // out horizontally, both direction lists start on "向上".
        sheet,
        // The axis's own edit: limits are limitMin/limitMax, the grid is not transferred, angles
        // come from the fonts, a vertical axis keeps its length along y.
        axisOwn,
    };

    explicit AxisDialog(QWidget* owner = nullptr);
    AxisDialog(const AxisDialog&) = delete;
    AxisDialog& operator=(const AxisDialog&) = delete;

    // Sets the controls from the axis in the fill order of the mode.
    void fillFrom(const Axis& axis, Mode mode = Mode::sheet);
    // Copies the controls back in the read-back order. With `limitMinOut` and `limitMaxOut`
    // (the right axis: the sheet's induced-polarisation range) the two limits go there instead
    // of the axis. A limit that is no number throws ConversionError at that point: what was read
    // before stays changed, the rest keeps its old values.
    void readBackInto(Axis& axis, float* limitMinOut = nullptr, float* limitMaxOut = nullptr);

    // Click editing of a sheet axis: caption, fill, modal show, read-back on OK. Returns true
    // after an OK. ConversionError from a bad limit reaches the caller.
    static bool editSheetAxis(QWidget* owner, Axis& axis, const QString& caption,
                              float* limitMinOut = nullptr, float* limitMaxOut = nullptr);
    // The axis's own edit, with the caption "设置图形坐标轴"; fit for Axis::editor.
    static bool editOwnAxis(QWidget* owner, Axis& axis);

    // The fonts the two font dialogs hold; only their heights are read back.
    QFont titleDialogFont() const { return titleDialogFont_; }
    void setTitleDialogFont(const QFont& font) { titleDialogFont_ = font; }
    QFont labelDialogFont() const { return labelDialogFont_; }
    void setLabelDialogFont(const QFont& font) { labelDialogFont_ = font; }

    // Form components.
    QTabWidget* pages = nullptr;
    // "基本属性"
    QPlainTextEdit* titleEdit = nullptr;
    QPushButton* titleFontButton = nullptr;
    QCheckBox* showTitleCheck = nullptr;
    QSpinBox* titleDistanceSpin = nullptr;
    QSpinBox* titleAngleSpin = nullptr;
    QButtonGroup* typeButtons = nullptr; // ids: 0 "线性", 1 "对数"
    QCheckBox* gridCheck = nullptr;
    QSpinBox* lineWidthSpin = nullptr;
    // "标        记"
    QCheckBox* showTicksCheck = nullptr;
    QSpinBox* majorTickLengthSpin = nullptr;
    QComboBox* majorTickDirectionCombo = nullptr;
    QSpinBox* minorTickLengthSpin = nullptr;
    QComboBox* minorTickDirectionCombo = nullptr;
    QSpinBox* majorIntervalsSpin = nullptr;
    QSpinBox* minorTicksSpin = nullptr;
    // "标        注"
    QCheckBox* showLabelsCheck = nullptr;
    QSpinBox* labelDistanceSpin = nullptr;
    QSpinBox* labelAngleSpin = nullptr;
    QPushButton* labelFontButton = nullptr;
    QLineEdit* labelFormatEdit = nullptr;
    // "坐 标 轴"
    QLineEdit* limitMinEdit = nullptr;
    QCheckBox* limitMinAutoCheck = nullptr;
    QLineEdit* limitMaxEdit = nullptr;
    QCheckBox* limitMaxAutoCheck = nullptr;
    QSpinBox* lengthSpin = nullptr;
    QSpinBox* xSpin = nullptr;
    QSpinBox* ySpin = nullptr;
    // Below the pages.
    QPushButton* applyButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    // Handlers.
    void onTitleFont();
    void onLabelFont();
    void onLimitMinAuto();
    void onLimitMaxAuto();

private:
    // The pages: title, type, grid and line width; ticks; labels; limits, length and position.
    QWidget* createBasicPage();
    QWidget* createTicksPage();
    QWidget* createLabelsPage();
    QWidget* createLimitsPage();
    Mode mode_ = Mode::sheet;
    QFont titleDialogFont_;
    QFont labelDialogFont_;
    // The fonts and heights the dialogs were filled with: an unchanged size keeps its height.
    QFont titleOpenedFont_;
    QFont labelOpenedFont_;
    int titleOpenedHeight_ = 0;
    int labelOpenedHeight_ = 0;
};
