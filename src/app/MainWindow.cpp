#include "app/MainWindow.h"

#include <utility>

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QToolBar>
#include <QUrl>

#include "app/AboutDialog.h"
#include "app/FileCommands.h"
#include "app/InterpretationController.h"
#include "app/InterpretationPanel.h"
#include "app/OutputCommands.h"
#include "app/QtUi.h"
#include "app/SheetEditing.h"
#include "app/SheetImageWidget.h"
#include "core/Paths.h"

// Outside any namespace: the resource initialiser of the static library.
static void initAppResources() {
    Q_INIT_RESOURCE(vesplot);
}

namespace {

constexpr int glyphCount = 19;
constexpr int glyphSize = 16;

// Glyph files by image-list index.
const char* const glyphFiles[glyphCount] = {
    "open", "save",   "print", "polarity", "curves", "station", "yaxis", "title", "margin", "threshold",
    "pen",  "legend", "copy",  "refresh",  "zoomin", "zoomout", "help",  "xaxis", "export",
};

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QAction* item(QMenu* menu, const char* caption) {
    return menu->addAction(text(caption));
}

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), commandUi(std::make_unique<QtUi>(this)) {
    initAppResources();
    sheet = std::make_unique<SheetState>(uiRelay);
    openInBrowser = [](const QUrl& address) { return QDesktopServices::openUrl(address); };

    setWindowTitle(text("电测深曲线图"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vesplot.svg")));
    resize(737, 587);
    setWindowState(Qt::WindowMaximized);

    fileCommands = new FileCommands(*this, uiRelay, [this](const QString& path, DataFileKind kind) {
        return openDataAfterAsking(path, kind);
    });
    loadToolBarGlyphs();
    createMenus();
    createToolBar();

    scrollArea = new QScrollArea(this);
    scrollArea->setObjectName(QStringLiteral("ScrollBox1"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setWidgetResizable(false);
    scrollArea->setBackgroundRole(QPalette::Window);
    scrollContent = new QWidget;
    sheetImage = new SheetImageWidget(scrollContent);
    sheetImage->setObjectName(QStringLiteral("Image"));
    sheetImage->resize(972, 616);
    scrollArea->setWidget(scrollContent);
    scrollArea->viewport()->installEventFilter(this);
    // A ".dat" or ".ves" file dropped anywhere on the window is opened.
    setAcceptDrops(true);
    setCentralWidget(scrollArea);

    createSheetEditing();
    createOutputCommands();
    createStatusBar();
    applyInitialState();
}

MainWindow::~MainWindow() {
    // The plot control window (a child) outlives this body: it must not call back.
    if (plotControl) {
        plotControl->onApply = nullptr;
        plotControl->onHide = nullptr;
    }
}

void MainWindow::setUi(std::unique_ptr<Ui> replacement) {
    commandUi = std::move(replacement);
}

void MainWindow::loadToolBarGlyphs() {
    toolBarGlyphs.clear();
    for (const char* name : glyphFiles) {
        QImage glyph(glyphSize, glyphSize, QImage::Format_ARGB32_Premultiplied);
        glyph.fill(Qt::transparent);
        QSvgRenderer renderer(QStringLiteral(":/glyphs/%1.svg").arg(QLatin1String(name)));
        QPainter painter(&glyph);
        renderer.render(&painter);
        toolBarGlyphs.append(glyph);
    }
}

void MainWindow::createMenus() {
    createFileMenu();
    createGraphMenu();
    createEditMenu();
    createInterpretation();
    createHelpMenu();
    connectMenus();
    nameMenus();
}

void MainWindow::createFileMenu() {
    fileMenu = menuBar()->addMenu(text("文件(&F)"));
    openDataAction = item(fileMenu, "打开数据(&O)");
    openDataAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    saveBitmapAction = item(fileMenu, "保存图形(&S)");
    saveBitmapAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    exportAction = item(fileMenu, "导出图形(&E)...");
    fileSeparator1 = fileMenu->addSeparator();
    printerSetupAction = item(fileMenu, "打印机设置(&S)");
    printAction = item(fileMenu, "打印(&P)");
    fileSeparator2 = fileMenu->addSeparator();
    exitAction = item(fileMenu, "退出(&X)");
}

void MainWindow::createGraphMenu() {
    graphMenu = menuBar()->addMenu(text("图形(&G)"));
    polarityAction = item(graphMenu, "彩色极性图(&P)");
    curvesAction = item(graphMenu, "曲线图(&C)");
    graphSeparator1 = graphMenu->addSeparator();
    copyAction = item(graphMenu, "复制(&C)");
    refreshAction = item(graphMenu, "刷新(&R)");
    graphSeparator2 = graphMenu->addSeparator();
    zoomInAction = item(graphMenu, "放大图形(&I)");
    zoomOutAction = item(graphMenu, "缩小图形(&O)");
    graphMenu->addSeparator();
    sectionAction = item(graphMenu, "测线剖面图...");
    sectionAction->setEnabled(false); // until a file is loaded
    graphMenu->addSeparator();
    axisTitlesAction = item(graphMenu, "坐标轴标题");
    axisTitlesAction->setCheckable(true);
}

void MainWindow::createEditMenu() {
    editMenu = menuBar()->addMenu(text("编辑(&E)"));
    editTitleAction = item(editMenu, "修改图名(&T)");
    linePropertyAction = item(editMenu, "设置剖面线属性(&L)");
    setXLengthAction = item(editMenu, "设置x-长度");
    setYLengthAction = item(editMenu, "设置y-轴长度");
    editSeparator1 = editMenu->addSeparator();
    anomalyThresholdAction = item(editMenu, "设置异常阈值(&A)");
    editSeparator2 = editMenu->addSeparator();
    undoAction = item(editMenu, "撤销");
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction = item(editMenu, "重做");
    redoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    undoAction->setEnabled(false);
    redoAction->setEnabled(false);
}

void MainWindow::createHelpMenu() {
    // The Help menu belongs at the right end of the bar. A separator before it asks for that; the
    // styles that draw menu-bar separators honour it, the others (Fusion, Windows) keep it last.
    menuBar()->addSeparator();
    helpMenu = menuBar()->addMenu(text("帮助(&H)"));
    helpAction = item(helpMenu, "使用电测深曲线绘制程序(&C)");
    webAction = item(helpMenu, "从网上获得更多的信息");
    helpSeparator1 = helpMenu->addSeparator();
    aboutAction = item(helpMenu, "关于(&A)");
}

void MainWindow::connectMenus() {
    connect(openDataAction, &QAction::triggered, fileCommands, &FileCommands::onOpenData);
    connect(saveBitmapAction, &QAction::triggered, this, [this] { onSaveBitmap(); });
    connect(exitAction, &QAction::triggered, this, &MainWindow::onExit);
    connect(polarityAction, &QAction::triggered, this, &MainWindow::onShowPolarity);
    connect(curvesAction, &QAction::triggered, this, &MainWindow::onShowCurves);
    connect(sectionAction, &QAction::triggered, this, &MainWindow::onShowSection);
    connect(axisTitlesAction, &QAction::toggled, this, [this](bool shown) {
        sheet->axisTitles = shown;
        saved = false;
        redrawSheet();
    });
    connect(helpAction, &QAction::triggered, this, &MainWindow::onHelp);
    connect(webAction, &QAction::triggered, this, &MainWindow::onOpenWebSite);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::onAbout);
    // "刷新(&R)", "设置剖面线属性(&L)", "设置x-长度", "放大图形(&I)" and "缩小图形(&O)" run nothing.
}

void MainWindow::nameMenus() {
    // The component names of the menus and their items, for findChild and the help pages.
    const std::pair<QObject*, const char*> componentNames[] = {
        {fileMenu, "mnFile"},
        {openDataAction, "OpenData"},
        {saveBitmapAction, "mnSaveBmp"},
        {exportAction, "mnExport"},
        {fileSeparator1, "mnFileSep1"},
        {printerSetupAction, "mnPrinterSet"},
        {printAction, "mnPrint"},
        {fileSeparator2, "mnFileSep2"},
        {exitAction, "mnExit"},
        {graphMenu, "mnGraph"},
        {polarityAction, "mnFill"},
        {curvesAction, "mnLine"},
        {graphSeparator1, "mnGraphSep1"},
        {copyAction, "mnCopy"},
        {refreshAction, "mnRefresh"},
        {graphSeparator2, "mnGraphSep2"},
        {zoomInAction, "mnZoomIn"},
        {zoomOutAction, "mnZoomOut"},
        {sectionAction, "mnSection"},
        {editMenu, "mnEdit"},
        {editTitleAction, "mnTitle"},
        {linePropertyAction, "mnLineProperty"},
        {setXLengthAction, "mnSetXLen"},
        {setYLengthAction, "mnSetYLen"},
        {editSeparator1, "mnEditSep1"},
        {anomalyThresholdAction, "mnSetAbnormalThreshold"},
        {helpMenu, "mnHelpMenu"},
        {helpAction, "mnHelp"},
        {webAction, "mnWeb"},
        {helpSeparator1, "mnHelpSep1"},
        {aboutAction, "mnAbout"},
    };
    for (const auto& [object, name] : componentNames)
        object->setObjectName(QLatin1String(name));
}

void MainWindow::createInterpretation() {
    interpretationController =
        new InterpretationController(*this, *sheet, uiRelay, lastDataFile, *undoAction, *redoAction);
    InterpretationPanel* panel = interpretationController->modelPanel;
    // Once the dock has its geometry, the plot control window moves out of the panel's way.
    connect(panel, &QDockWidget::visibilityChanged, this, &MainWindow::followWithPlotControlWindow,
            Qt::QueuedConnection);
    connect(panel, &InterpretationPanel::controlsResized, this, &MainWindow::followWithPlotControlWindow,
            Qt::QueuedConnection);
    connect(interpretationController, &InterpretationController::sheetChanged, this,
            [this] { redrawSheet(); });
    connect(interpretationController, &InterpretationController::statusText, this,
            &MainWindow::setStatusText);
    connect(interpretationController, &InterpretationController::shownStationChanged, this,
            &MainWindow::updateWindowCaption);
}

void MainWindow::updateWindowCaption() {
    const std::optional<std::size_t> shown = interpretationController->shownStation();
    QString caption = text("电测深曲线图");
    if (shown && *shown < sheet->stations.size() && !lastDataFile.isEmpty())
        caption += text(" - %1 - 测点 %2")
                       .arg(QFileInfo(lastDataFile).fileName())
                       .arg(sheet->stations[*shown].stationNumber.front());
    setWindowTitle(caption);
}

void MainWindow::createSheetEditing() {
    sheetEditing = new SheetEditing(
        *this, *sheet, uiRelay, *sheetImage, *interpretationController, [this] { return choices(); },
        [this](bool relayout) { return repaintSheet(relayout); });
    connect(sheetEditing, &SheetEditing::edited, this, [this] { saved = false; });
    connect(sheetEditing, &SheetEditing::statusText, this, &MainWindow::setStatusText);
    connect(sheetEditing, &SheetEditing::legendShown, legendToolAction, &QAction::setChecked);
    connect(sheetImage, &SheetImageWidget::mouseDown, sheetEditing, &SheetEditing::onSheetImagePressed);
    connect(sheetImage, &SheetImageWidget::mouseMoved, sheetEditing, &SheetEditing::onSheetImageMoved);
    connect(sheetImage, &SheetImageWidget::mouseUp, sheetEditing, &SheetEditing::onSheetImageReleased);
    for (QAction* title : {editTitleAction, editTitleToolAction})
        connect(title, &QAction::triggered, sheetEditing, &SheetEditing::onEditTitle);
    for (QAction* yLength : {setYLengthAction, setYLengthToolAction})
        connect(yLength, &QAction::triggered, sheetEditing, &SheetEditing::onSetYLength);
    for (QAction* threshold : {anomalyThresholdAction, anomalyThresholdToolAction})
        connect(threshold, &QAction::triggered, sheetEditing, &SheetEditing::onSetAnomalyThreshold);
    connect(setXLengthToolAction, &QAction::triggered, sheetEditing, &SheetEditing::onSetXLength);
    connect(marginToolAction, &QAction::triggered, sheetEditing, &SheetEditing::onSetMargin);
    connect(linePenToolAction, &QAction::triggered, sheetEditing, &SheetEditing::onEditLinePen);
    connect(legendToolAction, &QAction::triggered, sheetEditing, &SheetEditing::onToggleLegend);
}

void MainWindow::createOutputCommands() {
    outputCommands = new OutputCommands(
        *this, *sheet, uiRelay, *sheetImage, lastDataFile, [this] { return choices(); },
        [this] { return sheetFooterText(); });
    connect(outputCommands, &OutputCommands::statusText, this, &MainWindow::setStatusText);
    for (QAction* exporting : {exportAction, exportToolAction})
        connect(exporting, &QAction::triggered, outputCommands, [this] { outputCommands->onExport(); });
    for (QAction* printing : {printAction, printToolAction})
        connect(printing, &QAction::triggered, outputCommands, &OutputCommands::onPrint);
    connect(printerSetupAction, &QAction::triggered, outputCommands, &OutputCommands::onPrinterSetup);
    for (QAction* copying : {copyAction, copyToolAction})
        connect(copying, &QAction::triggered, outputCommands, &OutputCommands::onCopy);
}

QString MainWindow::sheetFooterText() const {
    const std::optional<std::size_t> shown = interpretationController->shownStation();
    if (!shown || *shown >= sheet->stations.size() || lastDataFile.isEmpty())
        return {};
    return text("文件：%1    测点：%2    日期：%3")
        .arg(QFileInfo(lastDataFile).fileName())
        .arg(sheet->stations[*shown].stationNumber.front())
        .arg(QDate::currentDate().toString(Qt::ISODate));
}

void MainWindow::createToolBar() {
    mainToolBar = new QToolBar(this);
    mainToolBar->setObjectName(QStringLiteral("ToolBar1"));
    mainToolBar->setMovable(false);
    mainToolBar->setFloatable(false);
    mainToolBar->setIconSize(QSize(glyphSize, glyphSize));
    mainToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, mainToolBar);

    openDataToolAction = addToolButton("加载电测深数据", 0);
    saveBitmapToolAction = addToolButton("保存图形", 1);
    exportToolAction = addToolButton("导出图形", 18);
    toolSeparator1 = mainToolBar->addSeparator();
    printToolAction = addToolButton("打印处理图形", 2);
    toolSeparator2 = mainToolBar->addSeparator();
    polarityToolAction = addToolButton("显示极性图", 3, true);
    curvesToolAction = addToolButton("显示剖面观测数据曲线", 4, true);
    toolSeparator3 = mainToolBar->addSeparator();
    setXLengthToolAction = addToolButton("设置x-轴", 17);
    setYLengthToolAction = addToolButton("设置y-轴", 6);
    editTitleToolAction = addToolButton("修改图名", 7);
    marginToolAction = addToolButton("边框到图形距离", 8);
    anomalyThresholdToolAction = addToolButton("设置异常阈值", 9);
    linePenToolAction = addToolButton("设置线属性", 10);
    legendToolAction = addToolButton("显示/隐藏图例", 11, true);
    toolSeparator4 = mainToolBar->addSeparator();
    copyToolAction = addToolButton("拷贝图形", 12);
    refreshToolAction = addToolButton("刷新图形", 13);
    toolSeparator5 = mainToolBar->addSeparator();
    stationToolAction = addToolButton("测点选择工具", 5, true);
    stationToolAction->setText(text("测点工具"));
    stationToolAction->setToolTip(text("测点选择工具"));
    zoomInToolAction = addToolButton("放大图形", 14);
    zoomOutToolAction = addToolButton("缩小图形", 15);
    toolSeparator6 = mainToolBar->addSeparator();
    helpToolAction = addToolButton("如何使用?", 16);

    // The two display-mode buttons form one group: exactly one of them is down.
    displayModeGroup = new QActionGroup(this);
    displayModeGroup->setExclusive(true);
    displayModeGroup->addAction(polarityToolAction);
    displayModeGroup->addAction(curvesToolAction);
    curvesToolAction->setChecked(true);
    connectToolBar();
    nameToolBarButtons();
}

QAction* MainWindow::addToolButton(const char* hint, int glyph, bool check) {
    QAction* action = mainToolBar->addAction(QIcon(QPixmap::fromImage(toolBarGlyphs.at(glyph))), text(hint));
    action->setToolTip(text(hint));
    action->setCheckable(check);
    return action;
}

void MainWindow::connectToolBar() {
    connect(openDataToolAction, &QAction::triggered, fileCommands, &FileCommands::onOpenData);
    connect(saveBitmapToolAction, &QAction::triggered, this, [this] { onSaveBitmap(); });
    connect(polarityToolAction, &QAction::triggered, this, &MainWindow::onShowPolarity);
    connect(curvesToolAction, &QAction::triggered, this, &MainWindow::onShowCurves);
    connect(stationToolAction, &QAction::triggered, this, &MainWindow::onTogglePlotControl);
    connect(helpToolAction, &QAction::triggered, this, &MainWindow::onHelp);
    // refreshToolAction (refresh), zoomInToolAction and zoomOutToolAction (zoom) run nothing.
}

void MainWindow::nameToolBarButtons() {
    // The component names of the tool buttons, for findChild and the help pages.
    const std::pair<QAction*, const char*> componentNames[] = {
        {openDataToolAction, "ToolButton1"},   {saveBitmapToolAction, "ToolButton2"},
        {exportToolAction, "ToolButton19"},    {toolSeparator1, "ToolButtonS1"},
        {printToolAction, "ToolButton3"},      {toolSeparator2, "ToolButtonS2"},
        {polarityToolAction, "ToolButton4"},   {curvesToolAction, "ToolButton5"},
        {toolSeparator3, "ToolButtonS3"},      {setXLengthToolAction, "ToolButton6"},
        {setYLengthToolAction, "ToolButton7"}, {editTitleToolAction, "ToolButton8"},
        {marginToolAction, "ToolButton17"},    {anomalyThresholdToolAction, "ToolButton14"},
        {linePenToolAction, "ToolButton15"},   {legendToolAction, "ToolButton16"},
        {toolSeparator4, "ToolButtonS4"},      {copyToolAction, "ToolButton9"},
        {refreshToolAction, "ToolButton10"},   {toolSeparator5, "ToolButtonS5"},
        {stationToolAction, "ToolButton18"},   {zoomInToolAction, "ToolButton11"},
        {zoomOutToolAction, "ToolButton12"},   {toolSeparator6, "ToolButtonS6"},
        {helpToolAction, "ToolButton13"},
    };
    for (const auto& [action, name] : componentNames)
        action->setObjectName(QLatin1String(name));
}

void MainWindow::createStatusBar() {
    mainStatusBar = statusBar();
    mainStatusBar->setObjectName(QStringLiteral("StatusBar1"));
    mainStatusBar->setSizeGripEnabled(false);
    const int widths[] = {150, 100, 400, 50, 50};
    for (std::size_t i = 0; i < statusPanels.size(); ++i) {
        auto* panel = new QLabel(mainStatusBar);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setFixedWidth(widths[i]);
        mainStatusBar->addWidget(panel);
        statusPanels[i] = panel;
    }
    statusPanels[0]->setText(text("Zu电法数据处理软件"));
}

void MainWindow::applyInitialState() {
    // 1000 x 0.618 truncated, as the classic extended-precision product gives it (just below 618).
    constexpr int initialImageHeight = 617;
    sheetImage->setGeometry(0, 0, 1000, initialImageHeight);
    sheet->sheetWidthCm = 21.0f;
    sheet->sheetHeightCm = 29.7f;

    for (QAction* hidden : {saveBitmapToolAction,
                            exportToolAction,
                            printToolAction,
                            polarityToolAction,
                            curvesToolAction,
                            setXLengthToolAction,
                            setYLengthToolAction,
                            editTitleToolAction,
                            copyToolAction,
                            refreshToolAction,
                            zoomInToolAction,
                            zoomOutToolAction,
                            anomalyThresholdToolAction,
                            linePenToolAction,
                            legendToolAction,
                            marginToolAction,
                            toolSeparator1,
                            toolSeparator2,
                            toolSeparator3,
                            toolSeparator4,
                            toolSeparator5})
        hidden->setVisible(false);
    // The station tool button is hidden by design until data is shown.
    stationToolAction->setVisible(false);
    for (QAction* disabled : {saveBitmapAction, exportAction, printAction, polarityAction, curvesAction,
                              setXLengthAction, setYLengthAction, editTitleAction, copyAction, refreshAction,
                              zoomInAction, zoomOutAction, anomalyThresholdAction, linePropertyAction})
        disabled->setEnabled(false);
    // Items that the design never shows.
    for (QAction* hidden : {polarityAction, curvesAction, graphSeparator1, graphSeparator2, zoomInAction,
                            zoomOutAction, linePropertyAction, editSeparator1, anomalyThresholdAction})
        hidden->setVisible(false);

    // The Help menu stays the last one on the bar (createMenus): Qt has no right-justified menu.

    setStatusText(text("为绘制电法数据剖面图，请加载数据！"));
}

void MainWindow::setStatusText(const QString& message) {
    statusPanels[2]->setText(message);
    mainStatusBar->repaint();
}

QString MainWindow::helpFile() const {
    return QString::fromStdString(helpFolderFor(QCoreApplication::applicationDirPath().toStdString())) +
           QStringLiteral("index.html");
}

QPoint MainWindow::centredImagePosition(QSize box, QSize image) {
    const int left = image.width() > box.width() ? 0 : static_cast<int>((box.width() - image.width()) * 0.5);
    const int top =
        image.height() > box.height() ? 0 : static_cast<int>((box.height() - image.height()) * 0.5);
    return {left, top};
}

void MainWindow::onScrollAreaResized() {
    const QSize box = scrollArea->viewport()->size();
    sheetImage->move(centredImagePosition(box, sheetImage->size()));
    followWithPlotControlWindow();
    // The scrolled area is the image where it is larger than the box.
    scrollContent->resize(std::max(box.width(), sheetImage->x() + sheetImage->width()),
                          std::max(box.height(), sheetImage->y() + sheetImage->height()));
    scrollArea->viewport()->update();
    sheetImage->update();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollArea->viewport() && event->type() == QEvent::Resize)
        onScrollAreaResized();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce) {
        shownOnce = true;
        showFirstTime();
    }
}

void MainWindow::showFirstTime() {
    createPlotControlWindow();
    // The blank paper until a file is loaded.
    redrawSheet();
}

void MainWindow::createPlotControlWindow() {
    if (plotControl)
        return;
    // A floating tool window above the main window, hidden until the first open.
    auto* form = new PlotControlWindow(this);
    form->setObjectName(QStringLiteral("PlotControlForm"));
    form->hide();
    form->onApply = [this] { rebuildSheet(); };
    form->onHide = [this] { stationToolAction->setChecked(false); };
    plotControl = form;
}

bool MainWindow::queryClose() {
    // Models are work too: asked about first, saved all together.
    if (!interpretationController->askToSaveModels())
        return false;
    if (saved)
        return true;
    switch (
        ui().messageBox("是否保存已经绘制的剖面图?", "提示...", MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgResult::Yes:
        // A save that is cancelled or fails keeps the window open: nothing is lost silently.
        return onSaveBitmap();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closed while the stations are fitted: the fit stops at its next report, and the close is run
    // again once it is back, so that nothing keeps running without a window.
    if (interpretationController->fitRunning()) {
        interpretationController->closeWhenFitEnds();
        event->ignore();
        return;
    }
    if (!queryClose()) {
        event->ignore();
        return;
    }
    event->accept();
    if (plotControl)
        plotControl->hide();
}

bool MainWindow::onSaveBitmap() {
    if (saved) {
        ui().messageBox("绘制的剖面图已经保存为位图文件。", "警告", MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    if (!fileCommands->saveBitmap(sheetImage->picture(), lastDataFile))
        return false;
    saved = true;
    return true;
}

void MainWindow::onExit() {
    close();
}

void MainWindow::onHelp() {
    if (!openInBrowser(QUrl::fromLocalFile(helpFile())))
        ui().messageBox("无法打开浏览器。帮助文件在:\n" + QDir::toNativeSeparators(helpFile()).toStdString(),
                        applicationTitle, MsgButtons::Ok, MsgIcon::Information);
}

void MainWindow::onOpenWebSite() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(webAddress)));
}

void MainWindow::onAbout() {
    AboutDialog about(this);
    about.setWindowTitle(text("关于电法剖面图绘制..."));
    about.exec();
}
