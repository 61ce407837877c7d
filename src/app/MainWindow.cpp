#include "app/MainWindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QToolBar>
#include <QUrl>

#include "app/AboutDialog.h"
#include "app/QtUi.h"
#include "app/SheetImageWidget.h"
#include "core/Paths.h"
#include "dialogs/AxisDialog.h"
#include "dialogs/PenDialog.h"
#include "dialogs/TitleDialog.h"

MainWindow* ChildForm = nullptr;
PlotControlWindow* PlotControlForm = nullptr;

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

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), commandUi(std::make_unique<QtUi>(this)) {
    initAppResources();
    if (!ChildForm)
        ChildForm = this;
    sheet = std::make_unique<SheetState>(uiRelay);
    titleDialog = [this](TText& title, float& titleGapCm) {
        return TitleDialog::editTitle(this, title, titleGapCm);
    };
    axisDialog = [this](TAxis& axis, const QString& caption, float* limitMin, float* limitMax) {
        return AxisDialog::editSheetAxis(this, axis, caption, limitMin, limitMax);
    };
    penDialog = [this](Pen& pen) { return PenDialog::editPen(this, pen); };

    setWindowTitle(text("电测深曲线图"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/vesplot.svg")));
    resize(737, 587);
    setWindowState(Qt::WindowMaximized);

    loadChildImageList();
    createMenus();
    createToolBar();

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setBackgroundRole(QPalette::Window);
    ScrollContent = new QWidget;
    Image = new SheetImageWidget(ScrollContent);
    Image->setObjectName(QStringLiteral("Image"));
    Image->resize(972, 616);
    ScrollBox1->setWidget(ScrollContent);
    ScrollBox1->viewport()->installEventFilter(this);
    // A ".dat" or ".ves" file dropped anywhere on the window is opened.
    setAcceptDrops(true);
    setCentralWidget(ScrollBox1);
    connect(Image, &SheetImageWidget::mouseDown, this, &MainWindow::ImageMouseDown);

    createStatusBar();
    createDialogs();
    FormCreate();
}

MainWindow::~MainWindow() {
    if (PlotControlForm && PlotControlForm->parent() == this)
        PlotControlForm = nullptr;
    if (ChildForm == this)
        ChildForm = nullptr;
    // The plot control window (a child) outlives this body: it must not call back.
    if (auto* form = findChild<PlotControlWindow*>()) {
        form->onApply = nullptr;
        form->onHide = nullptr;
    }
}

void MainWindow::setUi(std::unique_ptr<Ui> replacement) {
    commandUi = std::move(replacement);
}

void MainWindow::loadChildImageList() {
    ChildImageList.clear();
    for (const char* name : glyphFiles) {
        QImage glyph(glyphSize, glyphSize, QImage::Format_ARGB32_Premultiplied);
        glyph.fill(Qt::transparent);
        QSvgRenderer renderer(QStringLiteral(":/glyphs/%1.svg").arg(QLatin1String(name)));
        QPainter painter(&glyph);
        renderer.render(&painter);
        ChildImageList.append(glyph);
    }
}

void MainWindow::createMenus() {
    auto item = [this](QMenu* menu, const char* caption) {
        QAction* action = menu->addAction(text(caption));
        return action;
    };

    mnFile = menuBar()->addMenu(text("文件(&F)"));
    OpenData = item(mnFile, "打开数据(&O)");
    OpenData->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnSaveBmp = item(mnFile, "保存图形(&S)");
    mnSaveBmp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnExport = item(mnFile, "导出图形(&E)...");
    mnFileSep1 = mnFile->addSeparator();
    mnPrinterSet = item(mnFile, "打印机设置(&S)");
    mnPrint = item(mnFile, "打印(&P)");
    mnFileSep2 = mnFile->addSeparator();
    mnExit = item(mnFile, "退出(&X)");

    mnGraph = menuBar()->addMenu(text("图形(&G)"));
    mnFill = item(mnGraph, "彩色极性图(&P)");
    mnLine = item(mnGraph, "曲线图(&C)");
    mnGraphSep1 = mnGraph->addSeparator();
    mnCopy = item(mnGraph, "复制(&C)");
    mnRefresh = item(mnGraph, "刷新(&R)");
    mnGraphSep2 = mnGraph->addSeparator();
    mnZoomIn = item(mnGraph, "放大图形(&I)");
    mnZoomOut = item(mnGraph, "缩小图形(&O)");

    mnEdit = menuBar()->addMenu(text("编辑(&E)"));
    mnTitle = item(mnEdit, "修改图名(&T)");
    mnLineProperty = item(mnEdit, "设置剖面线属性(&L)");
    mnSetXLen = item(mnEdit, "设置x-长度");
    mnSetYLen = item(mnEdit, "设置y-轴长度");
    mnEditSep1 = mnEdit->addSeparator();
    mnSetAbnormalThreshold = item(mnEdit, "设置异常阈值(&A)");

    // The Help menu belongs at the right end of the bar; QMenuBar cannot right-justify one menu,
    // so it is the last menu (FormCreate).
    mnHelpMenu = menuBar()->addMenu(text("帮助(&H)"));
    mnHelp = item(mnHelpMenu, "使用电测深曲线绘制程序(&C)");
    mnWeb = item(mnHelpMenu, "从网上获得更多的信息");
    mnHelpSep1 = mnHelpMenu->addSeparator();
    mnAbout = item(mnHelpMenu, "关于(&A)");

    connect(OpenData, &QAction::triggered, this, &MainWindow::OpenDataExecute);
    connect(mnSaveBmp, &QAction::triggered, this, [this] { mnSaveBmpClick(); });
    connect(mnExport, &QAction::triggered, this, [this] { mnExportClick(); });
    connect(mnPrinterSet, &QAction::triggered, this, &MainWindow::mnPrinterSetClick);
    connect(mnPrint, &QAction::triggered, this, &MainWindow::tbPrintClick);
    connect(mnExit, &QAction::triggered, this, &MainWindow::mnExitClick);
    connect(mnFill, &QAction::triggered, this, &MainWindow::tbFillClick);
    connect(mnLine, &QAction::triggered, this, &MainWindow::tbLineClick);
    connect(mnCopy, &QAction::triggered, this, &MainWindow::tbCopyClick);
    connect(mnTitle, &QAction::triggered, this, &MainWindow::TitleClick);
    connect(mnSetYLen, &QAction::triggered, this, &MainWindow::mnSetYLenClick);
    connect(mnSetAbnormalThreshold, &QAction::triggered, this, &MainWindow::ToolButton14Click);
    connect(mnHelp, &QAction::triggered, this, &MainWindow::mnHelpClick);
    connect(mnWeb, &QAction::triggered, this, &MainWindow::mnWebClick);
    connect(mnAbout, &QAction::triggered, this, &MainWindow::mnAboutClick);
    // "刷新(&R)", "设置剖面线属性(&L)", "设置x-长度", "放大图形(&I)" and "缩小图形(&O)" run nothing.
}

void MainWindow::createToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(glyphSize, glyphSize));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    auto button = [this](const char* hint, int glyph, bool check = false) {
        QAction* action =
            ToolBar1->addAction(QIcon(QPixmap::fromImage(ChildImageList.at(glyph))), text(hint));
        action->setToolTip(text(hint));
        action->setCheckable(check);
        return action;
    };

    ToolButton1 = button("加载电测深数据", 0);
    ToolButton2 = button("保存图形", 1);
    ToolButton19 = button("导出图形", 18);
    ToolButtonS1 = ToolBar1->addSeparator();
    ToolButton3 = button("打印处理图形", 2);
    ToolButtonS2 = ToolBar1->addSeparator();
    ToolButton4 = button("显示极性图", 3, true);
    ToolButton5 = button("显示剖面观测数据曲线", 4, true);
    ToolButtonS3 = ToolBar1->addSeparator();
    ToolButton6 = button("设置x-轴", 17);
    ToolButton7 = button("设置y-轴", 6);
    ToolButton8 = button("修改图名", 7);
    ToolButton17 = button("边框到图形距离", 8);
    ToolButton14 = button("设置异常阈值", 9);
    ToolButton15 = button("设置线属性", 10);
    ToolButton16 = button("显示/隐藏图例", 11, true);
    ToolButtonS4 = ToolBar1->addSeparator();
    ToolButton9 = button("拷贝图形", 12);
    ToolButton10 = button("刷新图形", 13);
    ToolButtonS5 = ToolBar1->addSeparator();
    ToolButton18 = button("测点选择工具", 5, true);
    ToolButton18->setText(text("测点工具"));
    ToolButton18->setToolTip(text("测点选择工具"));
    ToolButton11 = button("放大图形", 14);
    ToolButton12 = button("缩小图形", 15);
    ToolButtonS6 = ToolBar1->addSeparator();
    ToolButton13 = button("如何使用?", 16);

    // The two display-mode buttons form one group: exactly one of them is down.
    displayModeGroup = new QActionGroup(this);
    displayModeGroup->setExclusive(true);
    displayModeGroup->addAction(ToolButton4);
    displayModeGroup->addAction(ToolButton5);
    ToolButton5->setChecked(true);

    connect(ToolButton1, &QAction::triggered, this, &MainWindow::OpenDataExecute);
    connect(ToolButton2, &QAction::triggered, this, [this] { mnSaveBmpClick(); });
    connect(ToolButton19, &QAction::triggered, this, [this] { mnExportClick(); });
    connect(ToolButton3, &QAction::triggered, this, &MainWindow::tbPrintClick);
    connect(ToolButton4, &QAction::triggered, this, &MainWindow::tbFillClick);
    connect(ToolButton5, &QAction::triggered, this, &MainWindow::tbLineClick);
    connect(ToolButton6, &QAction::triggered, this, &MainWindow::ToolButton6Click);
    connect(ToolButton7, &QAction::triggered, this, &MainWindow::mnSetYLenClick);
    connect(ToolButton8, &QAction::triggered, this, &MainWindow::TitleClick);
    connect(ToolButton17, &QAction::triggered, this, &MainWindow::ToolButton17Click);
    connect(ToolButton14, &QAction::triggered, this, &MainWindow::ToolButton14Click);
    connect(ToolButton15, &QAction::triggered, this, &MainWindow::ToolButton15Click);
    connect(ToolButton16, &QAction::triggered, this, &MainWindow::ToolButton16Click);
    connect(ToolButton9, &QAction::triggered, this, &MainWindow::tbCopyClick);
    connect(ToolButton18, &QAction::triggered, this, &MainWindow::ToolButton18Click);
    connect(ToolButton13, &QAction::triggered, this, &MainWindow::mnHelpClick);
    // ToolButton10 (refresh), ToolButton11 and ToolButton12 (zoom) run nothing.
}

void MainWindow::createStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const int widths[] = {150, 100, 400, 50, 50};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setFixedWidth(widths[i]);
        StatusBar1->addWidget(panel);
        StatusPanels[i] = panel;
    }
    StatusPanels[0]->setText(text("Zu电法数据处理软件"));
}

void MainWindow::createDialogs() {
    OpenDialog = new QFileDialog(this, text("打开数据文件"));
    OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog->setFileMode(QFileDialog::ExistingFile);
    // Filter 1 is the column data file, filter 2 the tagged sounding file.
    OpenDialog->setNameFilters({text("Dat格式文件(*.dat)"), text("VES格式文件(*.ves)")});

    SaveDialog = new QFileDialog(this, text("保存平面剖面图为"));
    SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setFileMode(QFileDialog::AnyFile);
    SaveDialog->setNameFilters({text("位图文件(*.bmp)")});
    SaveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);

    ExportDialog = new QFileDialog(this, text("导出图形"));
    ExportDialog->setObjectName(QStringLiteral("ExportDialog"));
    ExportDialog->setAcceptMode(QFileDialog::AcceptSave);
    ExportDialog->setFileMode(QFileDialog::AnyFile);
    ExportDialog->setNameFilters(
        {QStringLiteral("PDF (*.pdf)"), QStringLiteral("SVG (*.svg)"), QStringLiteral("PNG (*.png)")});
    ExportDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    // A name typed without extension takes the one of the chosen type.
    ExportDialog->setDefaultSuffix(QStringLiteral("pdf"));
    connect(ExportDialog, &QFileDialog::filterSelected, ExportDialog,
            [dialog = ExportDialog](const QString& filter) {
                dialog->setDefaultSuffix(filter.section(QLatin1Char('.'), 1).chopped(1));
            });
}

void MainWindow::FormCreate() {
    // 1000 x 0.618 truncated, as the classic extended-precision product gives it (just below 618).
    constexpr int initialImageHeight = 617;
    Image->setGeometry(0, 0, 1000, initialImageHeight);
    sheet->sheetWidthCm = 21.0f;
    sheet->sheetHeightCm = 29.7f;

    for (QAction* hidden :
         {ToolButton2,  ToolButton19, ToolButton3,  ToolButton4,  ToolButton5,  ToolButton6,  ToolButton7,
          ToolButton8,  ToolButton9,  ToolButton10, ToolButton11, ToolButton12, ToolButton14, ToolButton15,
          ToolButton16, ToolButton17, ToolButtonS1, ToolButtonS2, ToolButtonS3, ToolButtonS4, ToolButtonS5})
        hidden->setVisible(false);
    // The station tool button is hidden by design until data is shown.
    ToolButton18->setVisible(false);
    for (QAction* disabled : {mnSaveBmp, mnExport, mnPrint, mnFill, mnLine, mnSetXLen, mnSetYLen, mnTitle,
                              mnCopy, mnRefresh, mnZoomIn, mnZoomOut, mnSetAbnormalThreshold, mnLineProperty})
        disabled->setEnabled(false);
    // Items that the design never shows.
    for (QAction* hidden : {mnFill, mnLine, mnGraphSep1, mnGraphSep2, mnZoomIn, mnZoomOut, mnLineProperty,
                            mnEditSep1, mnSetAbnormalThreshold})
        hidden->setVisible(false);

    dataFolder = QString::fromStdString(dataFolderFor(QCoreApplication::applicationDirPath().toStdString()));
    OpenDialog->setDirectory(dataFolder);
    // The Help menu stays the last one on the bar (createMenus): Qt has no right-justified menu.

    setStatusText(text("为绘制电法数据剖面图，请加载数据！"));
}

void MainWindow::setStatusText(const QString& message) {
    StatusPanels[2]->setText(message);
    StatusBar1->repaint();
}

QPrinter& MainWindow::printer() {
    if (!selectedPrinter)
        selectedPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *selectedPrinter;
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

void MainWindow::ScrollBox1Resize() {
    const QSize box = ScrollBox1->viewport()->size();
    Image->move(centredImagePosition(box, Image->size()));
    // The scrolled area is the image where it is larger than the box.
    ScrollContent->resize(std::max(box.width(), Image->x() + Image->width()),
                          std::max(box.height(), Image->y() + Image->height()));
    ScrollBox1->viewport()->update();
    Image->update();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ScrollBox1->viewport() && event->type() == QEvent::Resize)
        ScrollBox1Resize();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shownOnce) {
        shownOnce = true;
        FormShow();
    }
}

void MainWindow::FormShow() {
    createPlotControlForm();
    // The empty sheet: no title, the axes around the default 5 cm x 5 cm frame.
    placeEmptyFrame();
    redrawSheet();
}

void MainWindow::createPlotControlForm() {
    if (PlotControlForm && PlotControlForm->parent() == this)
        return;
    // A floating tool window above the main window, hidden until the first open.
    auto* form = new PlotControlWindow(this);
    form->setObjectName(QStringLiteral("PlotControlForm"));
    form->hide();
    form->onApply = [this] { rebuildSheet(); };
    form->onHide = [this] { ToolButton18->setChecked(false); };
    PlotControlForm = form;
}

bool MainWindow::FormCloseQuery() {
    if (saved)
        return true;
    switch (
        ui().messageBox("是否保存已经绘制的剖面图?", "提示...", MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgResult::Yes:
        // A save that is cancelled or fails keeps the window open: nothing is lost silently.
        return mnSaveBmpClick();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    if (PlotControlForm)
        PlotControlForm->hide();
}

bool MainWindow::mnSaveBmpClick() {
    if (saved) {
        ui().messageBox("绘制的剖面图已经保存为位图文件。", "警告", MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    // The data file of the last open, whichever way it was opened.
    const QFileInfo info(lastDataFile);
    if (info.isFile()) {
        SaveDialog->selectFile(info.path() + QLatin1Char('/') + info.completeBaseName() +
                               QStringLiteral(".bmp"));
    }
    if (SaveDialog->exec() != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty())
        return false;
    const QFileInfo chosen(SaveDialog->selectedFiles().constFirst());
    const QString name =
        chosen.path() + QLatin1Char('/') + chosen.completeBaseName() + QStringLiteral(".bmp");
    if (!Image->picture().save(name, "BMP")) {
        ui().messageBox("无法写入位图文件:\n" + name.toStdString(), applicationTitle, MsgButtons::Ok,
                        MsgIcon::Error);
        return false;
    }
    saved = true;
    return true;
}

void MainWindow::mnPrinterSetClick() {
    QPrintDialog dialog(&printer(), this);
    dialog.exec();
}

void MainWindow::mnExitClick() {
    close();
}

void MainWindow::mnHelpClick() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile()));
}

void MainWindow::mnWebClick() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(webAddress)));
}

void MainWindow::mnAboutClick() {
    AboutDialog about(this);
    about.setWindowTitle(text("关于电法剖面图绘制..."));
    about.exec();
}
