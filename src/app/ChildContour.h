#pragma once

#include "data/ProfileData.h"
#include "platform/Ui.h"

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <array>
#include <memory>

class QAction;
class QActionGroup;
class QFileDialog;
class QLabel;
class QMenu;
class QPrinter;
class QScrollArea;
class QStatusBar;
class QToolBar;
class TSheetImage;

// The main window: menu, tool bar, the scroll box with the sheet image and the status bar. It owns
// the sheet state and the station list, and every command of the program is one of its handlers.
class TChildForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TChildForm(QWidget* parent = nullptr);
    ~TChildForm() override;
    TChildForm(const TChildForm&) = delete;
    TChildForm& operator=(const TChildForm&) = delete;

    // The message boxes, input queries and message pump of the commands. Replaceable (tests).
    Ui& ui() { return *commandUi; }
    void setUi(std::unique_ptr<Ui> replacement);

    // Panel 2 of the status bar, repainted at once.
    void setStatusText(const QString& text);

    // The printer that print uses; the printer set-up dialog changes it.
    QPrinter& printer();

    // Where the open dialog starts: the data folder beside the program's folder.
    QString dataFolder;
    // The help pages beside the program's folder.
    QString helpFile() const;

    // Position of the sheet image in a scroll box of size `box`: centred on each axis where it is
    // smaller than the box, at 0 where it is not.
    static QPoint centredImagePosition(QSize box, QSize image);

    // Nothing unsaved: false after each successful open, true after the sheet is saved as a bitmap.
    bool saved = true;

    // ---- Sheet state ----------------------------------------------------------------------------
    // The station list of the loaded file, in file order.
    StationList stations;
    // TODO(sheet): std::unique_ptr<SheetState> sheet;  (axes, curves, title, lengths, ranges, paper,
    // mapping values and pens; created here in the constructor). The window creation sets its paper
    // size: sheetWidthCm 21.0, sheetHeightCm 29.7.
    // ----------------------------------------------------------------------------------------------

    // Components. Owned by the window through Qt parentage.
    QToolBar* ToolBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TSheetImage* Image = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 5> StatusPanels{};
    QFileDialog* OpenDialog = nullptr;
    QFileDialog* SaveDialog = nullptr;
    // 16 x 16 tool-bar glyphs, index 0 to 17.
    QList<QImage> ChildImageList;

    // Menu bar
    QMenu* mnFile = nullptr;
    QAction* OpenData = nullptr;
    QAction* mnSaveBmp = nullptr;
    QAction* mnFileSep1 = nullptr;
    QAction* mnPrinterSet = nullptr;
    QAction* mnPrint = nullptr;
    QAction* mnFileSep2 = nullptr;
    QAction* mnExit = nullptr;
    QMenu* mnGraph = nullptr;
    QAction* mnFill = nullptr;
    QAction* mnLine = nullptr;
    QAction* mnGraphSep1 = nullptr;
    QAction* mnCopy = nullptr;
    QAction* mnRefresh = nullptr;
    QAction* mnGraphSep2 = nullptr;
    QAction* mnZoomIn = nullptr;
    QAction* mnZoomOut = nullptr;
    QMenu* mnEdit = nullptr;
    QAction* mnTitle = nullptr;
    QAction* mnLineProperty = nullptr;
    QAction* mnSetXLen = nullptr;
    QAction* mnSetYLen = nullptr;
    QAction* mnEditSep1 = nullptr;
    QAction* mnSetAbnormalThreshold = nullptr;
    QMenu* mnHelpMenu = nullptr;
    QAction* mnHelp = nullptr;
    QAction* mnWeb = nullptr;
    QAction* mnHelpSep1 = nullptr;
    QAction* mnAbout = nullptr;

    // Tool bar, left to right; ToolButtonS1..S6 are the dividers.
    QAction* ToolButton1 = nullptr;
    QAction* ToolButton2 = nullptr;
    QAction* ToolButtonS1 = nullptr;
    QAction* ToolButton3 = nullptr;
    QAction* ToolButtonS2 = nullptr;
    QAction* ToolButton4 = nullptr;
    QAction* ToolButton5 = nullptr;
    QAction* ToolButtonS3 = nullptr;
    QAction* ToolButton6 = nullptr;
    QAction* ToolButton7 = nullptr;
    QAction* ToolButton8 = nullptr;
    QAction* ToolButton17 = nullptr;
    QAction* ToolButton14 = nullptr;
    QAction* ToolButton15 = nullptr;
    QAction* ToolButton16 = nullptr;
    QAction* ToolButtonS4 = nullptr;
    QAction* ToolButton9 = nullptr;
    QAction* ToolButton10 = nullptr;
    QAction* ToolButtonS5 = nullptr;
    QAction* ToolButton18 = nullptr;
    QAction* ToolButton11 = nullptr;
    QAction* ToolButton12 = nullptr;
    QAction* ToolButtonS6 = nullptr;
    QAction* ToolButton13 = nullptr;

    // The close query: true when the window may close.
    bool FormCloseQuery();

public slots:
    void OpenDataExecute();
    // Saves the sheet bitmap; returns whether it was written.
    virtual bool mnSaveBmpClick();
    void mnPrinterSetClick();
    void tbPrintClick();
    void mnExitClick();
    void tbFillClick();
    void tbLineClick();
    void tbCopyClick();
    void TitleClick();
    void ToolButton6Click();
    void mnSetYLenClick();
    void ToolButton14Click();
    void ToolButton15Click();
    void ToolButton16Click();
    void ToolButton17Click();
    void ToolButton18Click();
    void mnHelpClick();
    void mnWebClick();
    void mnAboutClick();
    void ScrollBox1Resize();
    void ImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createDialogs();
    void loadChildImageList();
    void FormCreate();
    void FormShow();
    void createPlotControlForm();

    std::unique_ptr<Ui> commandUi;
    std::unique_ptr<QPrinter> selectedPrinter;
    QWidget* ScrollContent = nullptr;
    QActionGroup* displayModeGroup = nullptr;
    bool shownOnce = false;
};

// The program's windows.
extern TChildForm* ChildForm;
// The plot control window (a tool window, hidden until the first open).
extern QWidget* PlotControlForm;

// The maker's web site, opened by the Help menu and the About box.
inline constexpr const char* webAddress = "https://vesplot.example.org";
