// The main window as it stands after start-up: captions, menus, tool bar, status bar, dialogs,
// the sheet image in its scroll box, and the small commands (help, web page).
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTranslator>
#include <QUrl>

#include <set>

#include "app/FileCommands.h"
#include "app/InterpretationController.h"
#include "app/MainWindow.h"
#include "app/SheetImageWidget.h"
#include "app/WindowMain.h"
#include "core/Paths.h"

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct MenuRow {
    const char* caption; // nullptr: separator
    QKeySequence shortcut;
    bool visible;
    bool enabled;
};

void expectMenu(QMenu* menu, const char* title, const std::vector<MenuRow>& rows) {
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), u(title));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(rows.size())) << title;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const MenuRow& row = rows[i];
        QAction* item = items[static_cast<qsizetype>(i)];
        SCOPED_TRACE(std::string(title) + " item " + std::to_string(i));
        if (!row.caption) {
            EXPECT_TRUE(item->isSeparator());
        } else {
            EXPECT_FALSE(item->isSeparator());
            EXPECT_EQ(item->text(), u(row.caption));
            EXPECT_EQ(item->shortcut(), row.shortcut);
            EXPECT_EQ(item->isEnabled(), row.enabled);
        }
        EXPECT_EQ(item->isVisible(), row.visible);
    }
}

// Receives the addresses handed to the desktop (help file, web page).
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindow form;
};

} // namespace

TEST_F(MainWindowTest, WindowCaptionAndMaximisedStart) {
    EXPECT_EQ(form.windowTitle(), u("电测深曲线图"));
    EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(form.saved);
    EXPECT_TRUE(form.sheet->stations.empty());
}

// A style that right-justifies menus after a menu-bar separator puts 帮助 at the bar's right end.
TEST_F(MainWindowTest, HelpMenuStandsAtTheRightWhereTheStyleCanDoIt) {
    class SeparatorStyle : public QProxyStyle {
    public:
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* data) const override {
            return hint == SH_DrawMenuBarSeparator ? 1 : QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    SeparatorStyle style;
    QMenuBar* bar = form.menuBar();
    bar->setStyle(&style);
    form.show();
    bar->resize(1000, bar->sizeHint().height());
    QCoreApplication::processEvents();
    const QRect help = bar->actionGeometry(form.helpMenu->menuAction());
    const QRect interpret = bar->actionGeometry(form.interpretation().interpretMenu->menuAction());
    EXPECT_GT(help.right(), bar->width() - 20);
    EXPECT_GT(help.left() - interpret.right(), 500);
    bar->setStyle(nullptr);
}

TEST_F(MainWindowTest, MenuBarHoldsEveryItemInItsStartState) {
    const QList<QAction*> menus = form.menuBar()->actions();
    ASSERT_EQ(menus.size(), 6);
    // The Help menu is the last one on the bar, after the separator that right-justifies it.
    EXPECT_EQ(menus.back()->menu(), form.helpMenu);
    EXPECT_TRUE(menus[4]->isSeparator());
    EXPECT_EQ(menus[0]->menu(), form.fileMenu);
    EXPECT_EQ(menus[1]->menu(), form.graphMenu);
    EXPECT_EQ(menus[2]->menu(), form.editMenu);
    EXPECT_EQ(menus[3]->menu(), form.interpretation().interpretMenu);

    const QKeySequence none;
    expectMenu(form.fileMenu, "文件(&F)",
               {{"打开数据(&O)", QKeySequence(Qt::CTRL | Qt::Key_O), true, true},
                {"保存图形(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), true, false},
                {"导出图形(&E)...", none, true, false},
                {nullptr, none, true, true},
                {"打印机设置(&S)", none, true, true},
                {"打印(&P)", none, true, false},
                {nullptr, none, true, true},
                {"退出(&X)", none, true, true}});
    expectMenu(form.graphMenu, "图形(&G)",
               {{"彩色极性图(&P)", none, false, false},
                {"曲线图(&C)", none, false, false},
                {nullptr, none, false, true},
                {"复制(&C)", none, true, false},
                {"刷新(&R)", none, true, false},
                {nullptr, none, false, true},
                {"放大图形(&I)", none, false, false},
                {"缩小图形(&O)", none, false, false},
                {nullptr, none, true, true},
                {"测线剖面图...", none, true, false},
                {nullptr, none, true, true},
                {"坐标轴标题", none, true, true}});
    expectMenu(form.editMenu, "编辑(&E)",
               {{"修改图名(&T)", none, true, false},
                {"设置剖面线属性(&L)", none, false, false},
                {"设置x-长度", none, true, false},
                {"设置y-轴长度", none, true, false},
                {nullptr, none, false, true},
                {"设置异常阈值(&A)", none, false, false},
                {nullptr, none, true, true},
                {"撤销", QKeySequence(Qt::CTRL | Qt::Key_Z), true, false},
                {"重做", QKeySequence(Qt::CTRL | Qt::Key_Y), true, false}});
    expectMenu(form.helpMenu, "帮助(&H)",
               {{"使用电测深曲线绘制程序(&C)", none, true, true},
                {"从网上获得更多的信息", none, true, true},
                {nullptr, none, true, true},
                {"关于(&A)", none, true, true}});
}

TEST_F(MainWindowTest, ToolBarHoldsItsEntriesInOrderWithHintsGlyphsAndStartState) {
    struct Button {
        QAction* action;
        const char* hint; // nullptr: divider
        int glyph;
        bool check;
        bool shown;
    };
    const std::vector<Button> bar = {
        {form.openDataToolAction, "加载电测深数据", 0, false, true},
        {form.saveBitmapToolAction, "保存图形", 1, false, false},
        {form.exportToolAction, "导出图形", 18, false, false},
        {form.toolSeparator1, nullptr, -1, false, false},
        {form.printToolAction, "打印处理图形", 2, false, false},
        {form.toolSeparator2, nullptr, -1, false, false},
        {form.polarityToolAction, "显示极性图", 3, true, false},
        {form.curvesToolAction, "显示剖面观测数据曲线", 4, true, false},
        {form.toolSeparator3, nullptr, -1, false, false},
        {form.setXLengthToolAction, "设置x-轴", 17, false, false},
        {form.setYLengthToolAction, "设置y-轴", 6, false, false},
        {form.editTitleToolAction, "修改图名", 7, false, false},
        {form.marginToolAction, "边框到图形距离", 8, false, false},
        {form.anomalyThresholdToolAction, "设置异常阈值", 9, false, false},
        {form.linePenToolAction, "设置线属性", 10, false, false},
        {form.legendToolAction, "显示/隐藏图例", 11, true, false},
        {form.toolSeparator4, nullptr, -1, false, false},
        {form.copyToolAction, "拷贝图形", 12, false, false},
        {form.refreshToolAction, "刷新图形", 13, false, false},
        {form.toolSeparator5, nullptr, -1, false, false},
        {form.stationToolAction, "测点选择工具", 5, true, false},
        {form.zoomInToolAction, "放大图形", 14, false, false},
        {form.zoomOutToolAction, "缩小图形", 15, false, false},
        {form.toolSeparator6, nullptr, -1, false, true},
        {form.helpToolAction, "如何使用?", 16, false, true},
    };
    const QList<QAction*> entries = form.mainToolBar->actions();
    ASSERT_EQ(entries.size(), 25);
    for (std::size_t i = 0; i < bar.size(); ++i) {
        const Button& b = bar[i];
        SCOPED_TRACE("tool-bar entry " + std::to_string(i));
        ASSERT_EQ(entries[static_cast<qsizetype>(i)], b.action);
        EXPECT_EQ(b.action->isSeparator(), b.hint == nullptr);
        EXPECT_EQ(b.action->isVisible(), b.shown);
        if (!b.hint)
            continue;
        EXPECT_EQ(b.action->toolTip(), u(b.hint));
        EXPECT_EQ(b.action->isCheckable(), b.check);
        const QImage shown =
            b.action->icon().pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(shown, form.toolBarGlyphs.at(b.glyph).convertToFormat(QImage::Format_ARGB32));
    }
    EXPECT_EQ(form.stationToolAction->text(), u("测点工具"));
    EXPECT_EQ(form.mainToolBar->iconSize(), QSize(16, 16));

    // The display-mode buttons are one group with the curve mode down.
    EXPECT_TRUE(form.curvesToolAction->isChecked());
    EXPECT_FALSE(form.polarityToolAction->isChecked());
    ASSERT_NE(form.polarityToolAction->actionGroup(), nullptr);
    EXPECT_EQ(form.polarityToolAction->actionGroup(), form.curvesToolAction->actionGroup());
    EXPECT_TRUE(form.polarityToolAction->actionGroup()->isExclusive());
    form.polarityToolAction->setChecked(true);
    EXPECT_FALSE(form.curvesToolAction->isChecked());
}

TEST_F(MainWindowTest, ImageListHoldsNineteenDistinctDrawnGlyphs) {
    ASSERT_EQ(form.toolBarGlyphs.size(), 19);
    std::set<QByteArray> distinct;
    for (const QImage& glyph : form.toolBarGlyphs) {
        EXPECT_EQ(glyph.size(), QSize(16, 16));
        int opaque = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(glyph.pixel(x, y)) == 255;
        EXPECT_GT(opaque, 16) << "a glyph must be drawn, not blank";
        distinct.insert(QByteArray(reinterpret_cast<const char*>(glyph.constBits()), glyph.sizeInBytes()));
    }
    EXPECT_EQ(distinct.size(), 19u);
}

TEST_F(MainWindowTest, StatusBarHasFivePanelsWithTheStartTexts) {
    const int widths[] = {150, 100, 400, 50, 50};
    for (int i = 0; i < 5; ++i) {
        QLabel* panel = form.statusPanels[static_cast<std::size_t>(i)];
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->parentWidget(), form.mainStatusBar);
        EXPECT_EQ(panel->minimumWidth(), widths[i]);
        EXPECT_EQ(panel->maximumWidth(), widths[i]);
    }
    EXPECT_EQ(form.statusPanels[0]->text(), u("Zu电法数据处理软件"));
    EXPECT_EQ(form.statusPanels[2]->text(), u("为绘制电法数据剖面图，请加载数据！"));
    for (int i : {1, 3, 4})
        EXPECT_TRUE(form.statusPanels[static_cast<std::size_t>(i)]->text().isEmpty());

    form.setStatusText(u("数据剖面图绘制成功。"));
    EXPECT_EQ(form.statusPanels[2]->text(), u("数据剖面图绘制成功。"));
    EXPECT_EQ(form.statusPanels[0]->text(), u("Zu电法数据处理软件"));
}

TEST_F(MainWindowTest, FileDialogsCarryTheirTitlesFiltersAndStartFolder) {
    EXPECT_EQ(form.files().openFileDialog()->windowTitle(), u("打开数据文件"));
    EXPECT_EQ(form.files().openFileDialog()->nameFilters(),
              QStringList({u("Dat格式文件(*.dat)"), u("VES格式文件(*.ves)")}));
    EXPECT_EQ(form.files().openFileDialog()->fileMode(), QFileDialog::ExistingFile);

    const QString expected =
        QString::fromStdString(dataFolderFor(QCoreApplication::applicationDirPath().toStdString()));
    EXPECT_EQ(form.files().dataFolder, expected);
    EXPECT_TRUE(expected.endsWith(QStringLiteral("/Data/")));
    EXPECT_EQ(QDir(form.files().openFileDialog()->directory()).absolutePath(), QDir(expected).absolutePath());

    EXPECT_EQ(form.files().saveFileDialog()->windowTitle(), u("保存平面剖面图为"));
    EXPECT_EQ(form.files().saveFileDialog()->nameFilters(), QStringList({u("位图文件(*.bmp)")}));
    EXPECT_EQ(form.files().saveFileDialog()->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(form.files().saveFileDialog()->testOption(QFileDialog::DontConfirmOverwrite));
}

TEST_F(MainWindowTest, PlotControlWindowIsCreatedHiddenWhenTheWindowIsFirstShown) {
    EXPECT_EQ(form.plotControlWindow(), nullptr);
    form.show();
    ASSERT_NE(form.plotControlWindow(), nullptr);
    EXPECT_FALSE(form.plotControlWindow()->isVisible());
    EXPECT_TRUE(form.plotControlWindow()->windowFlags().testFlag(Qt::Tool));
    QWidget* first = form.plotControlWindow();
    form.hide();
    form.show();
    EXPECT_EQ(form.plotControlWindow(), first) << "one plot control window per main window";
}

TEST(MainWindowOwnership, ThePlotControlWindowGoesWithTheMainWindow) {
    QPointer<PlotControlWindow> control;
    {
        MainWindow form;
        form.show();
        control = form.plotControlWindow();
        ASSERT_FALSE(control.isNull());
        EXPECT_EQ(control->parent(), &form);
    }
    EXPECT_TRUE(control.isNull());
}

// Re-centring: at 0 where the image is larger than the box, else half the difference, truncated.
TEST(SheetImagePosition, CentresOnlyWhereTheImageIsSmaller) {
    EXPECT_EQ(MainWindow::centredImagePosition({801, 600}, {300, 201}), QPoint(250, 199));
    EXPECT_EQ(MainWindow::centredImagePosition({800, 600}, {1000, 617}), QPoint(0, 0));
    EXPECT_EQ(MainWindow::centredImagePosition({1200, 600}, {1000, 617}), QPoint(100, 0));
    EXPECT_EQ(MainWindow::centredImagePosition({700, 900}, {1000, 617}), QPoint(0, 141));
    EXPECT_EQ(MainWindow::centredImagePosition({1000, 617}, {1000, 617}), QPoint(0, 0));
}

TEST_F(MainWindowTest, SheetImageStartsAtThousandByGoldenHeightAndIsCentredOnResize) {
    EXPECT_EQ(form.sheetImage->size(), QSize(1000, 617));
    form.show();
    form.setWindowState(Qt::WindowNoState);
    QScrollArea* box = form.scrollArea;
    // A box larger than the image: centred, no scrolling.
    form.sheetImage->resize(201, 101);
    form.resize(700, 500);
    QCoreApplication::processEvents();
    const QSize viewport = box->viewport()->size();
    ASSERT_GT(viewport.width(), 201);
    ASSERT_GT(viewport.height(), 101);
    EXPECT_EQ(form.sheetImage->pos(), QPoint((viewport.width() - 201) / 2, (viewport.height() - 101) / 2));

    // An image larger than the box sits at (0, 0) and the scroll ranges cover it.
    form.sheetImage->resize(3000, 2500);
    form.resize(720, 520);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.sheetImage->pos(), QPoint(0, 0));
    EXPECT_EQ(box->horizontalScrollBar()->maximum() + box->viewport()->width(), 3000);
    EXPECT_EQ(box->verticalScrollBar()->maximum() + box->viewport()->height(), 2500);
}

TEST_F(MainWindowTest, HelpOpensOurHelpPagesAndTheWebCommandOurAddress) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    form.helpAction->trigger();
    form.helpToolAction->trigger();
    form.webAction->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

    ASSERT_EQ(catcher.opened.size(), 3);
    const QString help =
        QString::fromStdString(helpFolderFor(QCoreApplication::applicationDirPath().toStdString())) +
        "index.html";
    EXPECT_EQ(catcher.opened[0], QUrl::fromLocalFile(help));
    EXPECT_EQ(catcher.opened[1], QUrl::fromLocalFile(help));
    EXPECT_TRUE(QFileInfo::exists(help)) << "the help pages are installed beside the program";
    EXPECT_EQ(catcher.opened[2], QUrl(QStringLiteral("https://vesplot.example.org")));
}

// Qt's own dialogs speak Chinese with the translations the program installs at start.
TEST(QtTranslations, StandardDialogButtonsAreChinese) {
    QTranslator* translator = installQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qtbase_zh_CN.qm (qt6-translations-l10n) in "
                                   << QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString();
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    const QString cancel = buttons.button(QDialogButtonBox::Cancel)->text();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(cancel, u("取消"));
}

TEST_F(MainWindowTest, FileDialogsAreMadeWhenFirstUsed) {
    EXPECT_TRUE(form.findChildren<QFileDialog*>().isEmpty());
    QFileDialog* open = form.files().openFileDialog();
    EXPECT_EQ(form.findChildren<QFileDialog*>().size(), 1);
    EXPECT_EQ(form.files().openFileDialog(), open);
}

#include "MainWindowTest.moc"
