#include "dialogs/AxisDialog.h"
#include "render/UserLocale.h"

#include "core/ConversionError.h"
#include "core/Conversions.h"
#include "plot/Axis.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A sheet axis as the main window holds it: horizontal bottom axis of 5 decades.
struct AxisFixture : ::testing::Test {
    Axis axis;

    void SetUp() override {
        axis.x1 = 0;
        axis.y1 = 0;
        axis.x2 = 3125;
        axis.y2 = 0;
        axis.rangeMin = 1;
        axis.rangeMax = 100000;
        axis.logarithmic = true;
    }
};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The axis dialog shown modally, or null.
AxisDialog* openAxisDialog() {
    return qobject_cast<AxisDialog*>(QApplication::activeModalWidget());
}

} // namespace

TEST_F(AxisFixture, FormCaptionsPagesAndLists) {
    AxisDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), text("设置坐标轴"));
    ASSERT_EQ(dialog.pages->count(), 4);
    EXPECT_EQ(dialog.pages->tabText(0), text("基本属性"));
    EXPECT_EQ(dialog.pages->tabText(1), text("标        记"));
    EXPECT_EQ(dialog.pages->tabText(2), text("标        注"));
    EXPECT_EQ(dialog.pages->tabText(3), text("坐 标 轴"));
    EXPECT_EQ(dialog.pages->currentIndex(), 0);
    for (QComboBox* list : {dialog.majorTickDirectionCombo, dialog.minorTickDirectionCombo}) {
        ASSERT_EQ(list->count(), 4);
        EXPECT_EQ(list->itemText(0), text("向上"));
        EXPECT_EQ(list->itemText(1), text("向右"));
        EXPECT_EQ(list->itemText(2), text("向左"));
        EXPECT_EQ(list->itemText(3), text("向下"));
    }
    EXPECT_EQ(dialog.typeButtons->button(0)->text(), text("线性"));
    EXPECT_EQ(dialog.typeButtons->button(1)->text(), text("对数"));
    EXPECT_EQ(dialog.applyButton->text(), text("应用(&A)"));
    EXPECT_EQ(dialog.okButton->text(), text("确定"));
    EXPECT_EQ(dialog.cancelButton->text(), text("取消"));
}

TEST_F(AxisFixture, FillShowsTheAxis) {
    axis.title = "AB/2 (m)";
    axis.lineWidth = 3;
    axis.minorTickLength = 4;
    axis.minorTicks = 6;
    axis.majorIntervals = 7;
    axis.majorTickLength = 9;
    axis.labelDistance = 11;
    axis.titleDistance = 33;
    axis.showGrid = true;
    axis.showLabels = false;
    axis.x1 = 120.7f;
    axis.y1 = -80.9f;
    axis.x2 = 120.7f + 2500.9f;
    axis.rangeMin = 0.1f;
    axis.rangeMax = 1000;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    EXPECT_EQ(dialog.typeButtons->checkedId(), 1);
    EXPECT_FALSE(dialog.showLabelsCheck->isChecked());
    EXPECT_TRUE(dialog.showTitleCheck->isChecked());
    EXPECT_EQ(dialog.titleEdit->toPlainText(), text("AB/2 (m)"));
    EXPECT_EQ(dialog.lineWidthSpin->value(), 3);
    EXPECT_EQ(dialog.minorTickLengthSpin->value(), 4);
    // A logarithmic axis shows the ticks it is drawn with: one per decade of 0.1..1000, eight between.
    EXPECT_EQ(dialog.minorTicksSpin->value(), 8);
    EXPECT_EQ(dialog.majorIntervalsSpin->value(), 5);
    EXPECT_EQ(dialog.majorTickLengthSpin->value(), 9);
    EXPECT_EQ(dialog.labelDistanceSpin->value(), 11);
    EXPECT_EQ(dialog.titleDistanceSpin->value(), 33);
    EXPECT_EQ(dialog.labelFormatEdit->text(), text("0.0"));
    if (userDecimalSeparator() == '.') {
        EXPECT_EQ(dialog.limitMinEdit->text(), text("0.1"));
        EXPECT_EQ(dialog.limitMaxEdit->text(), text("1000.0"));
    }
    // Positions are truncated toward zero.
    EXPECT_EQ(dialog.lengthSpin->value(), 2500);
    EXPECT_EQ(dialog.xSpin->value(), 120);
    EXPECT_EQ(dialog.ySpin->value(), -80);
    EXPECT_EQ(dialog.majorTickDirectionCombo->currentIndex(), 0);
    EXPECT_EQ(dialog.minorTickDirectionCombo->currentIndex(), 0);
    EXPECT_TRUE(dialog.gridCheck->isChecked());
}

TEST_F(AxisFixture, RotatedTitleShowsZeroAndOkResetsTheRotation) {
    axis.titleFont.escapement = 900;
    axis.labelFont.escapement = 450;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    EXPECT_EQ(dialog.titleAngleSpin->value(), 0);
    EXPECT_EQ(dialog.labelAngleSpin->value(), 0);
    dialog.readBackInto(axis);
    EXPECT_EQ(axis.titleFont.escapement, 0);
    EXPECT_EQ(axis.labelFont.escapement, 0);
}

TEST_F(AxisFixture, AnglesBecomeTenthsOfADegree) {
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.titleAngleSpin->setValue(90);
    dialog.labelAngleSpin->setValue(-45);
    dialog.readBackInto(axis);
    EXPECT_EQ(axis.titleFont.escapement, 900);
    EXPECT_EQ(axis.labelFont.escapement, -450);
}

TEST_F(AxisFixture, MajorTickListDecidesTheDirection) {
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.majorTickDirectionCombo->setCurrentText(text("向右"));
    dialog.minorTickDirectionCombo->setCurrentText(text("向左"));
    dialog.readBackInto(axis);
    EXPECT_EQ(axis.tickDirection, TickDirection::Right);
}

TEST_F(AxisFixture, UntouchedDirectionListsGiveUp) {
    axis.tickDirection = TickDirection::Down;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.readBackInto(axis);
    EXPECT_EQ(axis.tickDirection, TickDirection::Up);
}

TEST_F(AxisFixture, VerticalAxisShowsLengthZeroAndIsLaidOutHorizontally) {
    axis.x1 = 3125;
    axis.y1 = 0;
    axis.x2 = 3125;
    axis.y2 = 2500;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    EXPECT_EQ(dialog.lengthSpin->value(), 0);
    dialog.lengthSpin->setValue(1000);
    dialog.readBackInto(axis);
    EXPECT_FLOAT_EQ(axis.x1, 3125);
    EXPECT_FLOAT_EQ(axis.y1, 0);
    EXPECT_FLOAT_EQ(axis.x2, 4125);
    EXPECT_FLOAT_EQ(axis.y2, 0);
}

TEST_F(AxisFixture, ReadBackTakesEveryControl) {
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.typeButtons->button(0)->setChecked(true);
    dialog.showLabelsCheck->setChecked(false);
    dialog.showTitleCheck->setChecked(false);
    dialog.titleEdit->setPlainText(text("视电阻率"));
    dialog.lineWidthSpin->setValue(2);
    dialog.showTicksCheck->setChecked(false);
    dialog.minorTickLengthSpin->setValue(-3);
    dialog.minorTicksSpin->setValue(4);
    dialog.majorIntervalsSpin->setValue(5);
    dialog.majorTickLengthSpin->setValue(-6);
    dialog.labelDistanceSpin->setValue(7);
    dialog.titleDistanceSpin->setValue(-8);
    dialog.labelFormatEdit->setText("0.00");
    dialog.limitMinEdit->setText("2");
    dialog.limitMaxEdit->setText("3");
    dialog.xSpin->setValue(-100);
    dialog.ySpin->setValue(200);
    dialog.lengthSpin->setValue(300);
    dialog.gridCheck->setChecked(true);
    dialog.readBackInto(axis);
    EXPECT_FALSE(axis.logarithmic);
    EXPECT_FALSE(axis.showLabels);
    EXPECT_FALSE(axis.showTitle);
    EXPECT_EQ(axis.title, "视电阻率");
    EXPECT_EQ(axis.lineWidth, 2);
    EXPECT_FALSE(axis.showTicks);
    EXPECT_EQ(axis.minorTickLength, -3);
    EXPECT_EQ(axis.minorTicks, 4);
    EXPECT_EQ(axis.majorIntervals, 5);
    EXPECT_EQ(axis.majorTickLength, -6);
    EXPECT_EQ(axis.labelDistance, 7);
    EXPECT_EQ(axis.titleDistance, -8);
    EXPECT_EQ(axis.labelFormat, "0.00");
    EXPECT_FLOAT_EQ(axis.rangeMin, 2);
    EXPECT_FLOAT_EQ(axis.rangeMax, 3);
    EXPECT_FLOAT_EQ(axis.x1, -100);
    EXPECT_FLOAT_EQ(axis.y1, 200);
    EXPECT_FLOAT_EQ(axis.x2, 200);
    EXPECT_FLOAT_EQ(axis.y2, 200);
    EXPECT_TRUE(axis.showGrid);
}

TEST_F(AxisFixture, OnlyTheFontHeightsComeFromTheFontDialogs) {
    axis.titleFont.height = 16;
    axis.labelFont.height = 12;
    const LogFont titleBefore = axis.titleFont;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    // Confirming without a new size keeps the heights as recorded.
    dialog.readBackInto(axis);
    EXPECT_EQ(axis.titleFont, titleBefore);
    EXPECT_EQ(axis.labelFont.height, 12);

    // A 12-point font is a character height of 12 × 254 / 72 = 42.33 units: −42.
    QFont chosen("Times New Roman", 12);
    chosen.setBold(true);
    chosen.setItalic(true);
    dialog.setTitleDialogFont(chosen);
    dialog.setLabelDialogFont(QFont("Courier", 24));
    dialog.readBackInto(axis);
    EXPECT_EQ(axis.titleFont.height, -42);
    EXPECT_EQ(axis.labelFont.height, -85);
    EXPECT_EQ(axis.titleFont.faceName, "Arial");
    EXPECT_EQ(axis.titleFont.weight, titleBefore.weight);
    EXPECT_EQ(axis.titleFont.italic, 0);
    EXPECT_EQ(axis.titleFont.width, titleBefore.width);
}

TEST_F(AxisFixture, FontDialogsConfirmedUnchangedKeepTheHeights) {
    // 16 and 12 units are 4.54 and 3.40 points; the font dialog shows 5 and 3.
    axis.titleFont.height = 16;
    axis.labelFont.height = 12;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    QFontDialog fontDialog;
    fontDialog.setCurrentFont(dialog.titleDialogFont());
    dialog.setTitleDialogFont(fontDialog.currentFont());
    fontDialog.setCurrentFont(dialog.labelDialogFont());
    dialog.setLabelDialogFont(fontDialog.currentFont());
    dialog.readBackInto(axis);
    EXPECT_EQ(axis.titleFont.height, 16);
    EXPECT_EQ(axis.labelFont.height, 12);
}

TEST_F(AxisFixture, ApplyChangesNothingAndKeepsTheDialogOpen) {
    axis.tickDirection = TickDirection::Down;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.show();
    dialog.titleEdit->setPlainText("changed");
    dialog.limitMinEdit->setText("5");
    dialog.majorTickDirectionCombo->setCurrentIndex(1);
    QTest::mouseClick(dialog.applyButton, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(axis.title, "Axis");
    EXPECT_FLOAT_EQ(axis.rangeMin, 1);
    EXPECT_EQ(axis.tickDirection, TickDirection::Down);
}

TEST_F(AxisFixture, RightAxisLimitsGoToTheCaller) {
    axis.logarithmic = false;
    axis.rangeMin = 10;
    axis.rangeMax = 40;
    float ipMin = -1;
    float ipMax = -1;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.limitMinEdit->setText("0");
    dialog.limitMaxEdit->setText("50");
    dialog.readBackInto(axis, &ipMin, &ipMax);
    EXPECT_FLOAT_EQ(ipMin, 0);
    EXPECT_FLOAT_EQ(ipMax, 50);
    EXPECT_FLOAT_EQ(axis.rangeMin, 10);
    EXPECT_FLOAT_EQ(axis.rangeMax, 40);
}

TEST_F(AxisFixture, BadMinimumEndsTheReadBackAtTheLimits) {
    axis.titleFont.escapement = 100;
    axis.tickDirection = TickDirection::Down;
    axis.titleFont.height = 16;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.titleEdit->setPlainText("new title");
    dialog.lineWidthSpin->setValue(3);
    dialog.titleDistanceSpin->setValue(44);
    dialog.titleAngleSpin->setValue(30);
    dialog.labelFormatEdit->setText("0");
    dialog.limitMinEdit->setText("abc");
    dialog.limitMaxEdit->setText("77");
    dialog.xSpin->setValue(500);
    dialog.gridCheck->setChecked(true);
    dialog.majorTickDirectionCombo->setCurrentIndex(1);
    dialog.setTitleDialogFont(QFont("Arial", 20));
    try {
        dialog.readBackInto(axis);
        FAIL() << "no conversion error";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid floating point value");
    }
    // Read before the limits: changed.
    EXPECT_EQ(axis.title, "new title");
    EXPECT_EQ(axis.lineWidth, 3);
    EXPECT_EQ(axis.titleDistance, 44);
    EXPECT_EQ(axis.labelFormat, "0");
    // From the limits on: unchanged.
    EXPECT_EQ(axis.titleFont.escapement, 100);
    EXPECT_EQ(axis.titleFont.height, 16);
    EXPECT_FLOAT_EQ(axis.rangeMin, 1);
    EXPECT_FLOAT_EQ(axis.rangeMax, 100000);
    EXPECT_FLOAT_EQ(axis.x1, 0);
    EXPECT_FLOAT_EQ(axis.x2, 3125);
    EXPECT_EQ(axis.tickDirection, TickDirection::Down);
    EXPECT_FALSE(axis.showGrid);
}

TEST_F(AxisFixture, BadMaximumKeepsTheMinimumRead) {
    float ipMin = -1;
    float ipMax = -1;
    AxisDialog dialog;
    dialog.fillFrom(axis);
    dialog.limitMinEdit->setText("0");
    dialog.limitMaxEdit->setText("x5");
    EXPECT_THROW(dialog.readBackInto(axis, &ipMin, &ipMax), ConversionError);
    EXPECT_FLOAT_EQ(ipMin, 0);
    EXPECT_FLOAT_EQ(ipMax, -1);
}

TEST_F(AxisFixture, AxisOwnEditUsesLimitsAndKeepsAVerticalAxisVertical) {
    axis.x1 = 100;
    axis.y1 = 0;
    axis.x2 = 100;
    axis.y2 = 2500;
    axis.limitMin = 2;
    axis.limitMax = 8;
    axis.showGrid = true;
    axis.titleFont.escapement = -900;
    axis.labelFont.escapement = -455;
    AxisDialog dialog;
    dialog.fillFrom(axis, AxisDialog::Mode::axisOwn);
    EXPECT_EQ(dialog.lengthSpin->value(), 2500);
    EXPECT_EQ(dialog.titleAngleSpin->value(), 90);
    EXPECT_EQ(dialog.labelAngleSpin->value(), 45);
    EXPECT_EQ(dialog.majorTickDirectionCombo->currentIndex(), 3);
    EXPECT_EQ(dialog.minorTickDirectionCombo->currentIndex(), 3);
    EXPECT_FALSE(dialog.gridCheck->isChecked());
    if (userDecimalSeparator() == '.') {
        EXPECT_EQ(dialog.limitMinEdit->text(), text("2.0"));
    }

    dialog.limitMinEdit->setText("3");
    dialog.limitMaxEdit->setText("9");
    dialog.lengthSpin->setValue(2000);
    dialog.readBackInto(axis);
    EXPECT_FLOAT_EQ(axis.limitMin, 3);
    EXPECT_FLOAT_EQ(axis.limitMax, 9);
    EXPECT_FLOAT_EQ(axis.rangeMin, 1);
    EXPECT_FLOAT_EQ(axis.rangeMax, 100000);
    EXPECT_FLOAT_EQ(axis.x2, 100);
    EXPECT_FLOAT_EQ(axis.y2, 2000);
    EXPECT_EQ(axis.titleFont.escapement, -900);
    EXPECT_EQ(axis.labelFont.escapement, -450);
    EXPECT_EQ(axis.tickDirection, TickDirection::Down);
    EXPECT_TRUE(axis.showGrid);
}

TEST_F(AxisFixture, AxisOwnEditPresetsLeftForAHorizontalAxis) {
    AxisDialog dialog;
    dialog.fillFrom(axis, AxisDialog::Mode::axisOwn);
    EXPECT_EQ(dialog.majorTickDirectionCombo->currentIndex(), 2);
    EXPECT_EQ(dialog.minorTickDirectionCombo->currentIndex(), 2);
    EXPECT_EQ(dialog.lengthSpin->value(), 3125);
}

TEST_F(AxisFixture, ModalEditShowsTheDialogAndCancelChangesNothing) {
    axis.tickDirection = TickDirection::Down;
    QPointer<AxisDialog> seen;
    bool shown = false;
    QString caption;
    QTimer::singleShot(0, [&] {
        seen = openAxisDialog();
        ASSERT_FALSE(seen.isNull());
        shown = true;
        caption = seen->windowTitle();
        seen->titleEdit->setPlainText("changed");
        seen->cancelButton->click();
    });
    EXPECT_FALSE(AxisDialog::editSheetAxis(nullptr, axis, text("设置图形左轴")));
    EXPECT_TRUE(shown);
    EXPECT_EQ(caption, text("设置图形左轴"));
    EXPECT_TRUE(seen.isNull()) << "made for one use";
    EXPECT_EQ(axis.title, "Axis");
    EXPECT_EQ(axis.tickDirection, TickDirection::Down);
}

TEST_F(AxisFixture, ModalEditReadsBackOnOk) {
    float ipMin = -1;
    float ipMax = -1;
    QTimer::singleShot(0, [] {
        AxisDialog* dialog = openAxisDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->limitMinEdit->setText("0");
        dialog->limitMaxEdit->setText("50");
        dialog->okButton->click();
    });
    EXPECT_TRUE(AxisDialog::editSheetAxis(nullptr, axis, text("设置图形右轴"), &ipMin, &ipMax));
    EXPECT_FLOAT_EQ(ipMin, 0);
    EXPECT_FLOAT_EQ(ipMax, 50);
    EXPECT_EQ(axis.tickDirection, TickDirection::Up);
}

// A value typed outside an up-down's range gives back the value before the typing; a value
// inside counts. The cut-off prefix (99 to 9, 250 to 25) never stays.
TEST_F(AxisFixture, UpDownsRefuseATypedValueOutsideTheirRange) {
    struct Row {
        const char* field;
        int before;
        const char* typed;
        int expected;
    };
    const Row rows[] = {
        {"lTickNum", 30, "99", 30}, {"sTickNum", 4, "12", 4},       {"TitleAngle", 10, "400", 10},
        {"lTickNum", 30, "45", 45}, {"TitleAngle", 10, "-35", -35},
    };
    AxisDialog dialog;
    for (const Row& row : rows) {
        auto* field = dialog.findChild<QSpinBox*>(QString::fromLatin1(row.field));
        ASSERT_NE(field, nullptr) << row.field;
        field->setValue(row.before);
        field->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(field, QString::fromLatin1(row.typed));
        QTest::keyClick(field, Qt::Key_Enter);
        EXPECT_EQ(field->value(), row.expected) << row.field << " " << row.typed;
    }
}
