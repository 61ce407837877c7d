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
#include "render/SheetBitmap.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

class FileCommands;
class InterpretationController;
class OutputCommands;
class QAction;
class QActionGroup;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QScrollArea;
class QStatusBar;
class QToolBar;
class QUrl;
class SectionWindow;
class SheetEditing;
class SheetImageWidget;

// The main window: menu, tool bar, the scroll box with the sheet image and the status bar. It owns
// the sheet state and the station list, and the command groups (files, editing, interpretation,
// output) as Qt children; it wires their menu items and tool buttons and shows what they report.
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

    // The plot control window (a tool window, hidden until the first open), made when the window is
    // first shown or data is opened; null before. A child of this window.
    PlotControlWindow* plotControlWindow() const { return plotControl; }

    // What the plot control window shows (station, ticked parameters, symbols; not the station
    // entries); the defaults of a fresh window while it does not exist yet.
    PlotChoices choices() const;

    // ---- Sheet view ------------------------------------------------------------------------------
    // Largest sheet bitmap side in pixels; a larger paper is refused with a warning.
    static constexpr int maxBitmapSide = maxSheetBitmapSide;
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
    // The sheet as the screen shows it: the bitmap's size and geometry at `ratio` device pixels per
    // pixel, drawn smooth. Null when too large.
    QImage smoothSheetImage(qreal ratio);
    // Resolution of the sheet image in pixels per inch.
    int screenDpiX() const;
    int screenDpiY() const;

    // ---- Open data -------------------------------------------------------------------------------
    // The open and save dialogs and what a file's name says about how to read it.
    FileCommands& files() { return *fileCommands; }
    // The open command after the dialog: reads `path` with the reader of `kind` and shows the sheet.
    // The open dialog then starts in the file's folder, and status panel 1 shows the quality note.
    void openDataPath(const QString& path, DataFileKind kind);
    // The user's open (dialog, drop): first asks about models not saved, which the open would discard;
    // false when the user cancelled and nothing was opened.
    bool openDataAfterAsking(const QString& path, DataFileKind kind);
    // Opens the first of the program's arguments (without the program name) as a data file, through
    // the open command; nothing without arguments.
    void openFromCommandLine(const QStringList& arguments);
    // The data file of the last open that was not cancelled; empty before the first.
    QString lastDataFile;

    // ---- Output ----------------------------------------------------------------------------------
    // Print, printer set-up, export and copy.
    OutputCommands& output() { return *outputCommands; }
    // The line under the frame of a printed or PDF sheet: file, station and today's date; empty
    // without a station shown.
    QString sheetFooterText() const;

    // Hands a page to the desktop's browser; false when none takes it. Replaceable (tests).
    std::function<bool(const QUrl& address)> openInBrowser;

    // ---- Editing ---------------------------------------------------------------------------------
    // Click editing on the sheet and the commands that change its title, axes, pens and margins.
    SheetEditing& editing() { return *sheetEditing; }

    // ---- Interpretation --------------------------------------------------------------------------
    // The stations' models, the layered-model panel, the Interpretation menu and the model files.
    InterpretationController& interpretation() { return *interpretationController; }

    // Components. Owned by the window through Qt parentage.
    QToolBar* mainToolBar = nullptr;
    QScrollArea* scrollArea = nullptr;
    SheetImageWidget* sheetImage = nullptr;
    QStatusBar* mainStatusBar = nullptr;
    std::array<QLabel*, 5> statusPanels{};
    // 16 x 16 tool-bar glyphs, index 0 to 18.
    QList<QImage> toolBarGlyphs;
    // The survey-line section window, made on first use.
    SectionWindow* sectionWindow = nullptr;

    // Menu bar
    QMenu* fileMenu = nullptr;
    QAction* openDataAction = nullptr;
    QAction* saveBitmapAction = nullptr;
    QAction* exportAction = nullptr;
    QAction* fileSeparator1 = nullptr;
    QAction* printerSetupAction = nullptr;
    QAction* printAction = nullptr;
    QAction* fileSeparator2 = nullptr;
    QAction* exitAction = nullptr;
    QMenu* graphMenu = nullptr;
    QAction* polarityAction = nullptr;
    QAction* curvesAction = nullptr;
    QAction* graphSeparator1 = nullptr;
    QAction* copyAction = nullptr;
    QAction* refreshAction = nullptr;
    QAction* graphSeparator2 = nullptr;
    QAction* zoomInAction = nullptr;
    QAction* zoomOutAction = nullptr;
    QAction* sectionAction = nullptr;
    // Titles on the axes (off by default).
    QAction* axisTitlesAction = nullptr;
    QMenu* editMenu = nullptr;
    QAction* editTitleAction = nullptr;
    QAction* linePropertyAction = nullptr;
    QAction* setXLengthAction = nullptr;
    QAction* setYLengthAction = nullptr;
    QAction* editSeparator1 = nullptr;
    QAction* anomalyThresholdAction = nullptr;
    QAction* editSeparator2 = nullptr;
    // Undo and redo of the interpretation's steps (models, fits, masks, segment setting).
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* helpAction = nullptr;
    QAction* webAction = nullptr;
    QAction* helpSeparator1 = nullptr;
    QAction* aboutAction = nullptr;

    // Tool bar, left to right; toolSeparator1..6 are the dividers.
    QAction* openDataToolAction = nullptr;
    QAction* saveBitmapToolAction = nullptr;
    QAction* exportToolAction = nullptr;
    QAction* toolSeparator1 = nullptr;
    QAction* printToolAction = nullptr;
    QAction* toolSeparator2 = nullptr;
    QAction* polarityToolAction = nullptr;
    QAction* curvesToolAction = nullptr;
    QAction* toolSeparator3 = nullptr;
    QAction* setXLengthToolAction = nullptr;
    QAction* setYLengthToolAction = nullptr;
    QAction* editTitleToolAction = nullptr;
    QAction* marginToolAction = nullptr;
    QAction* anomalyThresholdToolAction = nullptr;
    QAction* linePenToolAction = nullptr;
    QAction* legendToolAction = nullptr;
    QAction* toolSeparator4 = nullptr;
    QAction* copyToolAction = nullptr;
    QAction* refreshToolAction = nullptr;
    QAction* toolSeparator5 = nullptr;
    QAction* stationToolAction = nullptr;
    QAction* zoomInToolAction = nullptr;
    QAction* zoomOutToolAction = nullptr;
    QAction* toolSeparator6 = nullptr;
    QAction* helpToolAction = nullptr;

    // The close query: true when the window may close.
    bool queryClose();

public slots:
    // Saves the sheet bitmap; returns whether it was written.
    virtual bool onSaveBitmap();
    void onExit();
    void onShowPolarity();
    void onShowCurves();
    void onTogglePlotControl();
    // Shows the section window with the stations of the file loaded.
    void onShowSection();
    void onHelp();
    void onOpenWebSite();
    void onAbout();
    void onScrollAreaResized();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The menu bar: each menu, then the handlers of their items and the items' component names.
    void createMenus();
    void createFileMenu();
    void createGraphMenu();
    void createEditMenu();
    void createHelpMenu();
    void connectMenus();
    void nameMenus();
    // The interpretation's panel, menu and commands, wired to the sheet and the status bar.
    void createInterpretation();
    // The caption: the application's title, then the file and the station shown.
    void updateWindowCaption();
    // The tool bar: its buttons left to right, their handlers and component names.
    void createToolBar();
    QAction* addToolButton(const char* hint, int glyph, bool check = false);
    void connectToolBar();
    void nameToolBarButtons();
    // The output commands, once the sheet image exists, and the menu items and tool buttons that run them.
    void createOutputCommands();
    // The editing of the sheet, once the sheet image exists, and the menu items and tool buttons that run it.
    void createSheetEditing();
    void createStatusBar();
    void loadToolBarGlyphs();
    void applyInitialState();
    void showFirstTime();
    void createPlotControlWindow();
    void showConversionError(const std::string& text);
    // Status panel 1 after an open: the quality note, the panel as wide as it needs.
    void showQualityNote(const DataQuality& quality);
    void switchOnAfterLoadCommands();
    // Shows or hides the tool buttons, and enables or disables the commands, that need a loaded sheet.
    void showAfterLoadCommands(bool shown);
    // After an open that found no station: the blank paper and the commands of a window without data.
    void clearDrawnSheet();
    void placePlotControlWindow();
    // Places the plot control window anew when it still stands where it was placed.
    void followWithPlotControlWindow();
    // Sizes the paper, runs `beforePaint` (a relayout or nothing), makes the blank bitmap and
    // paints the sheet on it.
    bool repaintSheet(bool relayout);

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
        void nameProgress(const std::string& label) override { form_.ui().nameProgress(label); }
        const TextLocale& textLocale() const override { return form_.ui().textLocale(); }
        void beginWaitCursor() override { form_.ui().beginWaitCursor(); }
        void endWaitCursor() override { form_.ui().endWaitCursor(); }

    private:
        MainWindow& form_;
    };

    std::unique_ptr<Ui> commandUi;
    UiRelay uiRelay{*this};
    FileCommands* fileCommands = nullptr;
    InterpretationController* interpretationController = nullptr;
    OutputCommands* outputCommands = nullptr;
    SheetEditing* sheetEditing = nullptr;
    QWidget* scrollContent = nullptr;
    QActionGroup* displayModeGroup = nullptr;
    bool shownOnce = false;
    // A file with stations has been shown: the sheet is painted, not only its paper.
    bool sheetLoaded = false;
    // Where the plot control window was put last; it is moved along while it stays there.
    QPoint plotControlPlacedAt;
    // A child of this window, made by createPlotControlWindow.
    PlotControlWindow* plotControl = nullptr;
    // An open is running (its reading may let window messages through).
    bool openingData = false;
    // Whether a dropped file may be opened now.
    bool takesDrops() const;
};

// The maker's web site, opened by the Help menu and the About box.
inline constexpr const char* webAddress = "https://vesplot.example.org";
