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
class TAxis;

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

    // While a dialog exists, the global SetAxis designates it.
    explicit AxisDialog(QWidget* owner = nullptr);
    ~AxisDialog() override;
    AxisDialog(const AxisDialog&) = delete;
    AxisDialog& operator=(const AxisDialog&) = delete;

    // Sets the controls from the axis in the fill order of the mode.
    void fillFrom(const TAxis& axis, Mode mode = Mode::sheet);
    // Copies the controls back in the read-back order. With `limitMinOut` and `limitMaxOut`
    // (the right axis: the sheet's induced-polarisation range) the two limits go there instead
    // of the axis. A limit that is no number throws ConversionError at that point: what was read
    // before stays changed, the rest keeps its old values.
    void readBackInto(TAxis& axis, float* limitMinOut = nullptr, float* limitMaxOut = nullptr);

    // Click editing of a sheet axis: caption, fill, modal show, read-back on OK. Returns true
    // after an OK. ConversionError from a bad limit reaches the caller.
    static bool editSheetAxis(QWidget* owner, TAxis& axis, const QString& caption,
                              float* limitMinOut = nullptr, float* limitMaxOut = nullptr);
    // The axis's own edit, with the caption "设置图形坐标轴"; fit for TAxis::editor.
    static bool editOwnAxis(QWidget* owner, TAxis& axis);

    // The fonts the two font dialogs hold; only their heights are read back.
    QFont titleDialogFont() const { return titleDialogFont_; }
    void setTitleDialogFont(const QFont& font) { titleDialogFont_ = font; }
    QFont labelDialogFont() const { return labelDialogFont_; }
    void setLabelDialogFont(const QFont& font) { labelDialogFont_ = font; }

    // Form components.
    QTabWidget* PageControl = nullptr;
    // "基本属性"
    QPlainTextEdit* AxisTitle = nullptr;
    QPushButton* TitleFont = nullptr;
    QCheckBox* bShowTitle = nullptr;
    QSpinBox* TitleToAxis = nullptr;
    QSpinBox* TitleAngle = nullptr;
    QButtonGroup* AxisType = nullptr; // ids: 0 "线性", 1 "对数"
    QCheckBox* IsGrid = nullptr;
    QSpinBox* AxisWidth = nullptr;
    // "标        记"
    QCheckBox* bShowTick = nullptr;
    QSpinBox* lTickLen = nullptr;
    QComboBox* lTickDir = nullptr;
    QSpinBox* sTickLen = nullptr;
    QComboBox* sTickDir = nullptr;
    QSpinBox* lTickNum = nullptr;
    QSpinBox* sTickNum = nullptr;
    // "标        注"
    QCheckBox* bShowLabel = nullptr;
    QSpinBox* LabelToAxis = nullptr;
    QSpinBox* LabelAngle = nullptr;
    QPushButton* LabelFont = nullptr;
    QLineEdit* LabelFormat = nullptr;
    // "坐 标 轴"
    QLineEdit* LimitMin = nullptr;
    QCheckBox* bLimitMin = nullptr;
    QLineEdit* LimitMax = nullptr;
    QCheckBox* bLimitMax = nullptr;
    QSpinBox* AxisLength = nullptr;
    QSpinBox* X1 = nullptr;
    QSpinBox* Y1 = nullptr;
    // Below the pages.
    QPushButton* ApplyButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Handlers.
    void TitleFontClick();
    void LabelFontClick();
    void bLimitMinClick();
    void bLimitMaxClick();

private:
    Mode mode_ = Mode::sheet;
    QFont titleDialogFont_;
    QFont labelDialogFont_;
    // The fonts and heights the dialogs were filled with: an unchanged size keeps its height.
    QFont titleOpenedFont_;
    QFont labelOpenedFont_;
    int titleOpenedHeight_ = 0;
    int labelOpenedHeight_ = 0;
};

// The axis dialog while it is open, or null.
extern AxisDialog* SetAxis;
