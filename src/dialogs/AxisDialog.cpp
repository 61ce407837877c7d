#include "dialogs/AxisDialog.h"

#include <cmath>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/Conversions.h"
#include "dialogs/DialogFont.h"
#include "plot/Axis.h"
#include "render/UserLocale.h"

AxisDialog* SetAxis = nullptr;

namespace {

// An up-down of 16-bit values; its edit box is named after it plus "ww".
QSpinBox* makeUpDown(QWidget* parent, const char* name, int minimum, int maximum, int step = 1) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    if (auto* edit = box->findChild<QLineEdit*>())
        edit->setObjectName(QString::fromLatin1(name) + QStringLiteral("ww"));
    return box;
}

QComboBox* makeDirectionList(QWidget* parent, const char* name) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(
        {QStringLiteral("向上"), QStringLiteral("向右"), QStringLiteral("向左"), QStringLiteral("向下")});
    return list;
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

AxisDialog::AxisDialog(QWidget* owner) : QDialog(owner) {
    SetAxis = this;
    setWindowTitle(QStringLiteral("设置坐标轴"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    PageControl = new QTabWidget(this);

    // Basic properties.
    auto* basic = new QWidget;
    {
        auto* grid = new QGridLayout(basic);
        auto* titleGroup = new QGroupBox(QStringLiteral("轴名"), basic);
        auto* titleLayout = new QHBoxLayout(titleGroup);
        AxisTitle = new QPlainTextEdit(titleGroup);
        AxisTitle->setObjectName(QStringLiteral("AxisTitle"));
        AxisTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        AxisTitle->setMaximumHeight(60);
        titleLayout->addWidget(AxisTitle);
        auto* titleButtons = new QVBoxLayout;
        TitleFont = new QPushButton(QStringLiteral("字体"), titleGroup);
        TitleFont->setObjectName(QStringLiteral("TitleFont"));
        bShowTitle = new QCheckBox(QStringLiteral("显示"), titleGroup);
        bShowTitle->setObjectName(QStringLiteral("bShowTitle"));
        titleButtons->addWidget(TitleFont);
        titleButtons->addWidget(bShowTitle);
        titleLayout->addLayout(titleButtons);
        grid->addWidget(titleGroup, 0, 0, 1, 4);

        TitleToAxis = makeUpDown(basic, "TitleToAxis", -1000, 360);
        TitleAngle = makeUpDown(basic, "TitleAngle", -360, 360, 5);
        grid->addWidget(new QLabel(QStringLiteral("到轴距离:"), basic), 1, 0);
        grid->addWidget(TitleToAxis, 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("角度:"), basic), 1, 2);
        grid->addWidget(TitleAngle, 1, 3);

        auto* typeGroup = new QGroupBox(QStringLiteral("轴类型"), basic);
        auto* typeLayout = new QHBoxLayout(typeGroup);
        AxisType = new QButtonGroup(this);
        AxisType->setObjectName(QStringLiteral("AxisType"));
        auto* linear = new QRadioButton(QStringLiteral("线性"), typeGroup);
        auto* logarithmic = new QRadioButton(QStringLiteral("对数"), typeGroup);
        AxisType->addButton(linear, 0);
        AxisType->addButton(logarithmic, 1);
        linear->setChecked(true);
        typeLayout->addWidget(linear);
        typeLayout->addWidget(logarithmic);
        grid->addWidget(typeGroup, 2, 0, 1, 2);

        IsGrid = new QCheckBox(QStringLiteral("绘制网格"), basic);
        IsGrid->setObjectName(QStringLiteral("IsGrid"));
        grid->addWidget(IsGrid, 2, 2, 1, 2);
        AxisWidth = makeUpDown(basic, "AxisWidth", 0, 360);
        grid->addWidget(new QLabel(QStringLiteral("轴线粗细:"), basic), 3, 0);
        grid->addWidget(AxisWidth, 3, 1);
    }
    PageControl->addTab(basic, QStringLiteral("基本属性"));

    // Ticks.
    auto* ticks = new QWidget;
    {
        auto* grid = new QGridLayout(ticks);
        bShowTick = new QCheckBox(QStringLiteral("显示标记"), ticks);
        bShowTick->setObjectName(QStringLiteral("bShowTick"));
        grid->addWidget(bShowTick, 0, 0, 1, 2);

        auto* majorGroup = new QGroupBox(QStringLiteral("大标记"), ticks);
        auto* majorLayout = new QGridLayout(majorGroup);
        lTickLen = makeUpDown(majorGroup, "lTickLen", -1000, 360);
        lTickDir = makeDirectionList(majorGroup, "lTickDir");
        majorLayout->addWidget(new QLabel(QStringLiteral("长度:"), majorGroup), 0, 0);
        majorLayout->addWidget(lTickLen, 0, 1);
        majorLayout->addWidget(new QLabel(QStringLiteral("方向:"), majorGroup), 1, 0);
        majorLayout->addWidget(lTickDir, 1, 1);
        grid->addWidget(majorGroup, 1, 0);

        auto* minorGroup = new QGroupBox(QStringLiteral("小标记"), ticks);
        auto* minorLayout = new QGridLayout(minorGroup);
        sTickLen = makeUpDown(minorGroup, "sTickLen", -1000, 360);
        sTickDir = makeDirectionList(minorGroup, "sTickDir");
        minorLayout->addWidget(new QLabel(QStringLiteral("长度:"), minorGroup), 0, 0);
        minorLayout->addWidget(sTickLen, 0, 1);
        minorLayout->addWidget(new QLabel(QStringLiteral("方向:"), minorGroup), 1, 0);
        minorLayout->addWidget(sTickDir, 1, 1);
        grid->addWidget(minorGroup, 1, 1);

        lTickNum = makeUpDown(ticks, "lTickNum", 0, 50);
        sTickNum = makeUpDown(ticks, "sTickNum", 0, 10);
        auto* counts = new QGridLayout;
        counts->addWidget(new QLabel(QStringLiteral("大标记间隔个数:"), ticks), 0, 0);
        counts->addWidget(lTickNum, 0, 1);
        counts->addWidget(new QLabel(QStringLiteral("大标记间小标记个数:"), ticks), 1, 0);
        counts->addWidget(sTickNum, 1, 1);
        grid->addLayout(counts, 2, 0, 1, 2);
    }
    PageControl->addTab(ticks, QStringLiteral("标        记"));

    // Labels.
    auto* labels = new QWidget;
    {
        auto* grid = new QGridLayout(labels);
        bShowLabel = new QCheckBox(QStringLiteral("绘制标注"), labels);
        bShowLabel->setObjectName(QStringLiteral("bShowLabel"));
        grid->addWidget(bShowLabel, 0, 0, 1, 2);
        LabelToAxis = makeUpDown(labels, "LabelToAxis", -360, 360);
        LabelAngle = makeUpDown(labels, "LabelAngle", -360, 360, 5);
        grid->addWidget(new QLabel(QStringLiteral("到轴距离:"), labels), 1, 0);
        grid->addWidget(LabelToAxis, 1, 1);
        grid->addWidget(new QLabel(QStringLiteral("角度:"), labels), 2, 0);
        grid->addWidget(LabelAngle, 2, 1);
        LabelFont = new QPushButton(QStringLiteral("字体"), labels);
        LabelFont->setObjectName(QStringLiteral("LabelFont"));
        grid->addWidget(LabelFont, 2, 2);
        LabelFormat = new QLineEdit(labels);
        LabelFormat->setObjectName(QStringLiteral("LabelFormat"));
        grid->addWidget(new QLabel(QStringLiteral("标注格式"), labels), 3, 0);
        grid->addWidget(LabelFormat, 3, 1, 1, 2);
        grid->addWidget(new QLabel(QStringLiteral("标注格式例子: "), labels), 4, 0, 1, 3);
        auto* examples =
            new QLabel(QStringLiteral("0 表示整数         0.0 表示一位小数     0.00两位小数"), labels);
        examples->setWordWrap(true);
        grid->addWidget(examples, 5, 0, 1, 3);
    }
    PageControl->addTab(labels, QStringLiteral("标        注"));

    // Limits and position.
    auto* axisPage = new QWidget;
    {
        auto* layout = new QVBoxLayout(axisPage);
        auto* limitGroup = new QGroupBox(QStringLiteral("坐标轴极限"), axisPage);
        auto* limitLayout = new QGridLayout(limitGroup);
        limitLayout->addWidget(new QLabel(QStringLiteral("自动设置"), limitGroup), 0, 2);
        bLimitMin = new QCheckBox(QStringLiteral("最小值"), limitGroup);
        bLimitMin->setObjectName(QStringLiteral("bLimitMin"));
        LimitMin = new QLineEdit(limitGroup);
        LimitMin->setObjectName(QStringLiteral("LimitMin"));
        bLimitMax = new QCheckBox(QStringLiteral("最大值"), limitGroup);
        bLimitMax->setObjectName(QStringLiteral("bLimitMax"));
        LimitMax = new QLineEdit(limitGroup);
        LimitMax->setObjectName(QStringLiteral("LimitMax"));
        limitLayout->addWidget(LimitMin, 1, 0, 1, 2);
        limitLayout->addWidget(bLimitMin, 1, 2);
        limitLayout->addWidget(LimitMax, 2, 0, 1, 2);
        limitLayout->addWidget(bLimitMax, 2, 2);
        layout->addWidget(limitGroup);

        auto* placeGroup = new QGroupBox(QStringLiteral("长度与位置"), axisPage);
        auto* placeLayout = new QGridLayout(placeGroup);
        AxisLength = makeUpDown(placeGroup, "AxisLength", 0, 5000);
        X1 = makeUpDown(placeGroup, "X1", -10000, 10000);
        Y1 = makeUpDown(placeGroup, "Y1", -10000, 10000);
        placeLayout->addWidget(new QLabel(QStringLiteral("长度"), placeGroup), 0, 0);
        placeLayout->addWidget(AxisLength, 0, 1);
        placeLayout->addWidget(new QLabel(QStringLiteral("X:"), placeGroup), 1, 0);
        placeLayout->addWidget(X1, 1, 1);
        placeLayout->addWidget(new QLabel(QStringLiteral("Y:"), placeGroup), 1, 2);
        placeLayout->addWidget(Y1, 1, 3);
        layout->addWidget(placeGroup);
    }
    PageControl->addTab(axisPage, QStringLiteral("坐 标 轴"));
    PageControl->setCurrentIndex(0);

    auto* maker = new QLabel(QStringLiteral("Brindle Fox"), this);
    maker->setEnabled(false);
    ApplyButton = new QPushButton(QStringLiteral("应用(&A)"), this);
    OkButton = new QPushButton(QStringLiteral("确定"), this);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    OkButton->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(maker);
    buttons->addStretch();
    buttons->addWidget(ApplyButton);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);

    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl);
    main->addLayout(buttons);

    // Not resizable; at least the form's client size.
    setFixedSize(sizeHint().expandedTo(QSize(351, 264)));

    // Apply has no handler: it neither copies anything nor closes the dialog.

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(TitleFont, &QPushButton::clicked, this, &AxisDialog::TitleFontClick);
    connect(LabelFont, &QPushButton::clicked, this, &AxisDialog::LabelFontClick);
    connect(bLimitMin, &QCheckBox::clicked, this, &AxisDialog::bLimitMinClick);
    connect(bLimitMax, &QCheckBox::clicked, this, &AxisDialog::bLimitMaxClick);
}

AxisDialog::~AxisDialog() {
    if (SetAxis == this)
        SetAxis = nullptr;
}

void AxisDialog::TitleFontClick() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, titleDialogFont_, this);
    if (ok)
        titleDialogFont_ = chosen;
}

void AxisDialog::LabelFontClick() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, labelDialogFont_, this);
    if (ok)
        labelDialogFont_ = chosen;
}

// The "自动设置" boxes are read and have no effect.
void AxisDialog::bLimitMinClick() {
    (void)bLimitMin->isChecked();
}
void AxisDialog::bLimitMaxClick() {
    (void)bLimitMax->isChecked();
}

void AxisDialog::fillFrom(const TAxis& axis, Mode mode) {
    mode_ = mode;
    const bool own = mode == Mode::axisOwn;
    AxisType->button(axis.logarithmic ? 1 : 0)->setChecked(true);
    bShowLabel->setChecked(axis.showLabels);
    bShowTitle->setChecked(axis.showTitle);
    AxisTitle->setPlainText(fromUtf8(axis.title));
    AxisWidth->setValue(axis.lineWidth);
    bShowTick->setChecked(axis.showTicks);
    sTickLen->setValue(axis.minorTickLength);
    sTickNum->setValue(axis.minorTicks);
    lTickNum->setValue(axis.majorIntervals);
    lTickLen->setValue(axis.majorTickLength);
    LabelToAxis->setValue(axis.labelDistance);
    TitleToAxis->setValue(axis.titleDistance);

    labelOpenedHeight_ = axis.labelFont.height;
    labelOpenedFont_ = dialogfont::withHeight(labelDialogFont_, labelOpenedHeight_);
    labelDialogFont_ = labelOpenedFont_;
    titleOpenedHeight_ = axis.titleFont.height;
    titleOpenedFont_ = dialogfont::withHeight(titleDialogFont_, titleOpenedHeight_);
    titleDialogFont_ = titleOpenedFont_;

    // Click editing always shows the angles as 0, whatever the fonts' rotation.
    TitleAngle->setValue(own ? axis.titleFont.orientation / 10 : 0);
    LabelAngle->setValue(own ? axis.labelFont.orientation / 10 : 0);
    LabelFormat->setText(fromUtf8(axis.labelFormat));
    LimitMin->setText(
        fromUtf8(formatLocalePattern(own ? axis.limitMin : axis.rangeMin, "0.0", userDecimalSeparator())));
    LimitMax->setText(
        fromUtf8(formatLocalePattern(own ? axis.limitMax : axis.rangeMax, "0.0", userDecimalSeparator())));
    const float length = own && !axis.horizontal ? axis.y2 - axis.y1 : axis.x2 - axis.x1;
    AxisLength->setValue(static_cast<int>(std::trunc(length)));
    X1->setValue(static_cast<int>(std::trunc(axis.x1)));
    Y1->setValue(static_cast<int>(std::trunc(axis.y1)));
    const int direction = !own ? 0 : axis.horizontal ? 2 : 3;
    sTickDir->setCurrentIndex(direction);
    lTickDir->setCurrentIndex(direction);
    if (!own)
        IsGrid->setChecked(axis.showGrid);
}

void AxisDialog::readBackInto(TAxis& axis, float* limitMinOut, float* limitMaxOut) {
    const bool own = mode_ == Mode::axisOwn;
    axis.logarithmic = AxisType->checkedId() != 0;
    axis.showLabels = bShowLabel->isChecked();
    axis.showTitle = bShowTitle->isChecked();
    axis.title = AxisTitle->toPlainText().toStdString();
    axis.lineWidth = AxisWidth->value();
    axis.showTicks = bShowTick->isChecked();
    axis.minorTickLength = sTickLen->value();
    axis.minorTicks = sTickNum->value();
    axis.majorIntervals = lTickNum->value();
    axis.majorTickLength = lTickLen->value();
    axis.labelDistance = LabelToAxis->value();
    axis.titleDistance = TitleToAxis->value();
    // The bare angles first; they become tenths of a degree after the limits, so a bad limit
    // leaves the bare angles in place.
    axis.titleFont.orientation = TitleAngle->value();
    axis.labelFont.orientation = LabelAngle->value();
    axis.labelFormat = LabelFormat->text().toStdString();

    const auto limitMin =
        static_cast<float>(parseLocaleFloat(LimitMin->text().toStdString(), userDecimalSeparator()));
    if (limitMinOut)
        *limitMinOut = limitMin;
    else if (own)
        axis.limitMin = limitMin;
    else
        axis.rangeMin = limitMin;
    const auto limitMax =
        static_cast<float>(parseLocaleFloat(LimitMax->text().toStdString(), userDecimalSeparator()));
    if (limitMaxOut)
        *limitMaxOut = limitMax;
    else if (own)
        axis.limitMax = limitMax;
    else
        axis.rangeMax = limitMax;

    axis.x1 = static_cast<float>(X1->value());
    axis.y1 = static_cast<float>(Y1->value());
    if (own && !axis.horizontal) {
        axis.x2 = axis.x1;
        axis.y2 = axis.y1 + static_cast<float>(AxisLength->value());
    } else {
        // Click editing lays every axis out horizontally; the sheet re-places it afterwards.
        axis.x2 = axis.x1 + static_cast<float>(AxisLength->value());
        axis.y2 = axis.y1;
    }
    // The major-tick list decides.
    axis.tickDirection = sTickDir->currentIndex() + 1;
    axis.tickDirection = lTickDir->currentIndex() + 1;

    // Only the heights come from the font dialogs.
    axis.titleFont.height = dialogfont::heightOf(titleDialogFont_, titleOpenedFont_, titleOpenedHeight_);
    axis.labelFont.height = dialogfont::heightOf(labelDialogFont_, labelOpenedFont_, labelOpenedHeight_);
    const int escapementSign = own ? -1 : 1;
    axis.titleFont.escapement = escapementSign * 10 * TitleAngle->value();
    axis.titleFont.orientation = 10 * TitleAngle->value();
    axis.labelFont.escapement = escapementSign * 10 * LabelAngle->value();
    axis.labelFont.orientation = 10 * LabelAngle->value();
    if (!own)
        axis.showGrid = IsGrid->isChecked();
}

bool AxisDialog::editSheetAxis(QWidget* owner, TAxis& axis, const QString& caption, float* limitMinOut,
                               float* limitMaxOut) {
    AxisDialog dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.fillFrom(axis, Mode::sheet);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.readBackInto(axis, limitMinOut, limitMaxOut);
    return true;
}

bool AxisDialog::editOwnAxis(QWidget* owner, TAxis& axis) {
    AxisDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("设置图形坐标轴"));
    dialog.fillFrom(axis, Mode::axisOwn);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.readBackInto(axis);
    return true;
}
