#include "dialogs/TitleDialog.h"

#include "plot/TextItem.h"

#include <QApplication>
#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct TitleFixture : ::testing::Test {
    TextItem title;
    float gapCm = 3.5f;

    void SetUp() override {
        title.text = "电测深观测数据";
        title.font.height = 60;
        title.font.width = 30;
        title.font.weight = 400;
        title.font.setFaceName("SimSun");
    }
};

} // namespace

TEST_F(TitleFixture, FillShowsTextAndGapInMillimetres) {
    TitleDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), text("设置图名"));
    dialog.fillFrom(title, gapCm);
    EXPECT_EQ(dialog.textEdit->toPlainText(), text("电测深观测数据"));
    EXPECT_EQ(dialog.gapSpin->value(), 35);
    EXPECT_EQ(dialog.gapSpin->minimum(), -200);
    EXPECT_EQ(dialog.gapSpin->maximum(), 200);
    EXPECT_EQ(dialog.gapSpin->singleStep(), 4);
    EXPECT_EQ(dialog.dialogFont().family(), text("SimSun"));
}

TEST_F(TitleFixture, GapIsTruncatedToWholeMillimetres) {
    TitleDialog dialog;
    dialog.fillFrom(title, 2.78f);
    EXPECT_EQ(dialog.gapSpin->value(), 27);
    dialog.fillFrom(title, -1.25f);
    EXPECT_EQ(dialog.gapSpin->value(), -12);
}

TEST_F(TitleFixture, ThirtyFiveMillimetresAreStoredAsThreePointFiveCentimetres) {
    gapCm = 1.0f;
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    dialog.gapSpin->setValue(35);
    dialog.readBackInto(title, gapCm);
    EXPECT_FLOAT_EQ(gapCm, 3.5f);
}

TEST_F(TitleFixture, UntouchedDialogKeepsTheFontRecord) {
    const LogFont before = title.font;
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    dialog.textEdit->setPlainText(text("新图名"));
    dialog.readBackInto(title, gapCm);
    EXPECT_EQ(title.font, before);
    EXPECT_EQ(title.text, "新图名");
    EXPECT_FLOAT_EQ(gapCm, 3.5f);
}

TEST_F(TitleFixture, FontDialogConfirmedUnchangedKeepsTheHeight) {
    // The font dialog offers whole points: 60 units (17.01 pt) come back as 17 pt.
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    QFontDialog fontDialog;
    fontDialog.setCurrentFont(dialog.dialogFont());
    dialog.setDialogFont(fontDialog.currentFont());
    dialog.readBackInto(title, gapCm);
    EXPECT_EQ(title.font.height, 60);
    EXPECT_EQ(title.font.italic, 0);
    EXPECT_EQ(title.font.underline, 0);
    EXPECT_EQ(title.font.strikeOut, 0);
}

// Styles follow the font dialog both ways: an italic, underlined title can be made plain again.
TEST_F(TitleFixture, StylesSwitchedOffInTheFontDialogAreCleared) {
    title.font.italic = 1;
    title.font.underline = 1;
    title.font.strikeOut = 1;
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    EXPECT_TRUE(dialog.dialogFont().italic());
    QFont plain = dialog.dialogFont();
    plain.setItalic(false);
    plain.setUnderline(false);
    plain.setStrikeOut(false);
    dialog.setDialogFont(plain);
    dialog.readBackInto(title, gapCm);
    EXPECT_EQ(title.font.italic, 0);
    EXPECT_EQ(title.font.underline, 0);
    EXPECT_EQ(title.font.strikeOut, 0);
}

// The sheet's thin weight (100) is drawn with the face's regular style where the face has no thin one:
// the font dialog opens on that upright style, and confirming it leaves the title upright.
TEST_F(TitleFixture, FontDialogOpensOnTheUprightStyleOfAThinTitle) {
    title.font.weight = 100;
    title.font.setFaceName("Times New Roman");
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    QFontDialog fontDialog;
    fontDialog.setCurrentFont(dialog.fontDialogPreset());
    const QFont shown = fontDialog.currentFont();
    EXPECT_FALSE(shown.italic()) << shown.styleName().toStdString();
    EXPECT_LT(shown.weight(), QFont::DemiBold) << shown.styleName().toStdString();
    dialog.takeFontDialogChoice(shown);
    dialog.readBackInto(title, gapCm);
    EXPECT_EQ(title.font.italic, 0);
    EXPECT_EQ(title.font.weight, 100);
}

TEST_F(TitleFixture, StylesSwitchedOnAreTakenButNotBold) {
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    QFont chosen("Times New Roman", 12);
    chosen.setItalic(true);
    chosen.setUnderline(true);
    chosen.setStrikeOut(true);
    chosen.setBold(true);
    dialog.setDialogFont(chosen);
    dialog.readBackInto(title, gapCm);
    EXPECT_EQ(title.font.italic, 1);
    EXPECT_EQ(title.font.underline, 1);
    EXPECT_EQ(title.font.strikeOut, 1);
    EXPECT_EQ(title.font.weight, 400);
    // 12 points = 4.23 mm character height, recorded negative.
    EXPECT_EQ(title.font.height, -42);
    EXPECT_EQ(title.font.width, 30);
    EXPECT_EQ(title.font.faceName, "Times New Roman");
}

TEST_F(TitleFixture, CancelChangesNothing) {
    const LogFont before = title.font;
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<TitleDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->textEdit->setPlainText("x");
        dialog->gapSpin->setValue(100);
        dialog->setDialogFont(QFont("Courier", 30, QFont::Normal, true));
        dialog->cancelButton->click();
    });
    EXPECT_FALSE(TitleDialog::editTitle(nullptr, title, gapCm));
    EXPECT_EQ(title.font, before);
    EXPECT_EQ(title.text, "电测深观测数据");
    EXPECT_FLOAT_EQ(gapCm, 3.5f);
}

TEST_F(TitleFixture, GapTypedOutsideItsRangeKeepsThePreviousGap) {
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    dialog.gapSpin->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(dialog.gapSpin, QStringLiteral("250"));
    QTest::keyClick(dialog.gapSpin, Qt::Key_Enter);
    EXPECT_EQ(dialog.gapSpin->value(), 35);
}

// The font dialog opens on the face the record names, or on the face drawn in its place where it
// is not installed; confirmed unchanged, the record keeps its face.
TEST_F(TitleFixture, FontDialogOpensOnTheRecordsFace) {
    title.font.setFaceName("Times New Roman");
    TitleDialog dialog;
    dialog.fillFrom(title, gapCm);
    QFontDialog fontDialog;
    fontDialog.setCurrentFont(dialog.fontDialogPreset());
    const QString shown = fontDialog.currentFont().family();
    QStringList accepted = QFont::substitutes(QStringLiteral("Times New Roman"));
    accepted.prepend(QStringLiteral("Times New Roman"));
    EXPECT_TRUE(accepted.contains(shown, Qt::CaseInsensitive))
        << shown.toStdString() << " / " << accepted.join(',').toStdString();
    dialog.takeFontDialogChoice(fontDialog.currentFont());
    dialog.readBackInto(title, gapCm);
    EXPECT_EQ(title.font.faceName, "Times New Roman");
}
