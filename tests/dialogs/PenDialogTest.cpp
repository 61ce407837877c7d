#include "dialogs/PenDialog.h"

#include "core/Pen.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(PenDialog, StyleListMapsToPenCodes) {
    Pen pen;
    PenDialog dialog(pen);
    EXPECT_EQ(dialog.windowTitle(), text("设置线型"));
    ASSERT_EQ(dialog.styleCombo->count(), 5);
    const char* items[] = {"实线", "点线", "虚线", "点划线", "线点点"};
    const PenStyle styles[] = {PenStyle::Solid, PenStyle::Dot, PenStyle::Dash, PenStyle::DashDot,
                               PenStyle::DashDotDot};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dialog.styleCombo->itemText(i), text(items[i]));
        dialog.styleCombo->setCurrentIndex(i);
        EXPECT_EQ(pen.style, styles[i]) << i;
    }
}

TEST(PenDialog, DashPenOpensOnDashAndDotCanBeChosen) {
    Pen pen;
    pen.style = PenStyle::Dash;
    PenDialog dialog(pen);
    EXPECT_EQ(dialog.styleCombo->currentText(), text("虚线"));
    dialog.styleCombo->setCurrentText(text("点线"));
    EXPECT_EQ(pen.style, PenStyle::Dot);
}

TEST(PenDialog, WidthChangedThenCancelStaysInThePen) {
    Pen pen;
    pen.width = 1;
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<PenDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->widthSpin->stepUp();
        dialog->widthSpin->stepUp();
        dialog->cancelButton->click();
    });
    EXPECT_FALSE(PenDialog::editPen(nullptr, pen));
    EXPECT_EQ(pen.width, 3);
}

TEST(PenDialog, WidthStaysAtOrAboveZero) {
    Pen pen;
    pen.width = 0;
    PenDialog dialog(pen);
    dialog.widthSpin->stepDown();
    EXPECT_EQ(pen.width, 0);
    EXPECT_EQ(dialog.widthSpin->minimum(), 0);
}

TEST(PenDialog, ColourChosenOrCancelledGoesToThePen) {
    Pen pen;
    pen.color = colors::red;
    PenDialog dialog(pen);
    EXPECT_EQ(dialog.panelColor(), colors::red);

    dialog.chooseColor = [](Color) { return std::optional<Color>(colors::rgb(0, 128, 0)); };
    dialog.onChooseColor();
    EXPECT_EQ(dialog.panelColor(), colors::rgb(0, 128, 0));
    EXPECT_EQ(pen.color, colors::rgb(0, 128, 0));

    // A cancelled colour dialog keeps the panel and gives its colour to the pen.
    pen.color = colors::white;
    dialog.chooseColor = [](Color) { return std::optional<Color>(); };
    dialog.onChooseColor();
    EXPECT_EQ(dialog.panelColor(), colors::rgb(0, 128, 0));
    EXPECT_EQ(pen.color, colors::rgb(0, 128, 0));
}

TEST(PenDialog, SampleIsAMidLineOnButtonFace) {
    Pen pen;
    pen.color = colors::rgb(0, 0, 255);
    pen.width = 1;
    PenDialog dialog(pen);
    const QImage& sample = dialog.sampleImage();
    ASSERT_EQ(sample.size(), QSize(193, 29));
    // The line runs from (10, 14) to (183, 14): 29 / 2 halved toward zero.
    EXPECT_EQ(sample.pixelColor(10, 14), QColor(0, 0, 255));
    EXPECT_EQ(sample.pixelColor(100, 14), QColor(0, 0, 255));
    EXPECT_NE(sample.pixelColor(5, 14), QColor(0, 0, 255));
    EXPECT_NE(sample.pixelColor(100, 20), QColor(0, 0, 255));

    dialog.chooseColor = [](Color) { return std::optional<Color>(colors::red); };
    dialog.onChooseColor();
    EXPECT_EQ(dialog.sampleImage().pixelColor(100, 14), QColor(255, 0, 0));
}

TEST(PenDialog, TypedWidthCountsAsTyped) {
    Pen pen;
    pen.width = 1;
    PenDialog dialog(pen);
    dialog.widthSpin->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(dialog.widthSpin, QStringLiteral("12"));
    EXPECT_EQ(pen.width, 12);
}

// Like the sheet, the sample keeps a dashed pen dashed however wide it is.
TEST(PenDialog, SampleDrawsDashedPensDashedAtEveryWidth) {
    for (const int width : {1, 2, 4}) {
        Pen pen;
        pen.color = colors::rgb(0, 0, 255);
        pen.style = PenStyle::Dash;
        pen.width = width;
        PenDialog dialog(pen);
        const QImage& sample = dialog.sampleImage();
        int gaps = 0;
        for (int x = 12; x < 180; ++x)
            gaps += qBlue(sample.pixel(x, 14)) < 200 || qRed(sample.pixel(x, 14)) > 200 ? 1 : 0;
        EXPECT_GT(gaps, 20) << width;
        EXPECT_LT(gaps, 120) << width;
    }
}
