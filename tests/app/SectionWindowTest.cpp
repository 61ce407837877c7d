#include "app/SectionWindow.h"
#include "app/InterpretationController.h"
#include "app/InterpretationPanel.h"
#include "app/QtUi.h"

#include "SheetWindowFixture.h"
#include "sheet/OpenData.h"
#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <filesystem>

using apptest::sampleFile;

namespace {

StationList sampleStations() {
    ScriptedUi quiet;
    SheetState state(quiet);
    PlotChoices choices;
    loadDataFile(state, choices, sampleFile("sample-ip.dat").toStdString(), DataFileKind::Column, quiet);
    return state.stations;
}

class SectionWindowTest : public ::testing::Test {
protected:
    SectionWindowTest() : window([this]() -> Ui& { return ui; }) {
        window.setStations(sampleStations(), {});
        window.onStationChosen = [this](std::size_t index) { chosen.push_back(index); };
    }

    ScriptedUi ui;
    SectionWindow window;
    std::vector<std::size_t> chosen;
};

// The sheet point (0.1 mm, y up) as a pixel of the section image.
QPoint pixelOf(const SectionWindow& window, double x, double y) {
    const double perUnit = window.dpi() / 254.0;
    return {static_cast<int>(x * perUnit), static_cast<int>(window.image().height() - y * perUnit)};
}

// The layers drawn in a station's column of a model section (its own layers, nothing blended).
std::size_t layersDrawn(const SectionSheet& section, std::size_t index) {
    const ModelSection& drawn = section.modelSection();
    for (const ModelColumn& column : drawn.columns()) {
        if (column.index == index)
            return static_cast<std::size_t>(
                std::count_if(drawn.cells().begin(), drawn.cells().end(),
                              [&](const ModelCell& c) { return c.left == column.left; }));
    }
    return 0;
}

} // namespace

TEST_F(SectionWindowTest, AClickOnAStationColumnNamesThatStation) {
    ASSERT_TRUE(window.refresh());
    const SectionSheet& section = window.section();
    // Stations 101..106 at 1 m per number; a click just under the frame's top edge.
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(window.sectionLabel, Qt::LeftButton, {},
                          pixelOf(window, section.xOf(101 + i), section.frameTop() - 50));
    EXPECT_EQ(chosen, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    QTest::mouseClick(window.sectionLabel, Qt::LeftButton, {}, pixelOf(window, section.xOf(103), 20));
    EXPECT_EQ(chosen.size(), 6u); // below the distance axis: no station
}

TEST_F(SectionWindowTest, RefusedInputShowsItsMessageAndDrawsNothing) {
    const struct {
        bool oneStation;
        const char* spacing;
        const char* low; // empty: automatic colours
        const char* message;
    } cases[] = {
        {true, "1", "", "至少需要两个"},   // the section's own refusal
        {false, "wide", "", "请输入点距"}, // a spacing that is no number
        {false, "1", "x", "请输入色标下限"},
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        StationList stations = sampleStations();
        if (c.oneStation)
            stations.resize(1);
        window.setStations(stations, {});
        window.spacingEdit->setText(QString::fromUtf8(c.spacing));
        window.autoColourCheck->setChecked(*c.low == 0);
        window.colourLowEdit->setText(QString::fromUtf8(c.low));
        window.colourHighEdit->setText(QStringLiteral("100"));
        EXPECT_FALSE(window.refresh()) << c.message;
        ASSERT_EQ(ui.messages.size(), 1u) << c.message;
        EXPECT_NE(ui.messages[0].text.find(c.message), std::string::npos) << ui.messages[0].text;
        EXPECT_TRUE(window.image().isNull());
        EXPECT_FALSE(window.exportButton->isEnabled());
    }
}

TEST_F(SectionWindowTest, ModelSectionFitsEachStationOnce) {
    window.parameterCombo->setCurrentIndex(SectionWindow::modelSectionItem);
    ASSERT_TRUE(window.refresh());
    EXPECT_EQ(window.fittedCount(), 6u);
    EXPECT_FALSE(window.section().modelSection().columns().empty());
    const int progressCalls = ui.progressCalls;
    ASSERT_TRUE(window.refresh());
    EXPECT_EQ(ui.progressCalls, progressCalls); // the models are kept
}

TEST_F(SectionWindowTest, TheChosenFitReachesTheStationsWithoutAModelFromTheMainWindow) {
    // The third station has a two-layer model in the main window; it is kept whatever the choice.
    window.knownModel = [](std::size_t index) -> std::optional<StationModel> {
        if (index != 2)
            return std::nullopt;
        return StationModel{103, {{{50, 4}, {500, 0}}}, 1.25};
    };
    window.parameterCombo->setCurrentIndex(SectionWindow::modelSectionItem);
    const struct {
        int layers;
        bool smooth;
    } choices[] = {{2, false}, {5, false}, {5, true}};
    for (const auto& c : choices) {
        window.layersSpin->setValue(c.layers);
        window.smoothCheck->setChecked(c.smooth);
        ASSERT_TRUE(window.refresh()) << c.layers;
        EXPECT_EQ(window.fittedCount(), 5u);
        for (std::size_t i = 0; i < 6; ++i) {
            const std::size_t layers = layersDrawn(window.section(), i);
            if (i == 2)
                EXPECT_EQ(layers, 2u);
            else if (c.smooth) // thin layers, at least eight interfaces
                EXPECT_GE(layers, 9u) << i;
            else
                EXPECT_EQ(layers, static_cast<std::size_t>(c.layers)) << i;
        }
        EXPECT_DOUBLE_EQ(window.section().modelSection().columns()[2].rmsPercent, 1.25);
    }
}

TEST_F(SectionWindowTest, LateralConstraintFitsAllStationsAsOneLine) {
    // The main window's model of the third station does not enter the joint fit.
    window.knownModel = [](std::size_t index) -> std::optional<StationModel> {
        if (index != 2)
            return std::nullopt;
        return StationModel{103, {{{50, 4}, {500, 0}}}, 1.25};
    };
    window.parameterCombo->setCurrentIndex(SectionWindow::modelSectionItem);
    EXPECT_TRUE(window.lateralCheck->isEnabled());
    EXPECT_FALSE(window.lateralWeightEdit->isEnabled());
    window.lateralCheck->setChecked(true);
    EXPECT_TRUE(window.lateralWeightEdit->isEnabled());
    window.layersSpin->setValue(3);
    ASSERT_TRUE(window.refresh());
    EXPECT_EQ(window.fittedCount(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(layersDrawn(window.section(), i), 3u) << i;
    EXPECT_TRUE(window.lateralLabel->text().startsWith(QStringLiteral("权重 ")))
        << window.lateralLabel->text().toStdString();
    const int progressCalls = ui.progressCalls;
    ASSERT_TRUE(window.refresh());
    EXPECT_EQ(ui.progressCalls, progressCalls); // the same choices: the joint fit is kept
    // A typed weight is used, and fits again.
    window.lateralWeightEdit->setText(QStringLiteral("0.5"));
    ASSERT_TRUE(window.refresh());
    EXPECT_GT(ui.progressCalls, progressCalls);
    EXPECT_TRUE(window.lateralLabel->text().startsWith(QStringLiteral("权重 0.5，")))
        << window.lateralLabel->text().toStdString();
    // A weight that is no positive number is refused with a message, and nothing is drawn.
    window.lateralWeightEdit->setText(QStringLiteral("-1"));
    EXPECT_FALSE(window.refresh());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("横向约束权重"), std::string::npos);
    EXPECT_TRUE(window.image().isNull());
    // Without the constraint the stations are fitted one by one again, the main window's model kept.
    window.lateralCheck->setChecked(false);
    ASSERT_TRUE(window.refresh());
    EXPECT_EQ(layersDrawn(window.section(), 2), 2u);
    EXPECT_TRUE(window.lateralLabel->text().isEmpty());
    // The smooth fit has no lateral form.
    window.smoothCheck->setChecked(true);
    EXPECT_FALSE(window.lateralCheck->isEnabled());
}

TEST_F(SectionWindowTest, ACancelledFitDrawsNothingAndKeepsNoModel) {
    ui.cancelAfterProgressCalls = 1;
    window.parameterCombo->setCurrentIndex(SectionWindow::modelSectionItem);
    EXPECT_FALSE(window.refresh());
    EXPECT_EQ(window.fittedCount(), 0u);
    EXPECT_TRUE(window.image().isNull());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SectionWindowTest, ExportWritesTheSectionDrawn) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("line"));
    window.exportPathQuery = [&] { return pdf; };
    ASSERT_TRUE(window.refresh());
    window.exportButton->click();
    EXPECT_TRUE(QFileInfo::exists(pdf + QStringLiteral(".pdf"))); // no known extension: a PDF
}

// The typed scale 1:n is the section's; empty is automatic; text that is no number is refused.
TEST_F(SectionWindowTest, TypedHorizontalScaleIsTheSections) {
    window.scaleEdit->setText(QStringLiteral("50"));
    ASSERT_TRUE(window.refresh());
    EXPECT_EQ(window.section().horizontalScale(), 50.0);
    // Stations 101 and 102 are 1 m apart: 2 cm at 1:50, in the sheet's 0.1 mm.
    EXPECT_NEAR(window.section().xOf(102) - window.section().xOf(101), 200.0, 0.5);
    window.scaleEdit->setText(QStringLiteral("1:50"));
    EXPECT_FALSE(window.refresh());
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages.back().text.find("比例尺"), std::string::npos);
    window.scaleEdit->clear();
    ASSERT_TRUE(window.refresh());
    EXPECT_NE(window.section().horizontalScale(), 50.0);
}

// 打印... prints the section on the chosen page; a page too small for it is printed after a warning.
TEST_F(SectionWindowTest, PrintPutsTheSectionOnThePageAndWarnsWhenItDoesNotFit) {
    QTemporaryDir folder;
    ASSERT_TRUE(window.refresh());
    for (const auto& [page, warned] : {std::pair{QPageSize::A0, false}, std::pair{QPageSize::A7, true}}) {
        const QString pdf = folder.filePath(QStringLiteral("print-%1.pdf").arg(int(page)));
        window.printSetup = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(page));
            return true;
        };
        ui.messages.clear();
        window.printButton->click();
        EXPECT_GT(QFileInfo(pdf).size(), 0);
        const bool warning = std::any_of(ui.messages.begin(), ui.messages.end(), [](const auto& m) {
            return m.text.find("剖面图大于纸张") != std::string::npos;
        });
        EXPECT_EQ(warning, warned) << int(page);
    }
    // Cancelled in the dialog: nothing is printed.
    window.printSetup = [](QPrinter&) { return false; };
    ui.messages.clear();
    window.printButton->click();
    EXPECT_TRUE(ui.messages.empty());
}

using MainWindowSectionTest = apptest::SheetWindowTest;

TEST_F(MainWindowSectionTest, TheMenuOpensTheSectionAndAClickShowsThatStationsSheet) {
    EXPECT_FALSE(form.sectionAction->isEnabled());
    openColumnSample();
    ASSERT_TRUE(form.sectionAction->isEnabled());
    form.sectionAction->trigger();
    ASSERT_NE(form.sectionWindow, nullptr);
    EXPECT_TRUE(form.sectionWindow->isVisible());
    ASSERT_FALSE(form.sectionWindow->image().isNull());
    form.saved = true;
    form.sectionWindow->onStationChosen(3);
    EXPECT_EQ(form.plotControlWindow()->stationCombo->currentIndex(), 3);
    EXPECT_EQ(form.choices().stationIndex, 3);
    EXPECT_FALSE(form.saved); // the sheet was composed anew
}

TEST_F(MainWindowSectionTest, TheModelSectionDrawsAStationWithItsModelFromTheMainWindow) {
    openColumnSample();
    SheetModel typed;
    typed.stationNumber = 102;
    typed.earth.layers = {{40, 3, 0}, {400, 0, 0}};
    form.interpretation().stationModels[1] = typed; // typed by the user, not fitted
    form.sectionAction->trigger();
    form.sectionWindow->parameterCombo->setCurrentIndex(SectionWindow::modelSectionItem);
    ASSERT_TRUE(form.sectionWindow->refresh());
    EXPECT_EQ(layersDrawn(form.sectionWindow->section(), 1), 2u);
    EXPECT_EQ(layersDrawn(form.sectionWindow->section(), 0), 3u);
    EXPECT_TRUE(std::isnan(form.sectionWindow->section().modelSection().columns()[1].rmsPercent));
}

// A station clicked in the model section comes to the sheet with the model the section fitted for it, the
// joint fit's when the line was fitted as one, and the panel shows it.
TEST_F(MainWindowSectionTest, AStationClickedInTheModelSectionBringsItsFittedModel) {
    openColumnSample();
    form.sectionAction->trigger();
    SectionWindow& section = *form.sectionWindow;
    section.parameterCombo->setCurrentIndex(SectionWindow::modelSectionItem);
    section.lateralCheck->setChecked(true);
    ASSERT_TRUE(section.refresh());
    ASSERT_TRUE(section.fittedJointly());
    const std::optional<StationModel> fitted = section.fittedModel(2);
    ASSERT_TRUE(fitted.has_value());
    section.onStationChosen(2);
    ASSERT_TRUE(form.sheet->stationModel.has_value());
    EXPECT_EQ(form.sheet->stationModel->stationNumber, fitted->stationNumber);
    ASSERT_EQ(form.sheet->stationModel->earth.size(), fitted->earth.layers.size());
    EXPECT_EQ(form.sheet->stationModel->earth.layers[0].rho, fitted->earth.layers[0].rho);
    EXPECT_NE(form.interpretation().modelPanel->reportLabel->text(), QString::fromUtf8("当前测点没有模型。"));
}

// A file opened while the section window shows the model section marks that section stale; its fits
// (of every station) run only when asked for with 刷新.
TEST_F(MainWindowSectionTest, OpeningAFileMarksTheModelSectionStaleWithoutFitting) {
    openColumnSample();
    form.sectionAction->trigger();
    form.sectionWindow->parameterCombo->setCurrentIndex(SectionWindow::modelSectionItem);
    ASSERT_TRUE(form.sectionWindow->refresh());
    openTaggedSample();
    EXPECT_EQ(form.sectionWindow->fittedCount(), 0u) << "the open started the fits";
    EXPECT_TRUE(form.sectionWindow->image().isNull());
    EXPECT_FALSE(form.sectionWindow->sectionLabel->text().isEmpty());
    EXPECT_TRUE(form.sectionWindow->refresh());
    EXPECT_EQ(form.sectionWindow->fittedCount(), form.sheet->stations.size());
}

// The section window's warnings belong to it: they appear over it, and it stays in front of the main
// window when they close.
TEST_F(MainWindowSectionTest, AnInvalidColourRangeIsSaidOverTheSectionWindow) {
    openColumnSample();
    form.sectionAction->trigger();
    form.setUi(std::make_unique<QtUi>(&form));
    SectionWindow& section = *form.sectionWindow;
    section.autoColourCheck->setChecked(false);
    section.colourLowEdit->setText(QStringLiteral("2000"));
    section.colourHighEdit->setText(QStringLiteral("1000"));
    QWidget* owner = nullptr;
    QTimer::singleShot(0, [&owner] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        owner = box->parentWidget();
        box->accept();
    });
    EXPECT_FALSE(section.refresh());
    EXPECT_EQ(owner, &section);
}
