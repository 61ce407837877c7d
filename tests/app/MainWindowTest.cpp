// The main window as it stands after start-up: captions, menus, tool bar, status bar, dialogs,
// the sheet image in its scroll box, and the small commands (help, web page).
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <set>

#include "app/MainWindow.h"
#include "app/SheetImageWidget.h"
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

TEST_F(MainWindowTest, MenuBarHoldsEveryItemInItsStartState) {
    const QList<QAction*> menus = form.menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    // The Help menu is the last one on the bar.
    EXPECT_EQ(menus.back()->menu(), form.mnHelpMenu);
    EXPECT_EQ(menus[0]->menu(), form.mnFile);
    EXPECT_EQ(menus[1]->menu(), form.mnGraph);
    EXPECT_EQ(menus[2]->menu(), form.mnEdit);

    const QKeySequence none;
    expectMenu(form.mnFile, "文件(&F)",
               {{"打开数据(&O)", QKeySequence(Qt::CTRL | Qt::Key_O), true, true},
                {"保存图形(&S)", QKeySequence(Qt::CTRL | Qt::Key_S), true, false},
                {"导出图形(&E)...", none, true, false},
                {nullptr, none, true, true},
                {"打印机设置(&S)", none, true, true},
                {"打印(&P)", none, true, false},
                {nullptr, none, true, true},
                {"退出(&X)", none, true, true}});
    expectMenu(form.mnGraph, "图形(&G)",
               {{"彩色极性图(&P)", none, false, false},
                {"曲线图(&C)", none, false, false},
                {nullptr, none, false, true},
                {"复制(&C)", none, true, false},
                {"刷新(&R)", none, true, false},
                {nullptr, none, false, true},
                {"放大图形(&I)", none, false, false},
                {"缩小图形(&O)", none, false, false}});
    expectMenu(form.mnEdit, "编辑(&E)",
               {{"修改图名(&T)", none, true, false},
                {"设置剖面线属性(&L)", none, false, false},
                {"设置x-长度", none, true, false},
                {"设置y-轴长度", none, true, false},
                {nullptr, none, false, true},
                {"设置异常阈值(&A)", none, false, false}});
    expectMenu(form.mnHelpMenu, "帮助(&H)",
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
        {form.ToolButton1, "加载电测深数据", 0, false, true},
        {form.ToolButton2, "保存图形", 1, false, false},
        {form.ToolButton19, "导出图形", 18, false, false},
        {form.ToolButtonS1, nullptr, -1, false, false},
        {form.ToolButton3, "打印处理图形", 2, false, false},
        {form.ToolButtonS2, nullptr, -1, false, false},
        {form.ToolButton4, "显示极性图", 3, true, false},
        {form.ToolButton5, "显示剖面观测数据曲线", 4, true, false},
        {form.ToolButtonS3, nullptr, -1, false, false},
        {form.ToolButton6, "设置x-轴", 17, false, false},
        {form.ToolButton7, "设置y-轴", 6, false, false},
        {form.ToolButton8, "修改图名", 7, false, false},
        {form.ToolButton17, "边框到图形距离", 8, false, false},
        {form.ToolButton14, "设置异常阈值", 9, false, false},
        {form.ToolButton15, "设置线属性", 10, false, false},
        {form.ToolButton16, "显示/隐藏图例", 11, true, false},
        {form.ToolButtonS4, nullptr, -1, false, false},
        {form.ToolButton9, "拷贝图形", 12, false, false},
        {form.ToolButton10, "刷新图形", 13, false, false},
        {form.ToolButtonS5, nullptr, -1, false, false},
        {form.ToolButton18, "测点选择工具", 5, true, false},
        {form.ToolButton11, "放大图形", 14, false, false},
        {form.ToolButton12, "缩小图形", 15, false, false},
        {form.ToolButtonS6, nullptr, -1, false, true},
        {form.ToolButton13, "如何使用?", 16, false, true},
    };
    const QList<QAction*> entries = form.ToolBar1->actions();
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
        EXPECT_EQ(shown, form.ChildImageList.at(b.glyph).convertToFormat(QImage::Format_ARGB32));
    }
    EXPECT_EQ(form.ToolButton18->text(), u("测点工具"));
    EXPECT_EQ(form.ToolBar1->iconSize(), QSize(16, 16));

    // The display-mode buttons are one group with the curve mode down.
    EXPECT_TRUE(form.ToolButton5->isChecked());
    EXPECT_FALSE(form.ToolButton4->isChecked());
    ASSERT_NE(form.ToolButton4->actionGroup(), nullptr);
    EXPECT_EQ(form.ToolButton4->actionGroup(), form.ToolButton5->actionGroup());
    EXPECT_TRUE(form.ToolButton4->actionGroup()->isExclusive());
    form.ToolButton4->setChecked(true);
    EXPECT_FALSE(form.ToolButton5->isChecked());
}

TEST_F(MainWindowTest, ImageListHoldsNineteenDistinctDrawnGlyphs) {
    ASSERT_EQ(form.ChildImageList.size(), 19);
    std::set<QByteArray> distinct;
    for (const QImage& glyph : form.ChildImageList) {
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
        QLabel* panel = form.StatusPanels[static_cast<std::size_t>(i)];
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->parentWidget(), form.StatusBar1);
        EXPECT_EQ(panel->minimumWidth(), widths[i]);
        EXPECT_EQ(panel->maximumWidth(), widths[i]);
    }
    EXPECT_EQ(form.StatusPanels[0]->text(), u("Zu电法数据处理软件"));
    EXPECT_EQ(form.StatusPanels[2]->text(), u("为绘制电法数据剖面图，请加载数据！"));
    for (int i : {1, 3, 4})
        EXPECT_TRUE(form.StatusPanels[static_cast<std::size_t>(i)]->text().isEmpty());

    form.setStatusText(u("数据剖面图绘制成功。"));
    EXPECT_EQ(form.StatusPanels[2]->text(), u("数据剖面图绘制成功。"));
    EXPECT_EQ(form.StatusPanels[0]->text(), u("Zu电法数据处理软件"));
}

TEST_F(MainWindowTest, FileDialogsCarryTheirTitlesFiltersAndStartFolder) {
    EXPECT_EQ(form.OpenDialog->windowTitle(), u("打开数据文件"));
    EXPECT_EQ(form.OpenDialog->nameFilters(),
              QStringList({u("Dat格式文件(*.dat)"), u("VES格式文件(*.ves)")}));
    EXPECT_EQ(form.OpenDialog->fileMode(), QFileDialog::ExistingFile);

    const QString expected =
        QString::fromStdString(dataFolderFor(QCoreApplication::applicationDirPath().toStdString()));
    EXPECT_EQ(form.dataFolder, expected);
    EXPECT_TRUE(expected.endsWith(QStringLiteral("/Data/")));
    EXPECT_EQ(QDir(form.OpenDialog->directory()).absolutePath(), QDir(expected).absolutePath());

    EXPECT_EQ(form.SaveDialog->windowTitle(), u("保存平面剖面图为"));
    EXPECT_EQ(form.SaveDialog->nameFilters(), QStringList({u("位图文件(*.bmp)")}));
    EXPECT_EQ(form.SaveDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(form.SaveDialog->testOption(QFileDialog::DontConfirmOverwrite));
}

TEST_F(MainWindowTest, PlotControlWindowIsCreatedHiddenWhenTheWindowIsFirstShown) {
    EXPECT_EQ(ChildForm, &form);
    EXPECT_EQ(PlotControlForm, nullptr);
    form.show();
    ASSERT_NE(PlotControlForm, nullptr);
    EXPECT_FALSE(PlotControlForm->isVisible());
    EXPECT_TRUE(PlotControlForm->windowFlags().testFlag(Qt::Tool));
    QWidget* first = PlotControlForm;
    form.hide();
    form.show();
    EXPECT_EQ(PlotControlForm, first) << "one plot control window per main window";
}

TEST(ChildFormGlobals, AreClearedWithTheMainWindow) {
    {
        MainWindow form;
        form.show();
        EXPECT_EQ(ChildForm, &form);
        EXPECT_NE(PlotControlForm, nullptr);
    }
    EXPECT_EQ(ChildForm, nullptr);
    EXPECT_EQ(PlotControlForm, nullptr);
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
    EXPECT_EQ(form.Image->size(), QSize(1000, 617));
    form.show();
    form.setWindowState(Qt::WindowNoState);
    QScrollArea* box = form.ScrollBox1;
    // A box larger than the image: centred, no scrolling.
    form.Image->resize(201, 101);
    form.resize(700, 500);
    QCoreApplication::processEvents();
    const QSize viewport = box->viewport()->size();
    ASSERT_GT(viewport.width(), 201);
    ASSERT_GT(viewport.height(), 101);
    EXPECT_EQ(form.Image->pos(), QPoint((viewport.width() - 201) / 2, (viewport.height() - 101) / 2));

    // An image larger than the box sits at (0, 0) and the scroll ranges cover it.
    form.Image->resize(3000, 2500);
    form.resize(720, 520);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Image->pos(), QPoint(0, 0));
    EXPECT_EQ(box->horizontalScrollBar()->maximum() + box->viewport()->width(), 3000);
    EXPECT_EQ(box->verticalScrollBar()->maximum() + box->viewport()->height(), 2500);
}

TEST_F(MainWindowTest, HelpOpensOurHelpPagesAndTheWebCommandOurAddress) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    form.mnHelp->trigger();
    form.ToolButton13->trigger();
    form.mnWeb->trigger();
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

#include "MainWindowTest.moc"
