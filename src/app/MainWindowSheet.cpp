// The sheet view of the main window, the showing of an opened data file and the display-mode commands.
#include "app/MainWindow.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollArea>

#include "app/FileCommands.h"
#include "app/InterpretationController.h"
#include "app/InterpretationPanel.h"
#include "app/SectionWindow.h"
#include "app/SheetImageWidget.h"
#include "core/ConversionError.h"
#include "core/Gbk.h"
#include "core/Ui.h"
#include "render/QtCanvas.h"
#include "render/SheetBitmap.h"
#include "sheet/Composer.h"
#include "sheet/SheetView.h"
#include "sheet/StationSounding.h"

namespace {

// Width of status panel 1 before its first note.
constexpr int statusNoteMinWidth = 100;

} // namespace

PlotChoices MainWindow::choices() const {
    return plotControl ? plotControl->drawingChoices() : PlotChoices{};
}

int MainWindow::screenDpiX() const {
    return sheetImage->logicalDpiX();
}

int MainWindow::screenDpiY() const {
    return sheetImage->logicalDpiY();
}

bool MainWindow::redrawSheet() {
    return repaintSheet(false);
}

bool MainWindow::relayoutAndRedrawSheet() {
    return repaintSheet(true);
}

bool MainWindow::repaintSheet(bool relayout) {
    const int dpiX = screenDpiX();
    const int dpiY = screenDpiY();
    const BitmapSize size = prepareSheetBitmap(*sheet, dpiX, dpiY);
    if (size.width <= 0 || size.height <= 0 || size.width > maxBitmapSide || size.height > maxBitmapSide) {
        ui().messageBox("注意:\n\t图纸太大，无法在屏幕上绘制！", "警告", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    QImage picture = makeSheetBitmap(size.width, size.height, QtCanvas::toQColor(colors::systemWindow).rgb());
    if (picture.isNull()) {
        ui().messageBox("注意:\n\t内存不足，无法绘制图形！", "警告", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    picture.setDotsPerMeterX(static_cast<int>(dpiX / 0.0254 + 0.5));
    picture.setDotsPerMeterY(static_cast<int>(dpiY / 0.0254 + 0.5));
    if (relayout)
        relayoutSheet();
    {
        QPainter painter(&picture);
        QtCanvas canvas(painter, dpiX, dpiY);
        // Before the first open the paper stays blank; only the mapping of the clicks is set.
        if (sheetLoaded)
            paintSheet(*sheet, choices(), canvas, size.width, size.height, ui());
        else
            applySheetMapping(*sheet, canvas, size.width, size.height);
    }
    // A paper of another size is centred again in the scroll box.
    sheetImage->setPicture(picture);
    sheetImage->setScreenPicture(smoothSheetImage(sheetImage->devicePixelRatioF()));
    onScrollAreaResized();
    return true;
}

QImage MainWindow::smoothSheetImage(qreal ratio) {
    const QImage& bitmap = sheetImage->picture();
    ratio = std::max<qreal>(1.0, ratio);
    const QSize size = (QSizeF(bitmap.size()) * ratio).toSize();
    if (bitmap.isNull() || size.width() > maxBitmapSide || size.height() > maxBitmapSide)
        return {};
    QImage image =
        makeSheetBitmap(size.width(), size.height(), QtCanvas::toQColor(colors::systemWindow).rgb());
    if (image.isNull())
        return {};
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(bitmap.dotsPerMeterX());
    image.setDotsPerMeterY(bitmap.dotsPerMeterY());
    QPainter painter(&image);
    QtCanvas canvas(painter, screenDpiX(), screenDpiY(), QtCanvas::Rendering::Smooth);
    if (sheetLoaded)
        paintSheet(*sheet, choices(), canvas, bitmap.width(), bitmap.height(), ui());
    return image;
}

void MainWindow::relayoutSheet() {
    SheetState& s = *sheet;
    const double w = s.xLength;
    const double h = s.yLength;
    const double x0 = s.originX;
    const double y0 = s.originY;

    TextItem& title = s.titleText;
    title.x1 = static_cast<float>(x0 + w * 0.5 - gbkByteLength(title.text) * title.font.width * 0.5);
    title.y1 = static_cast<float>(y0 + h + s.titleGapCm * 100.0);

    const auto place = [](Axis& axis, double ax1, double ay1, double ax2, double ay2, double grid, float min,
                          float max) {
        axis.x1 = static_cast<float>(ax1);
        axis.y1 = static_cast<float>(ay1);
        axis.x2 = static_cast<float>(ax2);
        axis.y2 = static_cast<float>(ay2);
        axis.gridLength = static_cast<float>(grid);
        axis.rangeMin = min;
        axis.rangeMax = max;
    };
    place(s.topAxis, x0, y0 + h, x0 + w, y0 + h, h, s.abMin, s.abMax);
    place(s.leftAxis, x0, y0, x0, y0 + h, w, s.rhoMin, s.rhoMax);
    place(s.bottomAxis, x0, y0, x0 + w, y0, h, s.abMin, s.abMax);
    place(s.rightAxis, x0 + w, y0, x0 + w, y0 + h, w, s.ipMin, s.ipMax);

    for (Curve* curve : {&s.resCurve, &s.m1Curve, &s.rCurve, &s.tdCurve, &s.thCurve, &s.zpCurve}) {
        const Axis& yAxis = curve == &s.resCurve ? s.leftAxis : s.rightAxis;
        curve->xLength = s.xLength;
        curve->yLength = s.yLength;
        curve->xMin = s.bottomAxis.rangeMin;
        curve->xMax = s.bottomAxis.rangeMax;
        curve->yMin = yAxis.rangeMin;
        curve->yMax = yAxis.rangeMax;
        for (const std::string& warning : curve->computePoints())
            s.ui.showMessage(warning);
    }
    resetBadAxisRanges(s);
}

void MainWindow::rebuildSheet() {
    // Nothing to compose from: an open without stations left the selector's old entries behind.
    if (!composeSheet(*sheet, choices()))
        return;
    interpretationController->showStation(choices().stationIndex);
    saved = false;
    redrawSheet();
}

void MainWindow::showConversionError(const std::string& message) {
    ui().messageBox(message, applicationTitle, MsgButtons::Ok, MsgIcon::Error);
}

bool MainWindow::openDataAfterAsking(const QString& path, DataFileKind kind) {
    // A new file takes the place of every station's model.
    if (!interpretationController->askToSaveModels())
        return false;
    openDataPath(path, kind);
    return true;
}

void MainWindow::openDataPath(const QString& path, DataFileKind kind) {
    const QScopedValueRollback<bool> opening(openingData, true);
    createPlotControlWindow();
    const bool savedBefore = saved;
    saved = false;
    // With the station entries: an open without stations keeps them.
    PlotChoices picked = plotControl->choices();
    OpenOutcome outcome = OpenOutcome::NoStations;
    DataQuality quality;
    // The next open dialog starts where this file is.
    fileCommands->followOpenedFile(path);
    try {
        outcome =
            openDataFile(*sheet, picked, std::filesystem::path(path.toStdU16String()), kind, ui(), &quality);
    } catch (const ConversionError& error) {
        // A number in the file that is no number: the command ends, the picture stays.
        showConversionError(error.what());
        interpretationController->reset(-1);
        return;
    } catch (const std::bad_alloc&) {
        ui().messageBox(outOfMemoryMessage, "错误", MsgButtons::Ok, MsgIcon::Error);
        saved = savedBefore;
        return;
    }
    // Cancelled while reading: the previous sheet and stations stay, and nothing is said.
    // Values that cannot be drawn were refused before anything changed: the sheet and its status stay.
    if (outcome == OpenOutcome::Cancelled || outcome == OpenOutcome::RangeTooLarge) {
        saved = savedBefore;
        return;
    }
    lastDataFile = path;
    // After a large file the steps below take tens of milliseconds each (the pass over the points and
    // the freeing of the previous stations just done, the station entries, the redraw): the window
    // repaints between them instead of freezing for their sum. Input stays held back until the end.
    ui().processPendingMessages();
    // Also without stations the boxes the file kind allows reach the window. The previous file's
    // stations are gone: what was drawn from them, their models and the station entries go too, so
    // that the screen and the commands agree.
    if (outcome == OpenOutcome::NoStations) {
        picked.stationItems.clear();
        picked.stationIndex = -1;
        picked.visible = false;
        plotControl->applyChoices(picked);
        interpretationController->reset(-1);
        clearDrawnSheet();
        return;
    }
    interpretationController->reset(picked.stationIndex);
    showQualityNote(quality);
    sheetLoaded = true;

    stationToolAction->setVisible(true);
    stationToolAction->setChecked(true);
    placePlotControlWindow();
    plotControl->applyChoices(picked);
    plotControl->raise();
    ui().processPendingMessages();

    redrawSheet();
    setStatusText(QString::fromUtf8("数据剖面图绘制成功。"));
    ui().processPendingMessages();
    // An open section window follows the file loaded (a model section only when asked for).
    if (sectionWindow && sectionWindow->isVisible())
        sectionWindow->followFile(sheet->stations, std::filesystem::path(lastDataFile.toStdU16String()));

    if (!saveBitmapToolAction->isVisible())
        switchOnAfterLoadCommands();
}

void MainWindow::showQualityNote(const DataQuality& quality) {
    const QString note = FileCommands::qualityNote(quality);
    // The panel grows to its note, and gives way down to its first width in a narrow window (the
    // note is then cut off rather than drawn under the next panel).
    QLabel* notePanel = statusPanels[1];
    notePanel->setMinimumWidth(statusNoteMinWidth);
    notePanel->setMaximumWidth(
        std::max(statusNoteMinWidth, notePanel->fontMetrics().horizontalAdvance(note) + 12));
    notePanel->setText(note);
    notePanel->setToolTip(note);
}

void MainWindow::switchOnAfterLoadCommands() {
    showAfterLoadCommands(true);
}

void MainWindow::showAfterLoadCommands(bool shown) {
    // The same commands come with a loaded sheet and go with it.
    for (QAction* tool : {saveBitmapToolAction, exportToolAction, printToolAction, setXLengthToolAction,
                          setYLengthToolAction, editTitleToolAction, copyToolAction, refreshToolAction,
                          legendToolAction, toolSeparator1, toolSeparator2, toolSeparator4, toolSeparator5})
        tool->setVisible(shown);
    for (QAction* command :
         {saveBitmapAction, exportAction, printAction, curvesAction, setXLengthAction, setYLengthAction,
          editTitleAction, copyAction, refreshAction, linePropertyAction, sectionAction})
        command->setEnabled(shown);
}

void MainWindow::clearDrawnSheet() {
    sheetLoaded = false;
    redrawSheet();
    statusPanels[1]->clear();
    statusPanels[1]->setToolTip(QString());
    setStatusText(QString::fromUtf8("为绘制电法数据剖面图，请加载数据！"));
    stationToolAction->setChecked(false);
    stationToolAction->setVisible(false);
    showAfterLoadCommands(false);
    if (sectionWindow) {
        sectionWindow->setStations({}, {});
        sectionWindow->hide();
    }
}

void MainWindow::placePlotControlWindow() {
    // Inside the right edge of the main window, below its tool bar (screen coordinates). With the
    // layered-model panel docked there, in the panel's free space under its own controls, so that it
    // hides neither the model table nor the sheet.
    QPoint at(x() + width() - plotControl->width() - 20, y() + 80);
    const InterpretationPanel* modelPanel = interpretationController->modelPanel;
    if (modelPanel->isVisible() && !modelPanel->isFloating() && modelPanel->widget()) {
        const QRect panel(modelPanel->mapToGlobal(QPoint(0, 0)), modelPanel->size());
        const int below = panel.top() + modelPanel->widget()->sizeHint().height() + 20;
        const int frameHeight = plotControl->frameGeometry().height();
        const int frameWidth = plotControl->frameGeometry().width();
        if (below + frameHeight <= panel.bottom()) {
            at = QPoint(panel.right() - frameWidth - 20, below);
        } else {
            // No room under a tall panel (many layers, a smooth model): beside it, over the sheet's edge,
            // never over the panel's table and buttons.
            at = QPoint(panel.left() - frameWidth - 10, panel.top());
        }
    }
    plotControl->move(at);
    plotControlPlacedAt = plotControl->pos();
}

void MainWindow::followWithPlotControlWindow() {
    // The plot control window follows the window it was placed in (a maximised start, `vesplot
    // FILE`, the model panel docked or closed), until the user moves it.
    if (plotControl && plotControl->isVisible() && plotControl->pos() == plotControlPlacedAt)
        placePlotControlWindow();
}

void MainWindow::onTogglePlotControl() {
    createPlotControlWindow();
    const bool visible = plotControl->isHidden();
    plotControl->setVisible(visible);
    stationToolAction->setChecked(visible);
    placePlotControlWindow();
    plotControl->update();
}

void MainWindow::onShowPolarity() {
    if (sheet->polarityMode)
        return;
    setStatusText(QString::fromUtf8("正在绘制彩色极性图."));
    sheet->polarityMode = true;
    redrawSheet();
    setStatusText(QString::fromUtf8("彩色极性图绘制成功."));
}

void MainWindow::onShowCurves() {
    if (!sheet->polarityMode)
        return;
    setStatusText(QString::fromUtf8("正在绘制剖面图."));
    sheet->polarityMode = false;
    ui().beginWaitCursor();
    redrawSheet();
    ui().endWaitCursor();
    setStatusText(QString::fromUtf8("剖面图绘制完成."));
}

void MainWindow::onShowSection() {
    if (sheet->stations.empty())
        return;
    if (!sectionWindow) {
        sectionWindow = new SectionWindow([this]() -> Ui& { return ui(); }, this);
        // A station clicked in the section is chosen and shown as the plot control window's apply would.
        sectionWindow->onStationChosen = [this](std::size_t index) {
            if (!plotControl || index >= static_cast<std::size_t>(plotControl->stationCombo->count()))
                return;
            plotControl->stationCombo->setCurrentIndex(static_cast<int>(index));
            rebuildSheet();
            if (const std::optional<StationModel> fitted = sectionWindow->fittedModel(index))
                interpretationController->adoptSectionModel(index, *fitted, sectionWindow->fittedJointly());
        };
        // The model section draws the stations interpreted here with their own models.
        sectionWindow->knownModel = [this](std::size_t index) {
            return interpretationController->sectionModelOf(index);
        };
    }
    sectionWindow->setStations(sheet->stations, std::filesystem::path(lastDataFile.toStdU16String()));
    sectionWindow->show();
    sectionWindow->raise();
    sectionWindow->refresh();
}
