// Print, paper check and clipboard copy of the main window, and the saved flag after edits.
#include "SheetWindowFixture.h"
#include "app/OutputCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QUrl>

#include "core/ConversionError.h"

namespace {

class SheetOutput : public apptest::SheetWindowTest {};

constexpr const char* widthWarning = "注意:\n\t图形宽度超过指定大小的纸张！";
constexpr const char* heightWarning = "注意:\n\t图形高度超过指定大小的纸张！";

} // namespace

// 4900 x 6900 pixels at 600 dpi are 8 x 11 whole inches: 20.32 x 27.94 cm.
TEST_F(SheetOutput, PaperCheckCountsWholeInchesAndWarnsWidthFirst) {
    SheetState& s = *form.sheet;
    s.xLengthCm = 20.3f;
    s.yLengthCm = 27.9f;
    form.output().checkPaperSize(4900, 6900, 600, 600);
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_FLOAT_EQ(s.xLength, 2030.0f);
    EXPECT_FLOAT_EQ(s.yLength, 2790.0f);

    // 20.5 cm is less than the page's 20.7 cm but more than its 8 whole inches.
    s.xLengthCm = 20.5f;
    form.output().checkPaperSize(4900, 6900, 600, 600);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, widthWarning);
    EXPECT_EQ(ui->messages[0].caption, "警告");
    EXPECT_EQ(ui->messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::None);

    ui->messages.clear();
    s.yLengthCm = 28.0f;
    form.output().checkPaperSize(4900, 6900, 600, 600);
    ASSERT_EQ(ui->messages.size(), 2u);
    EXPECT_EQ(ui->messages[0].text, widthWarning);
    EXPECT_EQ(ui->messages[1].text, heightWarning);
    EXPECT_FLOAT_EQ(s.xLength, 2050.0f);
    EXPECT_FLOAT_EQ(s.yLength, 2800.0f);

    // A page without a resolution warns about nothing and does not divide by zero.
    ui->messages.clear();
    form.output().checkPaperSize(4900, 6900, 0, 0);
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(SheetOutput, CopyTakesTheAreaAroundFigureAndTitleWithoutRepainting) {
    // Default layout: 5 x 5 cm on A4, title gap 3.5 cm, at 96 dpi:
    // width 8 cm = 302.4, height 10.5 cm = 396.9, left 6.5 cm = 245.7, top 11.35 cm = 429.0 pixels.
    EXPECT_EQ(form.output().copyRectangle(96, 96), QRect(245, 428, 302, 396));
    // At 600 dpi: 1889.8, 2480.3, 1535.4, 2681.1.
    EXPECT_EQ(form.output().copyRectangle(600, 600), QRect(1535, 2681, 1889, 2480));

    form.saved = true;
    const QImage shown = form.sheetImage->picture();
    QApplication::clipboard()->clear();
    form.copyToolAction->setVisible(true);
    form.copyToolAction->trigger();
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(302, 396));
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
              shown.copy(QRect(245, 428, 302, 396)).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(form.sheetImage->picture(), shown);
    EXPECT_TRUE(form.saved);
}

TEST_F(SheetOutput, PrintsThePageOnThePrinterChosenWithItsJobTitle) {
    openColumnSample();
    ui->messages.clear();
    const QString pdf = folder.filePath(QStringLiteral("sheet.pdf"));
    QPrinter& printer = form.output().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    form.saved = true;
    form.printAction->trigger();

    EXPECT_EQ(printer.docName(), apptest::u("Brindlefox: 电测深曲线图"));
    // 18.75 cm is wider than the printable A4 width in whole inches (7 or 8 inches: 17.78 or 20.32 cm
    // less the margins); 12.5 cm fits.
    const int widthInches = printer.width() / printer.logicalDpiX();
    if (widthInches * 2.54 < 18.75) {
        ASSERT_EQ(ui->messages.size(), 1u);
        EXPECT_EQ(ui->messages[0].text, widthWarning);
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    // A4 portrait: 595 x 842 points.
    EXPECT_TRUE(bytes.contains("/MediaBox [0 0 595") || bytes.contains("/MediaBox[0 0 595"));
    EXPECT_TRUE(form.saved) << "printing is no edit";
}

TEST_F(SheetOutput, PrintingWithAPrinterThatCannotStartSaysSo) {
    openColumnSample();
    ui->messages.clear();
    QPrinter& printer = form.output().printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath(QStringLiteral("missing/folder/sheet.pdf")));
    form.output().onPrint();
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "注意:\n\t没有可用的打印机，无法打印！");
    EXPECT_EQ(ui->waitDepth, 0);
}

// A job that could not start on a machine without printer leaves the printer usable: a file chosen
// afterwards is printed.
TEST_F(SheetOutput, APrintThatCouldNotStartLeavesThePrinterUsable) {
    openColumnSample();
    ui->messages.clear();
    // The system's printer, as the window first offers it: where there is none, the job cannot start.
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed: the test would print on it";
    form.output().onPrint();
    ASSERT_EQ(ui->messages.size(), 1u);

    // What the printer set-up dialog does with a file name typed there.
    const QString pdf = folder.filePath(QStringLiteral("later.pdf"));
    form.output().printer().setOutputFormat(QPrinter::PdfFormat);
    form.output().printer().setOutputFileName(pdf);
    form.output().printer().setPageSize(QPageSize(QPageSize::A3));
    form.output().onPrint();
    for (std::size_t i = 1; i < ui->messages.size(); ++i)
        EXPECT_NE(ui->messages[i].text, "注意:\n\t没有可用的打印机，无法打印！");
    EXPECT_TRUE(QFile::exists(pdf));
}

// After a save, every edit that changes the sheet makes it unsaved again.
TEST_F(SheetOutput, EditsAfterASaveMakeTheSheetUnsavedAgain) {
    openColumnSample();
    SheetState& s = *form.sheet;
    const auto afterSave = [this](auto&& edit) {
        form.saved = true;
        edit();
        return form.saved;
    };

    titleAccepts = true;
    EXPECT_FALSE(afterSave([&] { form.editing().onEditTitle(); })) << "title";
    axisEdit = [](Axis& axis, float*, float*) {
        axis.showGrid = true;
        return true;
    };
    EXPECT_FALSE(afterSave([&] { form.editing().editAxis(2); })) << "axis";
    ui->queueInput("20");
    EXPECT_FALSE(afterSave([&] { form.editing().onSetXLength(); })) << "x length";
    ui->queueInput("14");
    EXPECT_FALSE(afterSave([&] { form.editing().onSetYLength(); })) << "y length";
    EXPECT_FALSE(afterSave([&] { form.legendToolAction->trigger(); })) << "legend switch";
    EXPECT_FALSE(afterSave([&] { form.plotControlWindow()->applyButton->click(); })) << "apply";
    const Curve& res = s.resCurve;
    EXPECT_FALSE(afterSave([&] { clickOnCurve(res, 2); })) << "curve pen";
    EXPECT_EQ(penCalls, 1);

    // Commands that change nothing on the sheet leave a saved sheet saved.
    titleAccepts = false;
    EXPECT_TRUE(afterSave([&] { form.editing().onEditTitle(); })) << "title dialog cancelled";
    axisEdit = nullptr;
    EXPECT_TRUE(afterSave([&] { form.editing().editAxis(1); })) << "axis dialog cancelled";
    ui->queueInput("20", false);
    EXPECT_TRUE(afterSave([&] { form.editing().onSetXLength(); })) << "length query cancelled";
    EXPECT_TRUE(afterSave([&] { form.output().onCopy(); })) << "copy";

    // The close question is asked again for an edited sheet, and save works again.
    form.saved = true;
    form.legendToolAction->trigger();
    ui->messages.clear();
    ui->queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(form.close());
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "是否保存已经绘制的剖面图?");
}

TEST_F(SheetOutput, HelpWithoutABrowserSaysWhereTheHelpFileIs) {
    form.openInBrowser = [](const QUrl&) { return false; };
    form.onHelp();
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_NE(ui->messages[0].text.find(QDir::toNativeSeparators(form.helpFile()).toStdString()),
              std::string::npos);
}
