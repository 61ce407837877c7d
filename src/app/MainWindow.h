#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <QStringList>

#include "app/PlotControlWindow.h"
#include "core/Ui.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

class QAction;
class QActionGroup;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFileDialog;
class QLabel;
class QMenu;
class QMimeData;
class QPrinter;
class QScrollArea;
class QStatusBar;
class QToolBar;
class SheetImageWidget;
struct Pen;

// The main window: menu, tool bar, the scroll box with the sheet image and the status bar. It owns
// the sheet state and the station list, and every command of the program is one of its handlers.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

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

    // The sheet: the station list of the loaded file, axes, curves, title, lengths, ranges, paper,
    // mapping values and pens. Its items talk to the user through ui().
    std::unique_ptr<SheetState> sheet;

    // What the plot control window shows (station, ticked parameters, symbols); the defaults of a
    // fresh window while it does not exist yet.
    PlotChoices choices() const;

    // ---- Sheet view ------------------------------------------------------------------------------
    // Largest sheet bitmap side in pixels; a larger paper is refused with a warning.
    static constexpr int maxBitmapSide = 20000;
    // Rebuilds the sheet bitmap at the screen's resolution and paints the sheet on it. Returns false
    // (after a warning) when the paper would make a bitmap too large; the picture then stays.
    bool redrawSheet();
    // As redrawSheet, re-placing the title, axes and curves between sizing and painting.
    bool relayoutAndRedrawSheet();
    // Re-places the title, the axes and the curves from the lengths and the stored ranges.
    void relayoutSheet();
    // The plot control window's apply: composes the selected station and repaints; does nothing
    // when there is no valid selection.
    void rebuildSheet();
    // Resolution of the sheet image in pixels per inch.
    int screenDpiX() const;
    int screenDpiY() const;

    // ---- Open data -------------------------------------------------------------------------------
    // The open command after the dialog: reads `path` with the reader of `kind` and shows the sheet.
    // The open dialog then starts in the file's folder, and status panel 1 shows the quality note.
    void openDataPath(const QString& path, DataFileKind kind);
    // The reader for a file opened by name (command line, drop): ".ves" (any case) is a tagged file,
    // everything else a column file.
    static DataFileKind dataFileKindFor(const QString& path);
    // The one local ".dat" or ".ves" file (any case) that `data` carries, or an empty text when it
    // carries anything else (several files, another extension, no file).
    static QString droppedDataFile(const QMimeData* data);
    // Opens the first of the program's arguments (without the program name) as a data file, through
    // the open command; nothing without arguments.
    void openFromCommandLine(const QStringList& arguments);
    // Status panel 1 after an open: stations, points, rows skipped as invalid and missing values.
    static QString qualityNote(const DataQuality& quality);
    // The data file of the last open that was not cancelled; empty before the first.
    QString lastDataFile;

    // ---- Output ----------------------------------------------------------------------------------
    // Resolution offered for a PNG export and the accepted range, in dots per inch.
    static constexpr int defaultExportDpi = 300;
    static constexpr int minExportDpi = 50;
    static constexpr int maxExportDpi = 2400;
    // Warns when the figure is wider or taller than the page, counted in whole inches, and
    // refreshes xLength/yLength. `pageWidth` and `pageHeight` are in pixels at dpiX × dpiY.
    void checkPaperSize(int pageWidth, int pageHeight, int dpiX, int dpiY);
    // The part of the sheet image around the figure and the title that copy puts on the clipboard.
    QRect copyRectangle(int dpiX, int dpiY) const;

    // ---- Editing ---------------------------------------------------------------------------------
    // Opens the axis dialog for position 1 top, 2 left, 3 bottom, 4 right.
    void editAxis(int position);

    // The editing dialogs, each returning true after OK. They show the real dialogs unless replaced
    // (tests). The axis dialog may throw ConversionError for a limit that is no number.
    std::function<bool(TText& title, float& titleGapCm)> titleDialog;
    std::function<bool(TAxis& axis, const QString& caption, float* limitMin, float* limitMax)> axisDialog;
    std::function<bool(Pen& pen)> penDialog;

    // Components. Owned by the window through Qt parentage.
    QToolBar* ToolBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    SheetImageWidget* Image = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 5> StatusPanels{};
    QFileDialog* OpenDialog = nullptr;
    QFileDialog* SaveDialog = nullptr;
    QFileDialog* ExportDialog = nullptr;
    // 16 x 16 tool-bar glyphs, index 0 to 18.
    QList<QImage> ChildImageList;

    // Menu bar
    QMenu* mnFile = nullptr;
    QAction* OpenData = nullptr;
    QAction* mnSaveBmp = nullptr;
    QAction* mnExport = nullptr;
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
    QAction* ToolButton19 = nullptr; // export
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
    // Exports the sheet as PDF, SVG or PNG; returns whether a file was written. `saved` stays.
    bool mnExportClick();
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
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void createDialogs();
    void loadChildImageList();
    void FormCreate();
    void FormShow();
    void createPlotControlForm();
    void showConversionError(const std::string& text);
    // Puts the axes of a sheet without data around the frame of the current lengths.
    void placeEmptyFrame();
    void switchOnAfterLoadCommands();
    void placePlotControlForm();
    // Sizes the paper, runs `beforePaint` (a relayout or nothing), makes the blank bitmap and
    // paints the sheet on it.
    bool repaintSheet(bool relayout);
    // Asks for an axis length in cm; false when cancelled or refused (with its warning).
    bool askAxisLength(const char* prompt, float current, float& length);
    void setAxisLength(bool xAxis);

    // Passes every call on to the replaceable command Ui, so that the sheet's items (which keep a
    // reference) always reach the current one.
    class UiRelay : public Ui {
    public:
        explicit UiRelay(MainWindow& form) : form_(form) {}
        MsgResult messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                             MsgIcon icon, bool owned = true) override {
            return form_.ui().messageBox(text, caption, buttons, icon, owned);
        }
        bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
            return form_.ui().inputQuery(caption, prompt, value);
        }
        void processPendingMessages() override { form_.ui().processPendingMessages(); }
        bool progress(std::uint64_t done, std::uint64_t total) override {
            return form_.ui().progress(done, total);
        }
        void endProgress() override { form_.ui().endProgress(); }
        void beginWaitCursor() override { form_.ui().beginWaitCursor(); }
        void endWaitCursor() override { form_.ui().endWaitCursor(); }

    private:
        MainWindow& form_;
    };

    std::unique_ptr<Ui> commandUi;
    UiRelay uiRelay{*this};
    std::unique_ptr<QPrinter> selectedPrinter;
    QWidget* ScrollContent = nullptr;
    QActionGroup* displayModeGroup = nullptr;
    bool shownOnce = false;
    // An open is running (its reading may let window messages through).
    bool openingData = false;
    // Whether a dropped file may be opened now.
    bool takesDrops() const;
    // Asks for the PNG resolution; false when cancelled or refused (with its warning).
    bool askExportDpi(int& dpi);
};

// The program's windows.
extern MainWindow* ChildForm;
// The plot control window (a tool window, hidden until the first open).
extern PlotControlWindow* PlotControlForm;

// The maker's web site, opened by the Help menu and the About box.
inline constexpr const char* webAddress = "https://vesplot.example.org";
