#pragma once

#include "section/SectionSheet.h"

#include <QImage>
#include <QWidget>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class Ui;

// The survey-line section of the loaded file in a window of its own: a pseudosection of one
// parameter or the section of the stations' fitted layered models, with the spacing, placement and
// colour range to choose, drawn at screen resolution. A click on a station's column names that
// station through onStationChosen.
class SectionWindow : public QWidget {
    Q_OBJECT

public:
    // `ui` answers the message boxes and the fit's progress; it is asked for anew each time, as the
    // main window's Ui can be replaced.
    explicit SectionWindow(std::function<Ui&()> ui, QWidget* parent = nullptr);
    ~SectionWindow() override;

    // The stations to draw (the file loaded); models fitted for earlier stations are forgotten.
    void setStations(const StationList& stations, const std::filesystem::path& dataFile);

    // The index of the station clicked in the section.
    std::function<void(std::size_t)> onStationChosen;
    // The model the main window holds for a station, if any: the model section draws such a station
    // with it and fits only the others. Asked at each refresh, so models made or cleared there since
    // count.
    std::function<std::optional<StationModel>(std::size_t)> knownModel;
    // The model the section fitted for station `index`, when it has one, and whether the models are one
    // laterally constrained fit of the line.
    std::optional<StationModel> fittedModel(std::size_t index) const;
    bool fittedJointly() const { return !lateralFittedWith_.empty(); }
    // Asks for the export file; empty when cancelled. A save dialog unless replaced (tests).
    std::function<QString()> exportPathQuery;
    // Lets the user choose the printer and its page; false when cancelled. The print dialog unless
    // replaced (tests).
    std::function<bool(QPrinter&)> printSetup;

    // The stations of a file opened while this window is shown: a pseudosection is drawn at once; the
    // model section, whose fits may take long, is marked stale until 刷新.
    void followFile(const StationList& stations, const std::filesystem::path& dataFile);

    // Lays out and paints the section from the controls; fits the stations without a model first for
    // the model section. False, with nothing drawn, when the section is refused (after its message) or
    // the fit is cancelled.
    bool refresh();
    // Writes the drawn section to `path` (.pdf, .svg or .png at exportPngDpi); false after a message.
    bool exportTo(const QString& path);
    // Prints the drawn section at its true scale from the page's top left corner; false after a
    // message when no printer can take it. A section larger than the page is printed in part, after
    // a warning.
    bool printTo(QPrinter& printer);
    // The station under a pixel of the section image, if any.
    std::optional<SectionHit> stationAtPixel(QPoint pixel) const;

    const SectionSheet& section() const { return section_; }
    const QImage& image() const { return image_; }
    // Stations whose model this window has fitted (successfully or not) with the current choice of
    // 层数 / 平滑反演.
    std::size_t fittedCount() const;
    // The section image's resolution, pixels per inch.
    int dpi() const;

    static constexpr int exportPngDpi = 150;
    // The parameter combo's last item: the model section.
    static constexpr int modelSectionItem = 6;

    // Controls, owned through Qt parentage.
    QComboBox* parameterCombo = nullptr;
    QLineEdit* spacingEdit = nullptr;
    QComboBox* placementCombo = nullptr;
    QLineEdit* scaleEdit = nullptr;    // n of the horizontal scale 1:n; empty: the line fits about 25 cm
    QSpinBox* layersSpin = nullptr;    // the model section's fits: K layers ...
    QCheckBox* smoothCheck = nullptr;  // ... or a smooth many-layer model
    QCheckBox* lateralCheck = nullptr; // 横向约束: the K-layer models of one joint fit of the line ...
    QLineEdit* lateralWeightEdit = nullptr; // ... with this weight; empty: the program's choice
    QLabel* lateralLabel = nullptr;         // the weight used and the line's RMS, after such a fit
    QCheckBox* autoColourCheck = nullptr;
    QLineEdit* colourLowEdit = nullptr;
    QLineEdit* colourHighEdit = nullptr;
    QPushButton* refreshButton = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* printButton = nullptr;
    QScrollArea* scrollArea = nullptr;
    QLabel* sectionLabel = nullptr;

public slots:
    void onRefresh();
    void onExport();
    void onPrint();
    void onAutoColourToggled();
    // The fit controls apply to the model section only; the layer count not to a smooth fit.
    void onFitChoiceRelevance();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The controls and the picture's scroll box; their grid above the picture; their handlers.
    void createControls();
    QGridLayout* layOutControls();
    void connectControls();
    // The options from the controls; nullopt after a message when a number cannot be read.
    std::optional<SectionOptions> readOptions();
    // The fit the controls ask for: the number of layers, or 0 for the smooth fit.
    int fitChoice() const;
    // Fits every station that has no model, from the main window or from this window's fit with the
    // current choice; false when cancelled.
    bool fitMissingModels();
    // With 横向约束: fits all stations as one line, placed as `options` place them, unless the models
    // hold such a fit with the same choices; false after a message or when cancelled.
    bool fitLineModels(const SectionOptions& options);
    bool lateralChosen() const;
    void clearPicture();

    std::function<Ui&()> ui_;
    StationList stations_;
    std::filesystem::path dataFile_;
    // The models this window fitted, by station index, and the fit they came from: layers, or 0 for
    // the smooth fit.
    std::vector<std::optional<StationModel>> models_;
    int modelsFittedWith_ = 0;
    // The choices of the joint fit `models_` hold (layers, weight, placement, spacing); empty when they
    // hold single-station fits.
    std::string lateralFittedWith_;
    SectionSheet section_;
    QImage image_;
    std::unique_ptr<QPrinter> printer_; // made on the first print, then keeps the user's choices
    bool busy_ = false;
};
