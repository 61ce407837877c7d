#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>

#include "sheet/ModelDrag.h"
#include "sheet/ModelHistory.h"
#include "sheet/SheetState.h"

class InterpretationPanel;
class QAction;
class QMainWindow;
class QMenu;
class Ui;
struct PlotChoices;
struct StationModel;

// The interpretation of the loaded file's stations: layered models fitted, typed or dragged on the
// sheet, the readings left out of the fits, the layered-model panel, the Interpretation menu, the
// steps that 撤销 and 重做 take back and the model files. It puts the shown station's model and
// masks on the sheet and asks the window to repaint (sheetChanged) and to show a status text.
// A child of the main window.
class InterpretationController : public QObject {
    Q_OBJECT

public:
    // The panel docks at the right of `window` and the Interpretation menu joins its menu bar;
    // `undo` and `redo` are the Edit menu's items; `dataFile` is the data file of the last open.
    InterpretationController(QMainWindow& window, SheetState& sheet, Ui& ui, const QString& dataFile,
                             QAction& undo, QAction& redo);

    // A file was opened: no station has a model; `shownIndex` is the station shown.
    void reset(int shownIndex);
    // The station `index` is shown: the sheet and the panel take its own model or none.
    void showStation(int index);
    // The station on the sheet (the plot control window's selection may have moved since).
    std::optional<std::size_t> shownStation() const { return shown; }

    // The model of each station of the loaded file that has one, by station index; the shown
    // station's is also the sheet's stationModel. Opening a file clears them.
    std::map<std::size_t, SheetModel> stationModels;
    // The readings (positions in the station's order) the user left out of each station's fits, by
    // station index. Opening a file clears them.
    std::map<std::size_t, std::vector<std::size_t>> stationMasks;
    // Masks or unmasks the shown station's reading `position`; the model on the sheet then shows its
    // misfit over the readings kept, to be fitted again.
    void toggleMaskedReading(std::size_t position);
    // Takes the model the section window fitted for station `index` as the station's own (a joint fit of
    // the line always; an independent one where the station has none).
    void adoptSectionModel(std::size_t index, const StationModel& fitted, bool joint);
    // Station `index`'s model as the section window draws it; none when the station has no model.
    std::optional<StationModel> sectionModelOf(std::size_t index) const;
    // The steps of the interpretation that 撤销 and 重做 take back and do again; a new file clears them.
    ModelHistory modelHistory;
    void onUndo();
    void onRedo();
    // Writes the shown station's model to `path` (never onto the data file) / reads it from `path`
    // for the shown station; false after a message.
    bool saveModelTo(const QString& path);
    bool openModelFrom(const QString& path);
    // Every station's model (with its masks and segment factors) to one file / from one, to the
    // stations of the loaded file with those numbers; false after a message.
    bool saveAllModelsTo(const QString& path);
    bool openAllModelsFrom(const QString& path);
    // A model changed since the models were last saved or read (all together): the close asks first.
    bool modelsUnsaved = false;
    // Asks whether to save the stations' models when some are not saved; false when cancelled (or the
    // save did not happen), so that nothing is lost silently.
    bool askToSaveModels();
    // The name 保存模型 proposes: the data file's stem and the station number, in the folder of the last
    // model file (else the data file's).
    QString suggestedModelPath() const;

    // The mouse on the sheet. A press of `button` at the sheet point `at` on the shown model's step
    // line, while the panel is open, holds that piece: true then. A press that does not move masks
    // the reading under it as a click would.
    bool pressOnModel(Qt::MouseButton button, const PlotChoices& shown, Point at);
    bool holdsModel() const { return modelDrag.has_value(); }
    // While a piece of the model is held: moves it with the pointer / lets it go.
    void moveHeldModel(Point at);
    void releaseHeldModel(Qt::MouseButton button, Point at);
    // While the panel is open, a click on a resistivity reading masks or unmasks it: true then.
    bool clickOnReading(const PlotChoices& shown, Point at);

    // 全部测点反演 is running; a close asked for meanwhile cancels it and is run again once it is back.
    bool fitRunning() const { return batchFitRunning; }
    void closeWhenFitEnds() { closeAfterFit = true; }

    // The layered-model panel, a dock at the right, hidden until asked for or a fit is shown.
    InterpretationPanel* modelPanel = nullptr;
    QMenu* interpretMenu = nullptr;
    QAction* fitStationAction = nullptr;
    QAction* modelPanelAction = nullptr;
    QAction* fitAllAction = nullptr;
    QAction* saveModelAction = nullptr;
    QAction* openModelAction = nullptr;
    QAction* clearModelAction = nullptr;
    QAction* saveAllModelsAction = nullptr;
    QAction* openAllModelsAction = nullptr;

public slots:
    void onFitStation();
    void onFitAllStations();
    void onForwardModel();
    void onShowModelTableToggled(bool showTable);
    void onSaveModel();
    void onOpenModel();
    void onClearModel();
    void onSaveAllModels();
    void onOpenAllModels();

signals:
    // The sheet's model or masks changed: the sheet is to be repainted.
    void sheetChanged();
    // A line for the status bar.
    void statusText(const QString& text);
    // Another station (or none) is on the sheet.
    void shownStationChanged();

private:
    void createMenu();
    // The shown station, or nullopt after telling the user that no data is loaded.
    std::optional<std::size_t> currentStation();
    // Stores a station's model, and shows and draws it when the station is shown.
    void putStationModel(std::size_t index, const SheetModel& stationModel);
    // The masked readings of station `index` (none when it has none).
    const std::vector<std::size_t>& masksOf(std::size_t index) const;
    // The panel's list of the shown station's masked readings.
    void showMaskedReadings();
    // The interpretation now, and brought back (undo, redo).
    ModelSnapshot modelSnapshot() const;
    void restoreModelSnapshot(ModelSnapshot snapshot);
    // A step of the interpretation is done; `before` is what it changed. Refreshes 撤销 and 重做.
    void recordModelStep(ModelSnapshot before, const char* text);
    void refreshUndoActions();
    void onSegmentSettingChanged();
    // The shown station's model with the held piece moved to the sheet point `at`, shown live.
    void dragModelTo(Point at);
    // The folder a model file dialog starts in.
    QString modelDialogFolder() const;

    QMainWindow& window;
    SheetState& sheet;
    Ui& ui;
    const QString& dataFile;
    QAction& undoAction;
    QAction& redoAction;
    std::optional<std::size_t> shown;
    // The piece of the shown station's model held by the mouse, and whether it has moved; a press on
    // it that does not move may still mask the reading under it.
    std::optional<ModelDrag> modelDrag;
    bool modelDragMoved = false;
    std::optional<std::size_t> readingUnderDrag;
    std::optional<ModelSnapshot> beforeDrag;
    // The panel's segment setting as last recorded, the "before" of its next change.
    model::SegmentReference recordedSegments = model::SegmentReference::None;
    // The folder of the last model file; empty: the data file's folder.
    QString modelFolder;
    bool batchFitRunning = false;
    bool closeAfterFit = false;
};
