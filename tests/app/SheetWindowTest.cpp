// The main window's sheet: the empty sheet at start-up, the open-data command around its core,
// the plot control window's apply, and the display-mode commands.
#include "SheetWindowFixture.h"
#include "app/InterpretationController.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>

using apptest::inked;
using apptest::sampleFile;
using apptest::u;

namespace {

class SheetWindow : public apptest::SheetWindowTest {
protected:
    // Visibility of every tool button and enabled state of every menu item, in order.
    std::vector<bool> commandStates() const {
        std::vector<bool> states;
        for (QAction* a : form.mainToolBar->actions())
            states.push_back(a->isVisible());
        for (QAction* a : {form.saveBitmapAction, form.printAction, form.curvesAction, form.setXLengthAction,
                           form.setYLengthAction, form.editTitleAction, form.copyAction, form.refreshAction,
                           form.linePropertyAction})
            states.push_back(a->isEnabled());
        return states;
    }
};

} // namespace

TEST_F(SheetWindow, StartsWithTheBlankA4PaperAndNoFrame) {
    ASSERT_EQ(form.screenDpiX(), 96);
    ASSERT_EQ(form.screenDpiY(), 96);
    EXPECT_EQ(form.sheet->sheetWidthCm, 21.0f);
    EXPECT_EQ(form.sheet->sheetHeightCm, 29.7f);
    // 21 cm and the truncated 29 cm at 96 dpi.
    EXPECT_EQ(picture().size(), QSize(793, 1096));
    EXPECT_EQ(form.sheetImage->size(), QSize(793, 1096));
    // The frame's lower-left corner: x (793 - 188.98) / 2 = 302, y (1096 + 188.98) / 2 + 132.28 = 774.
    EXPECT_EQ(viewport(), QPoint(302, 774));
    // Nothing is drawn before the first open: no axes, tick labels or axis titles.
    for (int y = 0; y < picture().height(); y += 3)
        for (int x = 0; x < picture().width(); x += 3)
            ASSERT_FALSE(inked(picture(), x, y)) << x << ", " << y;
    EXPECT_EQ(picture().pixel(5, 5), qRgb(255, 255, 255)) << "paper of the window colour";

    ASSERT_NE(form.plotControlWindow(), nullptr);
    EXPECT_TRUE(form.plotControlWindow()->isHidden());
    EXPECT_TRUE(form.saved);
}

TEST_F(SheetWindow, OpeningTheColumnSampleShowsItsSheetAndSwitchesOnTheCommands) {
    const std::vector<bool> before = commandStates();
    openColumnSample();
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_FALSE(form.saved);
    ASSERT_EQ(form.sheet->stations.size(), 6u);

    EXPECT_TRUE(form.stationToolAction->isVisible());
    EXPECT_TRUE(form.stationToolAction->isChecked());
    EXPECT_TRUE(form.plotControlWindow()->isVisible());
    ASSERT_EQ(form.plotControlWindow()->stationCombo->count(), 6);
    EXPECT_EQ(form.plotControlWindow()->stationCombo->itemText(0), QStringLiteral("101"));
    EXPECT_EQ(form.plotControlWindow()->stationCombo->currentIndex(), 0);
    EXPECT_TRUE(form.plotControlWindow()->resCheck->isChecked());
    for (QCheckBox* box : {form.plotControlWindow()->m1Check, form.plotControlWindow()->rCheck,
                           form.plotControlWindow()->tdCheck, form.plotControlWindow()->thCheck,
                           form.plotControlWindow()->zpCheck})
        EXPECT_TRUE(box->isEnabled());

    EXPECT_EQ(form.statusPanels[2]->text(), u("数据剖面图绘制成功。"));
    EXPECT_GE(ui->pendingMessageCalls, 1);
    EXPECT_NE(commandStates(), before);
    for (QAction* shown : {form.saveBitmapToolAction, form.printToolAction, form.setXLengthToolAction,
                           form.setYLengthToolAction, form.editTitleToolAction, form.copyToolAction,
                           form.refreshToolAction, form.legendToolAction, form.toolSeparator1,
                           form.toolSeparator2, form.toolSeparator4, form.toolSeparator5})
        EXPECT_TRUE(shown->isVisible()) << shown->toolTip().toStdString();
    for (QAction* hidden : {form.polarityToolAction, form.curvesToolAction, form.zoomInToolAction,
                            form.zoomOutToolAction, form.anomalyThresholdToolAction, form.linePenToolAction,
                            form.marginToolAction, form.toolSeparator3})
        EXPECT_FALSE(hidden->isVisible()) << hidden->toolTip().toStdString();
    for (QAction* enabled :
         {form.saveBitmapAction, form.printAction, form.setXLengthAction, form.setYLengthAction,
          form.editTitleAction, form.copyAction, form.refreshAction})
        EXPECT_TRUE(enabled->isEnabled()) << enabled->text().toStdString();
    // Hidden items are disabled while hidden; they come up enabled if ever shown.
    for (QAction* hiddenEnabled : {form.curvesAction, form.linePropertyAction}) {
        hiddenEnabled->setVisible(true);
        EXPECT_TRUE(hiddenEnabled->isEnabled()) << hiddenEnabled->text().toStdString();
        hiddenEnabled->setVisible(false);
    }
    EXPECT_FALSE(form.polarityAction->isEnabled());
    EXPECT_FALSE(form.anomalyThresholdAction->isEnabled());

    // AB/2 1.5 ... 500 and resistivities 30 ... 830: 18.75 x 12.5 cm, paper 28 x 29 cm.
    EXPECT_EQ(form.sheet->xLengthCm, 18.75f);
    EXPECT_EQ(form.sheet->yLengthCm, 12.5f);
    EXPECT_EQ(picture().size(), QSize(1058, 1096));
    // (1058 - 708.66) / 2 = 174; (1096 + 472.44) / 2 + 132.28 = 916.
    EXPECT_EQ(viewport(), QPoint(174, 916));
    EXPECT_TRUE(inked(picture(), 500, 916)) << "bottom axis";
    EXPECT_TRUE(inked(picture(), 174, 700)) << "left axis";
    // The first resistivity point carries no symbol yet but its line starts there.
    const Curve& res = form.sheet->resCurve;
    ASSERT_FALSE(res.xPoints.empty());
    EXPECT_TRUE(apptest::inkedNear(picture(), pixelOf(res.x1 + res.xPoints[0], res.y1 + res.yPoints[0])));
}

TEST_F(SheetWindow, OpeningTheTaggedSampleLeavesOnlyTheResistivityBoxUsable) {
    openTaggedSample();
    ASSERT_EQ(form.sheet->stations.size(), 4u);
    EXPECT_EQ(form.plotControlWindow()->stationCombo->itemText(0), QStringLiteral("11"));
    EXPECT_TRUE(form.plotControlWindow()->resCheck->isEnabled());
    for (QCheckBox* box : {form.plotControlWindow()->m1Check, form.plotControlWindow()->rCheck,
                           form.plotControlWindow()->tdCheck, form.plotControlWindow()->thCheck,
                           form.plotControlWindow()->zpCheck})
        EXPECT_FALSE(box->isEnabled());
    // The tagged reader makes the right axis logarithmic: it takes the resistivity range.
    EXPECT_EQ(form.sheet->rightAxis.rangeMin, 10.0f);
    EXPECT_EQ(form.sheet->rightAxis.rangeMax, 1000.0f);
    EXPECT_TRUE(inked(picture(), 500, 916));
}

namespace {

// Answers the next open dialog with `file` under filter `filter` (0 or 1), or cancels it.
void answerOpenDialog(const QString& file, int filter) {
    QTimer::singleShot(0, [file, filter] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), u("打开数据文件"));
        if (file.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectNameFilter(dialog->nameFilters().at(filter));
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        nameField->setText(file);
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the open dialog did not take " << file.toStdString();
            dialog->reject();
        }
    });
}

} // namespace

TEST_F(SheetWindow, CancellingTheOpenDialogChangesNothing) {
    const QImage before = picture();
    answerOpenDialog({}, 0);
    form.files().onOpenData();
    EXPECT_TRUE(form.saved);
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(picture(), before);
    EXPECT_FALSE(form.saveBitmapToolAction->isVisible());
}

TEST_F(SheetWindow, TheDialogsFilterChoosesTheReaderNotTheFileName) {
    // A column file opened as a tagged file yields no station.
    answerOpenDialog(sampleFile("sample-ip.dat"), 1);
    form.files().onOpenData();
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "加载的数据文件没有电测深数据。");
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::Question);
    EXPECT_FALSE(form.saved);
    EXPECT_FALSE(form.saveBitmapToolAction->isVisible());

    answerOpenDialog(sampleFile("sample-ip.dat"), 0);
    form.files().onOpenData();
    EXPECT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(form.sheet->stations.size(), 6u);
    EXPECT_TRUE(form.saveBitmapToolAction->isVisible());
}

TEST_F(SheetWindow, ASecondOpenKeepsTheToolBarAndResetsTheSelection) {
    openColumnSample();
    form.plotControlWindow()->stationCombo->setCurrentIndex(3);
    form.plotControlWindow()->applyButton->click();
    ASSERT_EQ(form.sheet->resCurve.yValues.front(), form.sheet->stations[3].resistivity.front());
    // Hidden by the user in between: the next open shows the window again.
    form.plotControlWindow()->hideButton->click();
    EXPECT_FALSE(form.stationToolAction->isChecked());
    const std::vector<bool> after = commandStates();

    openTaggedSample();
    EXPECT_EQ(commandStates(), after);
    EXPECT_EQ(form.plotControlWindow()->stationCombo->count(), 4);
    EXPECT_EQ(form.plotControlWindow()->stationCombo->currentIndex(), 0);
    EXPECT_TRUE(form.plotControlWindow()->isVisible());
    EXPECT_TRUE(form.stationToolAction->isChecked());
    EXPECT_EQ(form.sheet->resCurve.yValues.front(), form.sheet->stations[0].resistivity.front());
}

// An open that finds no station replaces the previous file's stations: what was drawn from them and
// their models go too, so that the screen agrees with the commands, which have no data.
TEST_F(SheetWindow, AnOpenWithoutStationsClearsWhatWasDrawnFromThePreviousFile) {
    openColumnSample();
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel);
    const QImage shown = picture();
    // A column file whose second line is not a sounding header.
    const QString empty = writeFile("plain.dat", "样例\n剖面 数据\n1 2 3\n");
    form.openDataPath(empty, DataFileKind::Column);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "加载的数据文件没有电测深数据。");
    EXPECT_EQ(ui->messages[0].caption, "警告");
    EXPECT_TRUE(form.sheet->stations.empty());
    EXPECT_FALSE(form.sheet->stationModel);

    const QImage blank = picture();
    EXPECT_NE(blank, shown);
    int inkedPixels = 0;
    for (int y = 0; y < blank.height(); y += 2)
        for (int x = 0; x < blank.width(); x += 2)
            inkedPixels += apptest::inked(blank, x, y) ? 1 : 0;
    EXPECT_EQ(inkedPixels, 0) << "the previous station is still drawn";
    EXPECT_EQ(form.plotControlWindow()->stationCombo->count(), 0);
    EXPECT_FALSE(form.plotControlWindow()->isVisible());
    EXPECT_NE(form.statusPanels[2]->text(), u("数据剖面图绘制成功。"));
    for (QAction* needsData : {form.saveBitmapAction, form.exportAction, form.printAction, form.copyAction,
                               form.interpretation().fitStationAction, form.sectionAction})
        EXPECT_FALSE(needsData->isEnabled()) << needsData->text().toStdString();
    EXPECT_FALSE(form.saveBitmapToolAction->isVisible());

    // Apply has nothing to compose from and draws nothing.
    form.plotControlWindow()->applyButton->click();
    EXPECT_EQ(picture(), blank);
    EXPECT_EQ(ui->messages.size(), 1u);

    // The next file with stations is shown as after a first open.
    openColumnSample();
    EXPECT_TRUE(form.saveBitmapToolAction->isVisible());
    EXPECT_TRUE(form.printAction->isEnabled());
    EXPECT_EQ(form.plotControlWindow()->stationCombo->count(), 6);
}

TEST_F(SheetWindow, StationsWithoutAnyPositiveSpacingAreNotComposedByApply) {
    openColumnSample();
    const QString bad = writeFile("zero.ves", "Zu电法数据\n电测深 VES\n1\n7\n0 0\n测区\n2023\n野外\n测深\n2\n"
                                              "0 10\n-2 20\n0\n");
    form.openDataPath(bad, DataFileKind::Tagged);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "加载的数据文件没有电测深数据。");
    ASSERT_FALSE(form.sheet->stations.empty());
    const QImage shown = picture();
    form.plotControlWindow()->applyButton->click();
    EXPECT_EQ(picture(), shown);
}

TEST_F(SheetWindow, AConversionErrorEndsTheOpenLeavingPictureRangesAndCommands) {
    openTaggedSample();
    form.saved = true;
    const QImage shown = picture();
    const std::vector<bool> commands = commandStates();
    const float abMax = form.sheet->abMax;
    const float yLengthCm = form.sheet->yLengthCm;

    const QString bad = writeFile("bad.ves", "Zu电法数据\n测深VES\nx2\n");
    form.openDataPath(bad, DataFileKind::Tagged);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "'x2' is not a valid integer value");
    EXPECT_EQ(ui->messages[0].caption, "电测深曲线绘制系统");
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::Error);
    EXPECT_FALSE(form.saved);
    EXPECT_EQ(picture(), shown);
    EXPECT_EQ(commandStates(), commands);
    EXPECT_EQ(form.sheet->abMax, abMax);
    EXPECT_EQ(form.sheet->yLengthCm, yLengthCm);
    EXPECT_EQ(form.plotControlWindow()->stationCombo->count(), 4);
}

TEST_F(SheetWindow, AFileWhoseRangeWidensToInfinityLeavesTheSheetAndItsStatus) {
    openTaggedSample();
    form.saved = true;
    const QImage shown = picture();
    const std::vector<bool> commands = commandStates();
    const float yLengthCm = form.sheet->yLengthCm;

    const QString huge = writeFile("huge.ves", "Zu电法数据\n测深VES\n1\n7\n0 0\n测区\n2023\n野外\n测深\n2\n"
                                               "1.5 3.3e38\n20 30\n0\n");
    form.openDataPath(huge, DataFileKind::Tagged);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, rangeTooLargeMessage);
    EXPECT_TRUE(form.saved);
    EXPECT_EQ(picture(), shown);
    EXPECT_EQ(commandStates(), commands);
    EXPECT_EQ(form.sheet->yLengthCm, yLengthCm);
    EXPECT_EQ(form.plotControlWindow()->stationCombo->count(), 4);
}

TEST_F(SheetWindow, UntickingResistivityAndApplyingRemovesItsCurveAndLegendEntry) {
    openColumnSample();
    // Symbol 4 (filled circle) for RES, chosen on the symbol list standing on RES's row.
    form.plotControlWindow()->symbolList->setCurrentIndex(4);
    form.plotControlWindow()->onSymbolChosen();
    form.plotControlWindow()->applyButton->click();

    const SheetState& s = *form.sheet;
    const Curve& res = s.resCurve;
    ASSERT_GE(res.xPoints.size(), 2u);
    const QPoint point = pixelOf(res.x1 + res.xPoints[1], res.y1 + res.yPoints[1]);
    // First legend row: a box 75 x 25 units from 200 units left of the frame's right side and 50
    // units below its top; the filled symbol sits in the middle of the box.
    const QPoint sample = pixelOf(s.xLength - 200 + 37, s.yLength - 50 - 12);
    EXPECT_TRUE(inked(picture(), point.x(), point.y())) << "symbol on the curve";
    EXPECT_TRUE(inked(picture(), sample.x(), sample.y())) << "legend entry";

    form.plotControlWindow()->resCheck->setChecked(false);
    EXPECT_TRUE(inked(picture(), point.x(), point.y())) << "nothing changes until apply";
    form.plotControlWindow()->applyButton->click();
    EXPECT_FALSE(inked(picture(), point.x(), point.y()));
    EXPECT_FALSE(inked(picture(), sample.x(), sample.y()));
}

TEST_F(SheetWindow, DisplayModeCommandsRepaintOnlyWhenTheModeChanges) {
    openColumnSample();
    form.setStatusText(QStringLiteral("x"));
    form.onShowCurves();
    EXPECT_EQ(form.statusPanels[2]->text(), QStringLiteral("x"));
    form.onShowPolarity();
    EXPECT_TRUE(form.sheet->polarityMode);
    EXPECT_EQ(form.statusPanels[2]->text(), u("彩色极性图绘制成功."));
    form.setStatusText(QStringLiteral("y"));
    form.onShowPolarity();
    EXPECT_EQ(form.statusPanels[2]->text(), QStringLiteral("y"));
    form.onShowCurves();
    EXPECT_FALSE(form.sheet->polarityMode);
    EXPECT_EQ(form.statusPanels[2]->text(), u("剖面图绘制完成."));
    EXPECT_EQ(ui->waitDepth, 0);
}

TEST_F(SheetWindow, StationToolShowsAndHidesThePlotControlWindow) {
    openColumnSample();
    form.stationToolAction->trigger();
    EXPECT_TRUE(form.plotControlWindow()->isHidden());
    EXPECT_FALSE(form.stationToolAction->isChecked());
    form.stationToolAction->trigger();
    EXPECT_TRUE(form.plotControlWindow()->isVisible());
    EXPECT_TRUE(form.stationToolAction->isChecked());
    EXPECT_EQ(form.plotControlWindow()->x(), form.width() - form.plotControlWindow()->width() - 20);
    EXPECT_EQ(form.plotControlWindow()->y(), form.y() + 80);
}

TEST_F(SheetWindow, ClosingThePlotControlWindowHidesItAndReleasesTheStationTool) {
    openColumnSample();
    ASSERT_TRUE(form.stationToolAction->isChecked());
    EXPECT_TRUE(form.plotControlWindow()->close());
    EXPECT_TRUE(form.plotControlWindow()->isHidden());
    EXPECT_FALSE(form.stationToolAction->isChecked());
}

// Opened before the window has its final size (`vesplot FILE` before maximising), the plot
// control window follows the window's right edge until the user moves it.
TEST_F(SheetWindow, PlotControlWindowFollowsTheWindowUntilMoved) {
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved);
        form.setWindowState(Qt::WindowNoState);
        form.resize(700, 500);
        QCoreApplication::processEvents();
        openColumnSample();
        if (moved)
            form.plotControlWindow()->move(30, 40);
        const QPoint before = form.plotControlWindow()->pos();
        form.resize(1200, 800);
        QCoreApplication::processEvents();
        const QPoint placed(form.x() + 1200 - form.plotControlWindow()->width() - 20, form.y() + 80);
        EXPECT_EQ(form.plotControlWindow()->pos(), moved ? before : placed);
    }
}

// After an open that found no station, the axis commands say why they do nothing.
TEST_F(SheetWindow, AxisCommandsWithoutStationsSayWhy) {
    const std::vector<std::pair<const char*, std::function<void()>>> commands{
        {"x length", [this] { form.editing().onSetXLength(); }},
        {"y length", [this] { form.editing().onSetYLength(); }},
        {"axis click", [this] { form.editing().editAxis(3); }},
    };
    openColumnSample();
    form.openDataPath(writeFile("plain.dat", "样例\n剖面 数据\n1 2 3\n"), DataFileKind::Column);
    ASSERT_TRUE(form.sheet->stations.empty());
    for (const auto& [name, command] : commands) {
        form.setStatusText(QString());
        command();
        EXPECT_EQ(form.statusPanels[2]->text(), u("当前没有测点数据，无法设置坐标轴。")) << name;
        EXPECT_EQ(axisCalls, 0) << name;
        EXPECT_TRUE(ui->inputPrompts.empty()) << name;
    }
}

// The screen shows the sheet drawn smooth at the device pixel ratio, with the bitmap's geometry.
TEST_F(SheetWindow, TheScreenShowsTheSheetSmoothAtTheDevicePixelRatio) {
    openColumnSample();
    const QImage& bitmap = picture();
    const SheetState& s = *form.sheet;
    const QPoint bottomAxis = pixelOf(s.originX + s.xLength * 0.5, s.originY);
    ASSERT_TRUE(inked(bitmap, bottomAxis.x(), bottomAxis.y()));
    EXPECT_EQ(form.sheetImage->screenPicture().deviceIndependentSize(), QSizeF(bitmap.size()));
    for (const int ratio : {1, 2}) {
        const QImage smooth = form.smoothSheetImage(ratio);
        ASSERT_EQ(smooth.size(), bitmap.size() * ratio) << ratio;
        EXPECT_EQ(smooth.devicePixelRatio(), ratio);
        for (int d = 0; d < ratio; ++d)
            EXPECT_TRUE(inked(smooth, bottomAxis.x() * ratio, bottomAxis.y() * ratio + d)) << ratio;
        int greys = 0;
        for (int y = 0; y < smooth.height(); y += 2)
            for (int x = 0; x < smooth.width(); x += 2)
                greys += qGray(smooth.pixel(x, y)) > 40 && qGray(smooth.pixel(x, y)) < 215 ? 1 : 0;
        EXPECT_GT(greys, 50) << "antialiased text and lines at " << ratio;
    }
}

// A paper that grows is centred again; on a 1600-pixel-wide window the plot control window
// leaves the frame free.
TEST_F(SheetWindow, GrownPaperIsCentredAndThePlotControlWindowLeavesTheFrameFree) {
    form.setWindowState(Qt::WindowNoState);
    form.resize(1600, 900);
    QCoreApplication::processEvents();
    openColumnSample();
    const SheetState& s = *form.sheet;
    const QRect frame(form.sheetImage->mapToGlobal(pixelOf(s.originX, s.originY + s.yLength)),
                      form.sheetImage->mapToGlobal(pixelOf(s.originX + s.xLength, s.originY)));
    EXPECT_FALSE(form.plotControlWindow()->frameGeometry().intersects(frame));

    ui->queueInput("40");
    form.editing().onSetXLength();
    const QSize box = form.scrollArea->viewport()->size();
    ASSERT_GT(form.sheetImage->width(), box.width());
    EXPECT_EQ(form.sheetImage->pos(), MainWindow::centredImagePosition(box, form.sheetImage->size()));
}
