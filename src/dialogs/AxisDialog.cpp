#include "dialogs/AxisDialog.h"

#include "dialogs/DialogButtonRow.h"

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
#include "dialogs/RangeSpinBox.h"
#include "plot/Axis.h"
#include "render/UserLocale.h"

namespace {

// An up-down of 16-bit values; its edit box is named after it plus "ww".
QSpinBox* makeUpDown(QWidget* parent, const char* name, int minimum, int maximum, int step = 1) {
    auto* box = new RangeSpinBox(parent);
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

// A group of the ticks page: the length and direction of the major or the minor ticks.
QGroupBox* makeTickGroup(QWidget* parent, const char* title, const char* lengthName,
                         const char* directionName, QSpinBox*& length, QComboBox*& direction) {
    auto* group = new QGroupBox(QString::fromUtf8(title), parent);
    auto* layout = new QGridLayout(group);
    length = makeUpDown(group, lengthName, -1000, 360);
    direction = makeDirectionList(group, directionName);
    layout->addWidget(new QLabel(QStringLiteral("长度:"), group), 0, 0);
    layout->addWidget(length, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("方向:"), group), 1, 0);
    layout->addWidget(direction, 1, 1);
    return group;
}

} // namespace

AxisDialog::AxisDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("设置坐标轴"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PageControl"));

    // Basic properties, ticks, labels, limits and position.
    pages->addTab(createBasicPage(), QStringLiteral("基本属性"));
    pages->addTab(createTicksPage(), QStringLiteral("标        记"));
    pages->addTab(createLabelsPage(), QStringLiteral("标        注"));
    pages->addTab(createLimitsPage(), QStringLiteral("坐 标 轴"));
    pages->setCurrentIndex(0);

    applyButton = new QPushButton(QStringLiteral("应用(&A)"), this);
    applyButton->setObjectName(QStringLiteral("ApplyButton"));
    const DialogButtonRow buttons =
        makeDialogButtonRow(this, QStringLiteral("MakerLabel"), QStringLiteral("OkButton"),
                            QStringLiteral("CancelButton"), applyButton);
    okButton = buttons.ok;
    cancelButton = buttons.cancel;

    auto* main = new QVBoxLayout(this);
    main->addWidget(pages);
    main->addLayout(buttons.layout);

    // Not resizable; the form's client size, grown only as far as the fonts need.
    setFixedSize(minimumSizeHint().expandedTo(QSize(351, 264)));

    // Apply has no handler: it neither copies anything nor closes the dialog.

    connect(titleFontButton, &QPushButton::clicked, this, &AxisDialog::onTitleFont);
    connect(labelFontButton, &QPushButton::clicked, this, &AxisDialog::onLabelFont);
    connect(limitMinAutoCheck, &QCheckBox::clicked, this, &AxisDialog::onLimitMinAuto);
    connect(limitMaxAutoCheck, &QCheckBox::clicked, this, &AxisDialog::onLimitMaxAuto);
}

QWidget* AxisDialog::createBasicPage() {
    auto* basic = new QWidget;
    auto* grid = new QGridLayout(basic);
    auto* titleGroup = new QGroupBox(QStringLiteral("轴名"), basic);
    auto* titleLayout = new QHBoxLayout(titleGroup);
    titleEdit = new QPlainTextEdit(titleGroup);
    titleEdit->setObjectName(QStringLiteral("AxisTitle"));
    titleEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    titleEdit->setMaximumHeight(60);
    titleLayout->addWidget(titleEdit);
    auto* titleButtons = new QVBoxLayout;
    titleFontButton = new QPushButton(QStringLiteral("字体"), titleGroup);
    titleFontButton->setObjectName(QStringLiteral("TitleFont"));
    showTitleCheck = new QCheckBox(QStringLiteral("显示"), titleGroup);
    showTitleCheck->setObjectName(QStringLiteral("bShowTitle"));
    titleButtons->addWidget(titleFontButton);
    titleButtons->addWidget(showTitleCheck);
    titleLayout->addLayout(titleButtons);
    grid->addWidget(titleGroup, 0, 0, 1, 4);

    titleDistanceSpin = makeUpDown(basic, "TitleToAxis", -1000, 360);
    titleAngleSpin = makeUpDown(basic, "TitleAngle", -360, 360, 5);
    grid->addWidget(new QLabel(QStringLiteral("到轴距离:"), basic), 1, 0);
    grid->addWidget(titleDistanceSpin, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("角度:"), basic), 1, 2);
    grid->addWidget(titleAngleSpin, 1, 3);

    auto* typeGroup = new QGroupBox(QStringLiteral("轴类型"), basic);
    auto* typeLayout = new QHBoxLayout(typeGroup);
    typeButtons = new QButtonGroup(this);
    typeButtons->setObjectName(QStringLiteral("AxisType"));
    auto* linear = new QRadioButton(QStringLiteral("线性"), typeGroup);
    auto* logarithmic = new QRadioButton(QStringLiteral("对数"), typeGroup);
    typeButtons->addButton(linear, 0);
    typeButtons->addButton(logarithmic, 1);
    linear->setChecked(true);
    typeLayout->addWidget(linear);
    typeLayout->addWidget(logarithmic);
    grid->addWidget(typeGroup, 2, 0, 1, 2);

    gridCheck = new QCheckBox(QStringLiteral("绘制网格"), basic);
    gridCheck->setObjectName(QStringLiteral("IsGrid"));
    grid->addWidget(gridCheck, 2, 2, 1, 2);
    lineWidthSpin = makeUpDown(basic, "AxisWidth", 0, 360);
    grid->addWidget(new QLabel(QStringLiteral("轴线粗细:"), basic), 3, 0);
    grid->addWidget(lineWidthSpin, 3, 1);
    return basic;
}

QWidget* AxisDialog::createTicksPage() {
    auto* ticks = new QWidget;
    auto* grid = new QGridLayout(ticks);
    showTicksCheck = new QCheckBox(QStringLiteral("显示标记"), ticks);
    showTicksCheck->setObjectName(QStringLiteral("bShowTick"));
    grid->addWidget(showTicksCheck, 0, 0, 1, 2);

    grid->addWidget(
        makeTickGroup(ticks, "大标记", "lTickLen", "lTickDir", majorTickLengthSpin, majorTickDirectionCombo),
        1, 0);
    grid->addWidget(
        makeTickGroup(ticks, "小标记", "sTickLen", "sTickDir", minorTickLengthSpin, minorTickDirectionCombo),
        1, 1);

    majorIntervalsSpin = makeUpDown(ticks, "lTickNum", 0, 50);
    minorTicksSpin = makeUpDown(ticks, "sTickNum", 0, 10);
    auto* counts = new QGridLayout;
    counts->addWidget(new QLabel(QStringLiteral("大标记间隔个数:"), ticks), 0, 0);
    counts->addWidget(majorIntervalsSpin, 0, 1);
    counts->addWidget(new QLabel(QStringLiteral("大标记间小标记个数:"), ticks), 1, 0);
    counts->addWidget(minorTicksSpin, 1, 1);
    grid->addLayout(counts, 2, 0, 1, 2);
    return ticks;
}

QWidget* AxisDialog::createLabelsPage() {
    auto* labels = new QWidget;
    auto* grid = new QGridLayout(labels);
    showLabelsCheck = new QCheckBox(QStringLiteral("绘制标注"), labels);
    showLabelsCheck->setObjectName(QStringLiteral("bShowLabel"));
    grid->addWidget(showLabelsCheck, 0, 0, 1, 2);
    labelDistanceSpin = makeUpDown(labels, "LabelToAxis", -360, 360);
    labelAngleSpin = makeUpDown(labels, "LabelAngle", -360, 360, 5);
    grid->addWidget(new QLabel(QStringLiteral("到轴距离:"), labels), 1, 0);
    grid->addWidget(labelDistanceSpin, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("角度:"), labels), 2, 0);
    grid->addWidget(labelAngleSpin, 2, 1);
    labelFontButton = new QPushButton(QStringLiteral("字体"), labels);
    labelFontButton->setObjectName(QStringLiteral("LabelFont"));
    grid->addWidget(labelFontButton, 2, 2);
    labelFormatEdit = new QLineEdit(labels);
    labelFormatEdit->setObjectName(QStringLiteral("LabelFormat"));
    grid->addWidget(new QLabel(QStringLiteral("标注格式"), labels), 3, 0);
    grid->addWidget(labelFormatEdit, 3, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("标注格式例子: "), labels), 4, 0, 1, 3);
    auto* examples =
        new QLabel(QStringLiteral("0 表示整数         0.0 表示一位小数     0.00两位小数"), labels);
    examples->setWordWrap(true);
    grid->addWidget(examples, 5, 0, 1, 3);
    return labels;
}

QWidget* AxisDialog::createLimitsPage() {
    auto* axisPage = new QWidget;
    auto* layout = new QVBoxLayout(axisPage);
    auto* limitGroup = new QGroupBox(QStringLiteral("坐标轴极限"), axisPage);
    auto* limitLayout = new QGridLayout(limitGroup);
    limitLayout->addWidget(new QLabel(QStringLiteral("自动设置"), limitGroup), 0, 2);
    limitMinAutoCheck = new QCheckBox(QStringLiteral("最小值"), limitGroup);
    limitMinAutoCheck->setObjectName(QStringLiteral("bLimitMin"));
    limitMinEdit = new QLineEdit(limitGroup);
    limitMinEdit->setObjectName(QStringLiteral("LimitMin"));
    limitMaxAutoCheck = new QCheckBox(QStringLiteral("最大值"), limitGroup);
    limitMaxAutoCheck->setObjectName(QStringLiteral("bLimitMax"));
    limitMaxEdit = new QLineEdit(limitGroup);
    limitMaxEdit->setObjectName(QStringLiteral("LimitMax"));
    limitLayout->addWidget(limitMinEdit, 1, 0, 1, 2);
    limitLayout->addWidget(limitMinAutoCheck, 1, 2);
    limitLayout->addWidget(limitMaxEdit, 2, 0, 1, 2);
    limitLayout->addWidget(limitMaxAutoCheck, 2, 2);
    layout->addWidget(limitGroup);

    auto* placeGroup = new QGroupBox(QStringLiteral("长度与位置"), axisPage);
    auto* placeLayout = new QGridLayout(placeGroup);
    lengthSpin = makeUpDown(placeGroup, "AxisLength", 0, 5000);
    xSpin = makeUpDown(placeGroup, "X1", -10000, 10000);
    ySpin = makeUpDown(placeGroup, "Y1", -10000, 10000);
    placeLayout->addWidget(new QLabel(QStringLiteral("长度"), placeGroup), 0, 0);
    placeLayout->addWidget(lengthSpin, 0, 1);
    placeLayout->addWidget(new QLabel(QStringLiteral("X:"), placeGroup), 1, 0);
    placeLayout->addWidget(xSpin, 1, 1);
    placeLayout->addWidget(new QLabel(QStringLiteral("Y:"), placeGroup), 1, 2);
    placeLayout->addWidget(ySpin, 1, 3);
    layout->addWidget(placeGroup);
    return axisPage;
}

void AxisDialog::onTitleFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, titleDialogFont_, this);
    if (ok)
        titleDialogFont_ = chosen;
}

void AxisDialog::onLabelFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, labelDialogFont_, this);
    if (ok)
        labelDialogFont_ = chosen;
}

// The "自动设置" boxes are read and have no effect.
void AxisDialog::onLimitMinAuto() {
    (void)limitMinAutoCheck->isChecked();
}
void AxisDialog::onLimitMaxAuto() {
    (void)limitMaxAutoCheck->isChecked();
}

void AxisDialog::fillFrom(const Axis& axis, Mode mode) {
    mode_ = mode;
    const bool own = mode == Mode::axisOwn;
    typeButtons->button(axis.logarithmic ? 1 : 0)->setChecked(true);
    showLabelsCheck->setChecked(axis.showLabels);
    showTitleCheck->setChecked(axis.showTitle);
    titleEdit->setPlainText(fromUtf8(axis.title));
    lineWidthSpin->setValue(axis.lineWidth);
    showTicksCheck->setChecked(axis.showTicks);
    minorTickLengthSpin->setValue(axis.minorTickLength);
    const Axis::TickCounts counts = axis.tickCounts();
    minorTicksSpin->setValue(counts.minorTicks);
    majorIntervalsSpin->setValue(counts.majorIntervals);
    majorTickLengthSpin->setValue(axis.majorTickLength);
    labelDistanceSpin->setValue(axis.labelDistance);
    titleDistanceSpin->setValue(axis.titleDistance);

    labelOpenedHeight_ = axis.labelFont.height;
    labelOpenedFont_ = dialogfont::withHeight(labelDialogFont_, labelOpenedHeight_);
    labelDialogFont_ = labelOpenedFont_;
    titleOpenedHeight_ = axis.titleFont.height;
    titleOpenedFont_ = dialogfont::withHeight(titleDialogFont_, titleOpenedHeight_);
    titleDialogFont_ = titleOpenedFont_;

    // Click editing always shows the angles as 0, whatever the fonts' rotation.
    // The axis's own edit turns the text clockwise by the angle shown.
    titleAngleSpin->setValue(own ? -axis.titleFont.escapement / 10 : 0);
    labelAngleSpin->setValue(own ? -axis.labelFont.escapement / 10 : 0);
    labelFormatEdit->setText(fromUtf8(axis.labelFormat));
    limitMinEdit->setText(
        fromUtf8(formatLocalePattern(own ? axis.limitMin : axis.rangeMin, "0.0", userDecimalSeparator())));
    limitMaxEdit->setText(
        fromUtf8(formatLocalePattern(own ? axis.limitMax : axis.rangeMax, "0.0", userDecimalSeparator())));
    const float length = own && !axis.horizontal() ? axis.y2 - axis.y1 : axis.x2 - axis.x1;
    lengthSpin->setValue(static_cast<int>(std::trunc(length)));
    xSpin->setValue(static_cast<int>(std::trunc(axis.x1)));
    ySpin->setValue(static_cast<int>(std::trunc(axis.y1)));
    const int direction = !own ? 0 : axis.horizontal() ? 2 : 3;
    minorTickDirectionCombo->setCurrentIndex(direction);
    majorTickDirectionCombo->setCurrentIndex(direction);
    if (!own)
        gridCheck->setChecked(axis.showGrid);
}

void AxisDialog::readBackInto(Axis& axis, float* limitMinOut, float* limitMaxOut) {
    const bool own = mode_ == Mode::axisOwn;
    axis.logarithmic = typeButtons->checkedId() != 0;
    axis.showLabels = showLabelsCheck->isChecked();
    axis.showTitle = showTitleCheck->isChecked();
    axis.title = titleEdit->toPlainText().toStdString();
    axis.lineWidth = lineWidthSpin->value();
    axis.showTicks = showTicksCheck->isChecked();
    axis.minorTickLength = minorTickLengthSpin->value();
    axis.minorTicks = minorTicksSpin->value();
    axis.majorIntervals = majorIntervalsSpin->value();
    axis.majorTickLength = majorTickLengthSpin->value();
    axis.labelDistance = labelDistanceSpin->value();
    axis.titleDistance = titleDistanceSpin->value();
    axis.labelFormat = labelFormatEdit->text().toStdString();

    const auto limitMin =
        static_cast<float>(parseLocaleFloat(limitMinEdit->text().toStdString(), userDecimalSeparator()));
    if (limitMinOut)
        *limitMinOut = limitMin;
    else if (own)
        axis.limitMin = limitMin;
    else
        axis.rangeMin = limitMin;
    const auto limitMax =
        static_cast<float>(parseLocaleFloat(limitMaxEdit->text().toStdString(), userDecimalSeparator()));
    if (limitMaxOut)
        *limitMaxOut = limitMax;
    else if (own)
        axis.limitMax = limitMax;
    else
        axis.rangeMax = limitMax;

    axis.x1 = static_cast<float>(xSpin->value());
    axis.y1 = static_cast<float>(ySpin->value());
    if (own && !axis.horizontal()) {
        axis.x2 = axis.x1;
        axis.y2 = axis.y1 + static_cast<float>(lengthSpin->value());
    } else {
        // Click editing lays every axis out horizontally; the sheet re-places it afterwards.
        axis.x2 = axis.x1 + static_cast<float>(lengthSpin->value());
        axis.y2 = axis.y1;
    }
    // The major-tick list decides.
    axis.tickDirection = static_cast<TickDirection>(minorTickDirectionCombo->currentIndex() + 1);
    axis.tickDirection = static_cast<TickDirection>(majorTickDirectionCombo->currentIndex() + 1);

    // Only the heights come from the font dialogs.
    axis.titleFont.height = dialogfont::heightOf(titleDialogFont_, titleOpenedFont_, titleOpenedHeight_);
    axis.labelFont.height = dialogfont::heightOf(labelDialogFont_, labelOpenedFont_, labelOpenedHeight_);
    const int escapementSign = own ? -1 : 1;
    axis.titleFont.escapement = escapementSign * 10 * titleAngleSpin->value();
    axis.labelFont.escapement = escapementSign * 10 * labelAngleSpin->value();
    if (!own)
        axis.showGrid = gridCheck->isChecked();
}

bool AxisDialog::editSheetAxis(QWidget* owner, Axis& axis, const QString& caption, float* limitMinOut,
                               float* limitMaxOut) {
    AxisDialog dialog(owner);
    dialog.setWindowTitle(caption);
    dialog.fillFrom(axis, Mode::sheet);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.readBackInto(axis, limitMinOut, limitMaxOut);
    return true;
}

bool AxisDialog::editOwnAxis(QWidget* owner, Axis& axis) {
    AxisDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("设置图形坐标轴"));
    dialog.fillFrom(axis, Mode::axisOwn);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.readBackInto(axis);
    return true;
}
