// The interpretation side of the main window: fitting the shown station, per-station models, the
// layered-model panel's table, model files and the batch fit.
#include "SheetWindowFixture.h"

#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include <QCheckBox>
#include <QLabel>

#include "app/InterpretationController.h"
#include "app/InterpretationPanel.h"
#include "model/ModelFile.h"

using apptest::u;

namespace {

const QString realSurvey = QStringLiteral(VESPLOT_REAL_DATA_DIR "/boundiali.dat");

class InterpretationTest : public apptest::SheetWindowTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        SheetWindowTest::SetUp();
    }
    void openSurvey(const QString& path = realSurvey) { form.openDataPath(path, DataFileKind::Column); }
    QTableWidget& table() { return *form.interpretation().modelPanel->layerTable; }
    // Types a layered model into the panel: resistivities, then thicknesses.
    void typeModel(const std::vector<const char*>& rho, const std::vector<const char*>& thk) {
        form.interpretation().modelPanel->layerCountSpin->setValue(static_cast<int>(rho.size()));
        for (std::size_t i = 0; i < rho.size(); ++i)
            table().item(static_cast<int>(i), InterpretationPanel::RhoColumn)->setText(u(rho[i]));
        for (std::size_t i = 0; i < thk.size(); ++i)
            table().item(static_cast<int>(i), InterpretationPanel::ThkColumn)->setText(u(thk[i]));
    }
    void showStation(int index) {
        form.plotControlWindow()->stationCombo->setCurrentIndex(index);
        form.plotControlWindow()->onApplyClicked();
    }
    std::string lastMessage() const {
        return ui->messages.empty() ? std::string() : ui->messages.back().text;
    }
};

TEST_F(InterpretationTest, DataCommandsWaitForALoadedFile) {
    const std::vector<QAction*> needData{
        form.interpretation().fitStationAction, form.interpretation().fitAllAction,
        form.interpretation().saveModelAction, form.interpretation().openModelAction,
        form.interpretation().clearModelAction};
    for (QAction* action : needData)
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    openSurvey();
    for (QAction* action : needData)
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
}

TEST_F(InterpretationTest, FitOfTheShownStationIsItsModel) {
    openSurvey();
    showStation(1);
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel);
    const SheetModel& fit = *form.sheet->stationModel;
    EXPECT_EQ(fit.stationNumber, 2); // the second station of the file
    EXPECT_TRUE(fit.fitted);
    EXPECT_EQ(fit.earth.size(), 3u);
    EXPECT_EQ(fit.report.pointsUsed, 33);
    // A field curve with its noise: a three-layer model follows it within a few tens of percent.
    EXPECT_GT(fit.report.rmsPercent, 0.0);
    EXPECT_LT(fit.report.rmsPercent, 25.0);
    EXPECT_TRUE(form.interpretation().modelPanel->isVisible());
    EXPECT_EQ(table().rowCount(), 3);
}

// Docked at the window's right edge, the model panel pushes the plot control window (which stays on
// top) off its table and buttons; closed, the window goes back to its own place.
TEST_F(InterpretationTest, PlotControlWindowStaysOffTheDockedModelPanel) {
    form.setWindowState(Qt::WindowNoState);
    form.resize(1600, 1000);
    openSurvey();
    const QPoint alone = form.plotControlWindow()->pos();
    form.interpretation().modelPanel->show();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    const QWidget* controls = form.interpretation().modelPanel->widget();
    const QRect used(controls->mapToGlobal(QPoint(0, 0)), controls->sizeHint());
    EXPECT_FALSE(form.plotControlWindow()->frameGeometry().intersects(used));
    EXPECT_GE(form.plotControlWindow()->x(), form.interpretation().modelPanel->mapToGlobal(QPoint(0, 0)).x());
    form.interpretation().modelPanel->hide();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(form.plotControlWindow()->pos(), alone);
}

TEST_F(InterpretationTest, EveryStationShowsItsOwnModelOrNone) {
    openSurvey();
    form.interpretation().onFitStation();
    const double firstRho = form.sheet->stationModel->earth.layers[0].rho;
    showStation(2);
    EXPECT_FALSE(form.sheet->stationModel);
    EXPECT_EQ(form.interpretation().modelPanel->reportLabel->text(), u("当前测点没有模型。"));
    EXPECT_TRUE(table().item(0, InterpretationPanel::RhoColumn)->text().isEmpty());
    showStation(0);
    ASSERT_TRUE(form.sheet->stationModel);
    EXPECT_EQ(form.sheet->stationModel->stationNumber, 1);
    EXPECT_EQ(form.sheet->stationModel->earth.layers[0].rho, firstRho);
    // Another file: no station keeps a model of the old one.
    openSurvey();
    EXPECT_FALSE(form.sheet->stationModel);
    EXPECT_TRUE(form.interpretation().stationModels.empty());
}

TEST_F(InterpretationTest, ForwardTakesTheTypedLayers) {
    openSurvey();
    typeModel({"50", "12.5", "300"}, {"2", "10"});
    EXPECT_EQ(table().item(1, InterpretationPanel::DepthColumn)->text(), u("12"));
    form.interpretation().onForwardModel();
    ASSERT_TRUE(form.sheet->stationModel);
    const SheetModel& typed = *form.sheet->stationModel;
    EXPECT_FALSE(typed.fitted);
    ASSERT_EQ(typed.earth.size(), 3u);
    EXPECT_EQ(typed.earth.resistivities(), (std::vector<double>{50, 12.5, 300}));
    EXPECT_EQ(typed.earth.thicknesses(), (std::vector<double>{2, 10}));
    EXPECT_EQ(typed.report.response.size(), 33u);
}

TEST_F(InterpretationTest, ForwardRefusesACellThatIsNoPositiveNumber) {
    openSurvey();
    for (const char* bad : {"", "abc", "-5", "0", "inf", "1,5"}) {
        ui->messages.clear();
        typeModel({"50", bad}, {"2"});
        form.interpretation().onForwardModel();
        EXPECT_FALSE(form.sheet->stationModel) << bad;
        EXPECT_EQ(lastMessage(), "第 2 层的电阻率不是正数。") << bad;
    }
}

TEST_F(InterpretationTest, AFixedThicknessIsKept) {
    openSurvey();
    typeModel({"", "", ""}, {"4", ""});
    table().item(0, InterpretationPanel::ThkColumn)->setCheckState(Qt::Checked);
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel);
    EXPECT_EQ(form.sheet->stationModel->earth.layers[0].thk, 4.0);
}

TEST_F(InterpretationTest, TooFewPointsForTheLayersIsSaidAndNothingChanges) {
    const QString path =
        writeFile(QStringLiteral("short.dat"),
                  "short\n电测深 对称四极\n点号 AB/2 MN/2 视电阻率 M1 R TH TD ZP 标志 备用 备用\n"
                  "7 1 0.4 100 -9999 -9999 -9999 -9999 -9999 1 0 0\n"
                  "7 10 0.4 50 -9999 -9999 -9999 -9999 -9999 1 0 0\n"
                  "7 100 0.4 80 -9999 -9999 -9999 -9999 -9999 1 0 0\n");
    openSurvey(path);
    form.interpretation().modelPanel->layerCountSpin->setValue(3);
    form.interpretation().onFitStation();
    EXPECT_FALSE(form.sheet->stationModel);
    EXPECT_EQ(lastMessage().rfind("测点 7 无法反演：\n可用的数据点少于模型参数", 0), 0u) << lastMessage();
}

// The status note follows each model command, so that it describes the sheet shown.
TEST_F(InterpretationTest, StatusNoteSaysWhatTheLastModelCommandDid) {
    openSurvey();
    const QString path = folder.filePath(QStringLiteral("note.json"));
    const std::vector<std::pair<std::function<void()>, QString>> steps{
        {[this] { form.interpretation().onFitStation(); }, u("测点 1 反演完成，RMS")},
        {[&] { form.interpretation().saveModelTo(path); }, u("模型已保存：")},
        {[this] { form.interpretation().onClearModel(); }, u("已清除测点 1 的模型。")},
        {[&] { form.interpretation().openModelFrom(path); }, u("已读入测点 1 的模型。")},
        {[this] { form.interpretation().onForwardModel(); }, u("已绘制测点 1 所输入模型的响应。")},
    };
    for (const auto& [command, note] : steps) {
        command();
        EXPECT_TRUE(form.statusPanels[2]->text().startsWith(note))
            << form.statusPanels[2]->text().toStdString();
    }
}

TEST_F(InterpretationTest, ModelFileRoundTrip) {
    openSurvey();
    form.interpretation().onFitStation();
    const SheetModel fitted = *form.sheet->stationModel;
    const QString path = folder.filePath(QStringLiteral("station1.json"));
    ASSERT_TRUE(form.interpretation().saveModelTo(path));
    form.interpretation().onClearModel();
    EXPECT_FALSE(form.sheet->stationModel);
    ASSERT_TRUE(form.interpretation().openModelFrom(path));
    ASSERT_TRUE(form.sheet->stationModel);
    EXPECT_EQ(form.sheet->stationModel->earth.resistivities(), fitted.earth.resistivities());
    EXPECT_EQ(form.sheet->stationModel->earth.thicknesses(), fitted.earth.thicknesses());
}

// The file keeps the readings left out and the segment factors: opened again, they are in force.
TEST_F(InterpretationTest, AModelFileBringsBackItsMasksAndSegmentFactors) {
    openSurvey();
    form.interpretation().modelPanel->show();
    form.interpretation().toggleMaskedReading(6);
    form.interpretation().modelPanel->segmentCheck->setChecked(true);
    form.interpretation().onFitStation();
    const model::FitReport fitted = form.sheet->stationModel->report;
    ASSERT_EQ(fitted.segments.size(), 4u);
    const QString path = folder.filePath(QStringLiteral("kept.json"));
    ASSERT_TRUE(form.interpretation().saveModelTo(path));
    form.interpretation().onClearModel();
    form.interpretation().toggleMaskedReading(6);
    EXPECT_TRUE(form.sheet->maskedPoints.empty());
    ASSERT_TRUE(form.interpretation().openModelFrom(path));
    EXPECT_EQ(form.sheet->maskedPoints, std::vector<std::size_t>{6});
    const model::FitReport& opened = form.sheet->stationModel->report;
    ASSERT_EQ(opened.segments.size(), 4u);
    EXPECT_EQ(opened.segments[2].factor, fitted.segments[2].factor);
    // The misfit is the fit's own: over the readings kept, corrected by the factors.
    EXPECT_EQ(opened.pointsUsed, 32);
    EXPECT_NEAR(opened.rmsPercent, fitted.rmsPercent, 1e-9);
}

TEST_F(InterpretationTest, ModelFilesThatDoNotFitAreRefused) {
    model::LayeredModel earth;
    earth.layers = {{100, 5}, {20, 0}};
    const struct {
        std::string content;
        std::string message;
    } cases[] = {
        {"{\"format\":", "不是模型文件。"},
        {model::formatModelFile(3, earth, 4.0), "模型文件属于测点 3，不是当前测点 1。"},
    };
    openSurvey();
    for (const auto& c : cases) {
        const QString path = writeFile(QStringLiteral("model.json"), c.content);
        EXPECT_FALSE(form.interpretation().openModelFrom(path));
        EXPECT_FALSE(form.sheet->stationModel);
        EXPECT_EQ(lastMessage().rfind(c.message, 0), 0u) << lastMessage();
    }
}

// A pipe named like a model file is refused without being opened: opening it would wait for a writer
// that never comes, and the window would hang.
TEST_F(InterpretationTest, APipeNamedLikeAModelFileIsNotOpened) {
    const QString pipe = folder.filePath(QStringLiteral("pipe.json"));
    if (QProcess::execute(QStringLiteral("mkfifo"), {pipe}) != 0)
        GTEST_SKIP() << "no mkfifo here";
    openSurvey();
    // Should the window open the pipe, a writer comes after a while and ends the wait.
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool writerNeeded = false;
    std::thread writer([&] {
        std::unique_lock lock(mutex);
        if (finished.wait_for(lock, std::chrono::seconds(3), [&] { return done; }))
            return;
        writerNeeded = true;
        lock.unlock();
        std::ofstream(pipe.toStdString()) << "{}";
    });
    const bool opened = form.interpretation().openModelFrom(pipe);
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    finished.notify_all();
    writer.join();
    EXPECT_FALSE(opened);
    EXPECT_FALSE(writerNeeded) << "the window opened the pipe";
    EXPECT_EQ(lastMessage().rfind("无法读取模型文件。", 0), 0u) << lastMessage();
}

TEST_F(InterpretationTest, AModelIsNeverSavedOntoTheDataFile) {
    const QString copy = folder.filePath(QStringLiteral("survey.dat"));
    ASSERT_TRUE(QFile::copy(realSurvey, copy));
    openSurvey(copy);
    typeModel({"50", "300"}, {"2"});
    form.interpretation().onForwardModel();
    EXPECT_FALSE(form.interpretation().saveModelTo(copy));
    EXPECT_EQ(lastMessage(), "不能把模型保存到打开的数据文件上。");
    QFile original(realSurvey), kept(copy);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), original.readAll());
}

TEST_F(InterpretationTest, CancelledBatchKeepsTheStationsFittedBefore) {
    openSurvey();
    ui->cancelAfterProgressCalls = 1;
    form.interpretation().onFitAllStations();
    // The first report cancels: the station it reports and any fit already running are kept.
    EXPECT_GE(form.interpretation().stationModels.size(), 1u);
    if (std::thread::hardware_concurrency() < form.sheet->stations.size()) {
        EXPECT_LT(form.interpretation().stationModels.size(), form.sheet->stations.size());
    }
    for (const auto& [index, fit] : form.interpretation().stationModels) {
        EXPECT_EQ(fit.stationNumber, static_cast<int>(index) + 1);
        EXPECT_TRUE(fit.fitted);
    }
    EXPECT_EQ(form.sheet->stationModel.has_value(), form.interpretation().stationModels.count(0) == 1);
}

TEST_F(InterpretationTest, BatchFitWithTheLateralConstraintFitsTheStationsAsOneLine) {
    openSurvey();
    EXPECT_TRUE(form.interpretation().modelPanel->lateralCheck->isEnabled());
    form.interpretation().modelPanel->layerCountSpin->setValue(3);
    form.interpretation().modelPanel->lateralCheck->setChecked(true);
    EXPECT_TRUE(form.interpretation().modelPanel->lateral());
    form.interpretation().onFitAllStations();
    EXPECT_EQ(form.interpretation().stationModels.size(), form.sheet->stations.size());
    for (const auto& [index, fit] : form.interpretation().stationModels) {
        EXPECT_TRUE(fit.fitted);
        EXPECT_EQ(fit.earth.size(), 3u) << index;
    }
    EXPECT_TRUE(form.statusPanels[2]->text().contains(u("横向约束权重")))
        << form.statusPanels[2]->text().toStdString();
    // A smooth fit has no lateral form.
    form.interpretation().modelPanel->smoothCheck->setChecked(true);
    EXPECT_FALSE(form.interpretation().modelPanel->lateralCheck->isEnabled());
    EXPECT_FALSE(form.interpretation().modelPanel->lateral());
}

TEST(InterpretationPanelParse, CellsTakePositiveFiniteNumbersOnly) {
    QLocale::setDefault(QLocale::c());
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {{"12.5", 12.5},       {" 7 ", 7.0},          {"1e3", 1000.0},       {"0", std::nullopt},
                 {"-3", std::nullopt}, {"abc", std::nullopt}, {"nan", std::nullopt}, {"", std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(InterpretationPanel::parsePositive(QString::fromUtf8(c.text)), c.value) << c.text;
}

} // namespace

// A Ui through which the window is closed at the fit's first report, as the window manager's close
// box would while the pump runs.
class ClosingUi : public ScriptedUi {
public:
    std::function<void()> atFirstReport;
    bool progress(std::uint64_t done, std::uint64_t total) override {
        if (atFirstReport)
            std::exchange(atFirstReport, nullptr)();
        return ScriptedUi::progress(done, total);
    }
};

// Closing the window during 全部测点反演 cancels the fit, asks about unsaved work as usual, and then
// closes the window, so that nothing keeps running without one.
TEST_F(InterpretationTest, ClosingTheWindowDuringTheBatchFitCancelsItAndCloses) {
    openSurvey();
    auto closing = std::make_unique<ClosingUi>();
    ClosingUi& closingUi = *closing;
    form.setUi(std::move(closing));
    ui = &closingUi;
    closingUi.queueAnswer(
        MsgResult::No); // 是否保存全部模型? — no (when a station was fitted before the close)
    closingUi.queueAnswer(MsgResult::No); // 是否保存已经绘制的剖面图? — no
    closingUi.atFirstReport = [this] { form.close(); };
    form.interpretation().onFitAllStations();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    ASSERT_FALSE(closingUi.messages.empty());
    EXPECT_EQ(closingUi.messages.back().text, "是否保存已经绘制的剖面图?");
    if (std::thread::hardware_concurrency() < form.sheet->stations.size()) {
        EXPECT_LT(form.interpretation().stationModels.size(), form.sheet->stations.size())
            << "the fit was not cancelled";
    }
}

// While the model panel is open, a click on a resistivity reading masks it for the next fit and a
// second click brings it back; the model on the sheet is then no longer the fit of the readings kept.
TEST_F(InterpretationTest, AClickOnAReadingMasksItForTheNextFitAndAgainUnmasksIt) {
    openSurvey();
    form.interpretation().modelPanel->show();
    const Curve& res = form.sheet->resCurve;
    const double x = res.x1 + res.xPoints[4];
    const double y = res.y1 + res.yPoints[4];
    clickAt(x, y);
    EXPECT_EQ(form.sheet->maskedPoints, std::vector<std::size_t>{4});
    EXPECT_EQ(penCalls, 0) << "masking is no pen edit";
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel);
    EXPECT_EQ(form.sheet->stationModel->report.pointsUsed, 32);
    EXPECT_EQ(form.sheet->stationModel->report.masked, std::vector<std::size_t>{4});
    EXPECT_TRUE(form.interpretation().modelPanel->maskedLabel->text().contains(u("第 5 点")));

    clickAt(x, y);
    EXPECT_TRUE(form.sheet->maskedPoints.empty());
    EXPECT_FALSE(form.sheet->stationModel->fitted);
    EXPECT_EQ(form.sheet->stationModel->report.pointsUsed, 33);

    form.interpretation().modelPanel->hide();
    clickAt(x, y);
    EXPECT_TRUE(form.sheet->maskedPoints.empty()) << "with the panel closed a click edits the pen as before";
}

// While the panel is open, the step line follows the mouse: a layer's piece moves its resistivity, the
// response, the panel's table and the RMS follow at every move, and the model is a given one.
TEST_F(InterpretationTest, DraggingALayerOfTheStepLineMovesItsResistivityLive) {
    openSurvey();
    const SheetState& s = *form.sheet;
    // Values at a share t of the left (resistivity) and bottom (AB/2) axes, both logarithmic.
    const auto rhoAt = [&](double t) {
        return s.leftAxis.rangeMin * std::pow(s.leftAxis.rangeMax / s.leftAxis.rangeMin, t);
    };
    const auto abAt = [&](double t) {
        return s.bottomAxis.rangeMin * std::pow(s.bottomAxis.rangeMax / s.bottomAxis.rangeMin, t);
    };
    const std::string rho1 = std::to_string(rhoAt(0.2)), rho2 = std::to_string(rhoAt(0.5)),
                      rho3 = std::to_string(rhoAt(0.8));
    const std::string thk1 = std::to_string(abAt(0.3)), thk2 = std::to_string(abAt(0.7) - abAt(0.3));
    typeModel({rho1.c_str(), rho2.c_str(), rho3.c_str()}, {thk1.c_str(), thk2.c_str()});
    form.interpretation().onForwardModel();
    form.interpretation().modelPanel->show();
    const double rmsBefore = s.stationModel->report.rmsPercent;

    const QPoint from = pixelOf(s.originX + 0.5 * s.xLength, s.originY + 0.5 * s.yLength);
    const QPoint to = pixelOf(s.originX + 0.5 * s.xLength, s.originY + 0.65 * s.yLength);
    form.editing().onSheetImagePressed(Qt::LeftButton, Qt::NoModifier, from.x(), from.y());
    form.editing().onSheetImageMoved(to.x(), to.y());
    ASSERT_TRUE(s.stationModel);
    // Live, before the button is let go.
    EXPECT_NEAR(s.stationModel->earth.layers[1].rho / rhoAt(0.65), 1.0, 0.02);
    EXPECT_NEAR(s.stationModel->earth.layers[0].rho, std::stod(rho1), 1e-6);
    EXPECT_NE(s.stationModel->report.rmsPercent, rmsBefore);
    EXPECT_NEAR(*InterpretationPanel::parsePositive(table().item(1, InterpretationPanel::RhoColumn)->text()) /
                    s.stationModel->earth.layers[1].rho,
                1.0, 1e-4);
    form.editing().onSheetImageReleased(Qt::LeftButton, to.x(), to.y());
    EXPECT_FALSE(s.stationModel->fitted);
    EXPECT_EQ(form.interpretation().stationModels.at(0).earth.layers[1].rho,
              s.stationModel->earth.layers[1].rho);
    EXPECT_TRUE(form.interpretation().modelPanel->reportLabel->text().contains(u("给定模型")));
    EXPECT_TRUE(s.maskedPoints.empty()) << "a drag masks nothing";
}

// 撤销 and 重做 (Ctrl+Z, Ctrl+Y in 编辑) take back and do again the fits, 清除模型, masks and drags of the
// interpretation, in order; a new step after an undo drops what was undone.
TEST_F(InterpretationTest, UndoAndRedoTakeBackTheModelStepsInOrder) {
    openSurvey();
    form.interpretation().modelPanel->show();
    EXPECT_FALSE(form.undoAction->isEnabled());
    form.interpretation().onFitStation();
    const SheetModel fit = *form.sheet->stationModel;
    const Curve& res = form.sheet->resCurve;
    clickAt(res.x1 + res.xPoints[4], res.y1 + res.yPoints[4]);
    ASSERT_EQ(form.sheet->maskedPoints, std::vector<std::size_t>{4});
    form.interpretation().onClearModel();
    EXPECT_FALSE(form.sheet->stationModel);
    EXPECT_TRUE(form.statusPanels[2]->text().contains(u("撤销")));

    form.undoAction->trigger(); // 清除模型
    ASSERT_TRUE(form.sheet->stationModel);
    EXPECT_EQ(form.sheet->stationModel->earth.layers[0].rho, fit.earth.layers[0].rho);
    EXPECT_FALSE(form.sheet->stationModel->fitted) << "the model as the mask left it";
    form.undoAction->trigger(); // the mask
    EXPECT_TRUE(form.sheet->maskedPoints.empty());
    EXPECT_TRUE(form.sheet->stationModel->fitted);
    EXPECT_TRUE(form.interpretation().modelPanel->maskedLabel->text().contains(u("无")));
    form.undoAction->trigger(); // the fit
    EXPECT_FALSE(form.sheet->stationModel);
    EXPECT_TRUE(form.interpretation().stationModels.empty());
    EXPECT_FALSE(form.undoAction->isEnabled());

    form.redoAction->trigger();
    form.redoAction->trigger();
    EXPECT_TRUE(form.sheet->stationModel && form.sheet->stationModel->fitted == false);
    EXPECT_EQ(form.sheet->maskedPoints, std::vector<std::size_t>{4});
    // A segment setting is a step too, and drops the redo of 清除模型.
    form.interpretation().modelPanel->segmentCheck->setChecked(true);
    EXPECT_FALSE(form.redoAction->isEnabled());
    form.undoAction->trigger();
    EXPECT_FALSE(form.interpretation().modelPanel->segmentCheck->isChecked());
    EXPECT_TRUE(form.sheet->stationModel);
}

// The caption names the file and the station shown; the printed sheet's footer names them with the date.
TEST_F(InterpretationTest, CaptionAndFooterNameTheFileAndTheStation) {
    EXPECT_EQ(form.windowTitle(), u("电测深曲线图"));
    openSurvey();
    EXPECT_EQ(form.windowTitle(), u("电测深曲线图 - boundiali.dat - 测点 1"));
    showStation(1);
    EXPECT_EQ(form.windowTitle(), u("电测深曲线图 - boundiali.dat - 测点 2"));
    const QString footer = form.sheetFooterText();
    EXPECT_TRUE(footer.contains(u("boundiali.dat")) && footer.contains(u("测点：2")) &&
                footer.contains(QDate::currentDate().toString(Qt::ISODate)))
        << footer.toStdString();
    EXPECT_TRUE(form.sheet->footerText.empty()) << "the screen shows no footer";
}

// A smooth fit holds its thin layers' thicknesses itself; back on block layers, the next 反演 holds none.
TEST_F(InterpretationTest, ASmoothFitsThicknessesAreNotHeldByTheNextBlockFit) {
    openSurvey();
    form.interpretation().modelPanel->smoothCheck->setChecked(true);
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel && form.sheet->stationModel->smooth);
    form.interpretation().modelPanel->smoothCheck->setChecked(false);
    std::string error;
    EXPECT_TRUE(form.interpretation().modelPanel->fixedParameters(error).empty());
}

// A new layer count is no fit yet: the report line says so instead of the old model's RMS.
TEST_F(InterpretationTest, ChangingTheLayerCountShowsTheModelAsNotYetFitted) {
    openSurvey();
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.interpretation().modelPanel->reportLabel->text().startsWith(u("RMS")));
    form.interpretation().modelPanel->layerCountSpin->setValue(5);
    EXPECT_TRUE(form.interpretation().modelPanel->reportLabel->text().contains(u("尚未反演")))
        << form.interpretation().modelPanel->reportLabel->text().toStdString();
}

// 保存模型 proposes the data file's stem and the station number; a file without M1 leaves the
// chargeability column empty.
TEST_F(InterpretationTest, SaveModelProposesANameAndNoChargeabilityIsShownEmpty) {
    openSurvey(QStringLiteral(VESPLOT_REAL_DATA_DIR "/gbalo.dat"));
    showStation(1);
    EXPECT_TRUE(form.interpretation().suggestedModelPath().endsWith(u("/gbalo-测点2.json")))
        << form.interpretation().suggestedModelPath().toStdString();
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel);
    EXPECT_EQ(table().item(0, InterpretationPanel::ChargeabilityColumn)->text(), QString());
    // A model file saved elsewhere moves the proposal to its folder.
    const QString path = folder.filePath(QStringLiteral("kept.json"));
    ASSERT_TRUE(form.interpretation().saveModelTo(path));
    EXPECT_TRUE(form.interpretation().suggestedModelPath().startsWith(QFileInfo(path).absolutePath()));
}

// 保存全部模型 keeps every station's model and masks in one file; 打开全部模型 gives them back to the
// stations with those numbers. Models not saved so are unsaved work for the close.
TEST_F(InterpretationTest, AllModelsOfTheLineGoToOneFileAndBack) {
    openSurvey();
    form.interpretation().onFitStation();
    showStation(1);
    form.interpretation().modelPanel->show();
    const Curve& res = form.sheet->resCurve;
    clickAt(res.x1 + res.xPoints[4], res.y1 + res.yPoints[4]);
    form.interpretation().onFitStation();
    ASSERT_EQ(form.interpretation().stationModels.size(), 2u);
    const double rho = form.interpretation().stationModels.at(1).earth.layers[0].rho;
    EXPECT_TRUE(form.interpretation().modelsUnsaved);
    ui->queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(form.queryClose());
    EXPECT_EQ(ui->messages.back().text, "有尚未保存的测点模型，是否保存全部模型?");

    const QString path = folder.filePath(QStringLiteral("line.json"));
    ASSERT_TRUE(form.interpretation().saveAllModelsTo(path));
    EXPECT_FALSE(form.interpretation().modelsUnsaved);
    openSurvey();
    ASSERT_TRUE(form.interpretation().stationModels.empty());
    ASSERT_TRUE(form.interpretation().openAllModelsFrom(path));
    ASSERT_EQ(form.interpretation().stationModels.size(), 2u);
    EXPECT_EQ(form.interpretation().stationModels.at(0).stationNumber, 1);
    EXPECT_NEAR(form.interpretation().stationModels.at(1).earth.layers[0].rho / rho, 1.0, 1e-9);
    EXPECT_EQ(form.interpretation().stationMasks.at(1), std::vector<std::size_t>{4});
    EXPECT_FALSE(form.interpretation().modelsUnsaved);
}

// The panel's fit of one station: "自动" by default with the misfit of every count tried, the ranges in
// their own columns, and the segment factors when 分段校正 is ticked.
TEST_F(InterpretationTest, TheFitReportsItsLayerChoiceRangesAndSegmentFactors) {
    openSurvey();
    EXPECT_TRUE(form.interpretation().modelPanel->autoLayers());
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel);
    const model::FitReport& report = form.sheet->stationModel->report;
    EXPECT_FALSE(report.layerSearch.empty());
    EXPECT_EQ(static_cast<int>(form.sheet->stationModel->earth.size()), report.layersChosen);
    EXPECT_TRUE(form.interpretation().modelPanel->reportLabel->text().contains(u("自动选择")));
    EXPECT_FALSE(table().item(0, InterpretationPanel::RhoRangeColumn)->text().isEmpty());
    EXPECT_TRUE(form.interpretation().modelPanel->autoLayers()) << "the chosen count does not replace 自动";

    form.interpretation().modelPanel->segmentCheck->setChecked(true);
    form.interpretation().onFitStation();
    // The survey's stations were measured with MN/2 of 0.4, 1, 5 and 10 m.
    ASSERT_EQ(form.sheet->stationModel->report.segments.size(), 4u);
    EXPECT_TRUE(form.sheet->stationModel->report.segments.front().reference);
    EXPECT_TRUE(form.interpretation().modelPanel->reportLabel->text().contains(u("分段因子")));
}

// However tall the panel grows (ten layers), the plot control window leaves its buttons free.
TEST_F(InterpretationTest, ATallPanelKeepsItsButtonsClearOfThePlotControlWindow) {
    form.setWindowState(Qt::WindowNoState);
    form.resize(1600, 760);
    openSurvey();
    form.interpretation().modelPanel->show();
    for (int layers : {6, 10, 2}) {
        form.interpretation().modelPanel->layerCountSpin->setValue(layers);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        for (const QWidget* button :
             {static_cast<QWidget*>(form.interpretation().modelPanel->fitButton),
              static_cast<QWidget*>(form.interpretation().modelPanel->forwardButton)}) {
            const QRect at(button->mapToGlobal(QPoint(0, 0)), button->size());
            EXPECT_FALSE(form.plotControlWindow()->frameGeometry().intersects(at)) << layers << " layers";
        }
    }
}

// Opening another file would discard the stations' models: the user's open asks first, and 取消 keeps them.
TEST_F(InterpretationTest, OpeningAnotherFileAsksAboutModelsNotSaved) {
    openSurvey();
    form.interpretation().onFitStation();
    ASSERT_TRUE(form.sheet->stationModel);
    ui->queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(form.openDataAfterAsking(realSurvey, DataFileKind::Column));
    EXPECT_EQ(lastMessage(), "有尚未保存的测点模型，是否保存全部模型?");
    EXPECT_TRUE(form.sheet->stationModel) << "cancelled: the models stay";
    ui->queueAnswer(MsgResult::No);
    EXPECT_TRUE(form.openDataAfterAsking(realSurvey, DataFileKind::Column));
    EXPECT_FALSE(form.sheet->stationModel);
}
