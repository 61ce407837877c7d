#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QDockWidget>

#include "model/BlockInversion.h"
#include "model/ForwardModel.h"
#include "model/LayerLimits.h"
#include "sheet/SheetModel.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class QVBoxLayout;

// The layered-model panel "层状模型" at the right of the main window: the layers of the shown
// station's model as an editable table (resistivity and thickness cells carry a tick that holds the
// value during a fit), the fit settings and the fit report. It holds no station data: the main
// window fills it from a station's model and reads the typed layers and settings back.
class InterpretationPanel : public QDockWidget {
    Q_OBJECT

public:
    explicit InterpretationPanel(QWidget* parent = nullptr);

    enum Column {
        LayerColumn,
        RhoColumn,
        RhoRangeColumn,
        ThkColumn,
        ThkRangeColumn,
        DepthColumn,
        ChargeabilityColumn,
        ColumnCount
    };
    static constexpr int minLayers = model::kMinLayers;
    static constexpr int maxLayers = model::kMaxLayers;
    // The rows of an empty table; the layer count itself starts on "自动".
    static constexpr int defaultLayers = 3;
    static constexpr int autoLayersValue = minLayers - 1; // the spin box's "自动"

    // Shows a station's model and its report, or an empty table of the chosen layer count for a
    // station without one.
    void showModel(const SheetModel* stationModel);
    // The layers typed in the table; nullopt with `error` (for the user) when a cell holds no valid
    // value. An empty chargeability cell counts as 0 %.
    std::optional<model::LayeredModel> typedModel(std::string& error) const;
    // The ticked resistivities and thicknesses ("rho1", "thk1", ...); `error` set when a ticked
    // cell holds no valid value.
    std::vector<model::FixedParameter> fixedParameters(std::string& error) const;
    // The chosen layer count; with "自动" the table's rows.
    int layerCount() const;
    bool autoLayers() const;
    // None unless 分段校正 is ticked.
    model::SegmentReference segmentReference() const;
    // Shows a segment setting (undo, redo) without reporting it as the user's change.
    void setSegmentReference(model::SegmentReference reference);
    bool smooth() const;
    // 横向约束 ticked for a block fit: 全部测点反演 fits the stations together as one line.
    bool lateral() const;
    // Lists the shown station's masked readings (their AB/2 in m, in the station's order).
    void showMasked(const std::vector<std::size_t>& positions, const std::vector<double>& ab2);
    bool showTable() const;

    // The report line under the table.
    static QString reportText(const model::FitReport& report, bool fitted);
    // A cell value as typed: a positive finite number in the user's notation, nullopt otherwise.
    static std::optional<double> parsePositive(const QString& text);

    // Components (owned through Qt parenthood).
    QTableWidget* layerTable = nullptr;
    QSpinBox* layerCountSpin = nullptr;
    QCheckBox* smoothCheck = nullptr;
    QCheckBox* segmentCheck = nullptr;
    QComboBox* referenceCombo = nullptr;
    QCheckBox* lateralCheck = nullptr;
    QLabel* maskedLabel = nullptr;
    QPushButton* fitButton = nullptr;
    QPushButton* forwardButton = nullptr;
    QLabel* reportLabel = nullptr;
    QCheckBox* showTableCheck = nullptr;

signals:
    // "反演", "正演" and the model table tick, by the user.
    void fitRequested();
    void forwardRequested();
    void showTableChanged(bool shown);
    // 分段校正 or its reference segment changed by the user.
    void segmentSettingChanged();
    // The panel's controls changed their height (rows added or removed).
    void controlsResized();

private:
    // The panel's parts, top to bottom: layer count, smooth fit, segment factors and lateral
    // constraint; the layer table; the hint, the fit buttons, the fit's report and the masked readings.
    void addSettingRows(QWidget* content, QVBoxLayout* column);
    void addLayerTable(QWidget* content, QVBoxLayout* column);
    void addResultRows(QWidget* content, QVBoxLayout* column);
    void connectControls();
    void onLayerCountChanged(int layers);
    void onCellChanged(QTableWidgetItem* item);
    void onSmoothToggled(bool smoothFit);
    // Sets the rows to `layers`, keeping the rows that stay; new rows are empty.
    void resizeRows(int layers);
    void setNumber(int row, int column, double value);
    // The value of a cell: the exact model value while its text is unchanged, else the parsed text.
    std::optional<double> cellValue(int row, int column) const;
    // Refreshes the layer numbers, the half-space row, the depth column and the invalid-cell marks.
    void refreshDerivedCells();
    bool filling = false;
};
