#include "app/InterpretationController.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QTimer>

#include "app/FitProgress.h"
#include "app/InterpretationPanel.h"
#include "core/Conversions.h"
#include "core/Ui.h"
#include "model/BatchFit.h"
#include "model/LineModelFile.h"
#include "model/ModelFile.h"
#include "sheet/ModelOverlay.h"
#include "sheet/PlotChoices.h"
#include "sheet/StationSounding.h"

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Larger files are no model files; they are not read twice.
constexpr qint64 maxModelFileBytes = 1 << 20;
// A line's model file: a model file per station, for tens of thousands of stations.
constexpr qint64 maxLineModelFileBytes = qint64(1) << 30;

// Why a model file was refused, in the window's words.
std::string modelFileReason(model::ModelFileError kind, const std::optional<model::DomainReason>& outside) {
    switch (kind) {
    case model::ModelFileError::Unreadable:
        return "无法读取模型文件。";
    case model::ModelFileError::NotAModelFile:
        return "不是模型文件。";
    case model::ModelFileError::UnsupportedVersion:
        return "模型文件的版本不受支持。";
    case model::ModelFileError::OtherStation:
        return "模型文件属于另一个测点。";
    case model::ModelFileError::InvalidValue:
        return "模型文件中有缺失或无效的数值。";
    case model::ModelFileError::InconsistentFit:
        return "模型文件中的拟合记录自相矛盾。";
    case model::ModelFileError::OutsideDomain:
        return "模型超出正演计算的范围：" + (outside ? outside->chinese() : std::string()) + "。";
    case model::ModelFileError::None:
        break;
    }
    return {};
}

std::filesystem::path pathOf(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// The response of a typed model at the station's usable points, less the masked ones, and its misfit to the
// readings as the segment factors correct them (none: as measured).
model::FitReport responseOf(const model::LayeredModel& earth, const model::SoundingData& data,
                            const std::vector<std::size_t>& masked,
                            const std::vector<model::SegmentFactor>& segments = {}) {
    const model::UsablePoints points = model::UsablePoints::of(data, false, masked);
    model::FitReport report;
    report.ab2 = points.ab2;
    report.response = model::apparentResistivity(earth, points.ab2, points.mn2);
    report.pointsUsed = static_cast<int>(points.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        double factor = 1.0;
        for (const model::SegmentFactor& segment : segments)
            if (segment.mn2 == points.measuredMn2[i])
                factor = segment.factor;
        const double misfit = 100.0 * std::log(factor * points.rhoa[i] / report.response[i]);
        sum += misfit * misfit;
    }
    report.rmsPercent = points.size() > 0 ? std::sqrt(sum / static_cast<double>(points.size())) : 0.0;
    report.masked = masked;
    report.segments = segments;
    return report;
}

const std::vector<std::size_t> noMasks;

// What a model file keeps of a station's fit: the layer choice, the segment factors, the masks.
model::ModelFileContent keptContentOf(const SheetModel& current, const std::vector<std::size_t>& masked) {
    model::ModelFileContent kept;
    kept.autoLayers = current.report.layersChosen > 0;
    kept.segments = current.report.segments;
    if (!kept.segments.empty())
        kept.segmentReference = kept.segments.back().reference && kept.segments.size() > 1
                                    ? model::SegmentReference::LargestMn2
                                    : model::SegmentReference::SmallestMn2;
    kept.masked = masked;
    return kept;
}

// Writes `content` to `path` beside it and renames it over: an old file stays whole when writing fails.
bool writeWhole(const QString& path, const std::string& content) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(content.data(), static_cast<qint64>(content.size())) ==
               static_cast<qint64>(content.size()) &&
           file.commit();
}

// The fit's reasons in the user's language where they are known.
std::string fitErrorText(const model::FitReport& report) {
    if (report.outOfMemory)
        return outOfMemoryMessage;
    const std::string& error = report.error;
    if (error.rfind("Too few usable points", 0) == 0)
        return "可用的数据点少于模型参数，无法反演。\n(" + error + ")";
    return error;
}

} // namespace

InterpretationController::InterpretationController(QMainWindow& window, SheetState& sheet, Ui& ui,
                                                   const QString& dataFile, QAction& undo, QAction& redo)
    : QObject(&window), window(window), sheet(sheet), ui(ui), dataFile(dataFile), undoAction(undo),
      redoAction(redo) {
    modelPanel = new InterpretationPanel(&window);
    window.addDockWidget(Qt::RightDockWidgetArea, modelPanel);
    modelPanel->hide();
    connect(modelPanel, &InterpretationPanel::fitRequested, this, &InterpretationController::onFitStation);
    connect(modelPanel, &InterpretationPanel::forwardRequested, this,
            &InterpretationController::onForwardModel);
    connect(modelPanel, &InterpretationPanel::showTableChanged, this,
            &InterpretationController::onShowModelTableToggled);
    connect(modelPanel, &InterpretationPanel::segmentSettingChanged, this,
            &InterpretationController::onSegmentSettingChanged);
    connect(&undoAction, &QAction::triggered, this, &InterpretationController::onUndo);
    connect(&redoAction, &QAction::triggered, this, &InterpretationController::onRedo);
    createMenu();
}

void InterpretationController::createMenu() {
    interpretMenu = window.menuBar()->addMenu(text("解释(&I)"));
    fitStationAction = interpretMenu->addAction(text("反演当前测点"));
    modelPanelAction = modelPanel->toggleViewAction();
    modelPanelAction->setText(text("模型面板"));
    interpretMenu->addAction(modelPanelAction);
    fitAllAction = interpretMenu->addAction(text("全部测点反演..."));
    interpretMenu->addSeparator();
    saveModelAction = interpretMenu->addAction(text("保存模型..."));
    openModelAction = interpretMenu->addAction(text("打开模型..."));
    clearModelAction = interpretMenu->addAction(text("清除模型"));
    interpretMenu->addSeparator();
    saveAllModelsAction = interpretMenu->addAction(text("保存全部模型..."));
    openAllModelsAction = interpretMenu->addAction(text("打开全部模型..."));
    interpretMenu->setObjectName(QStringLiteral("mnInterpret"));
    for (QAction* needsData : {fitStationAction, fitAllAction, saveModelAction, openModelAction,
                               clearModelAction, saveAllModelsAction, openAllModelsAction})
        needsData->setEnabled(false);

    connect(fitStationAction, &QAction::triggered, this, &InterpretationController::onFitStation);
    connect(fitAllAction, &QAction::triggered, this, &InterpretationController::onFitAllStations);
    connect(saveModelAction, &QAction::triggered, this, &InterpretationController::onSaveModel);
    connect(openModelAction, &QAction::triggered, this, &InterpretationController::onOpenModel);
    connect(clearModelAction, &QAction::triggered, this, &InterpretationController::onClearModel);
    connect(saveAllModelsAction, &QAction::triggered, this, &InterpretationController::onSaveAllModels);
    connect(openAllModelsAction, &QAction::triggered, this, &InterpretationController::onOpenAllModels);
}

void InterpretationController::reset(int shownIndex) {
    modelDrag.reset();
    modelsUnsaved = false;
    beforeDrag.reset();
    modelHistory.clear();
    refreshUndoActions();
    stationModels.clear();
    stationMasks.clear();
    sheet.stationModel.reset();
    sheet.maskedPoints.clear();
    const bool loaded = !sheet.stations.empty();
    shown.reset();
    if (loaded && shownIndex >= 0 && static_cast<std::size_t>(shownIndex) < sheet.stations.size())
        shown = static_cast<std::size_t>(shownIndex);
    for (QAction* needsData : {fitStationAction, fitAllAction, saveModelAction, openModelAction,
                               clearModelAction, saveAllModelsAction, openAllModelsAction})
        needsData->setEnabled(loaded);
    modelPanel->showModel(nullptr);
    showMaskedReadings();
    emit shownStationChanged();
}

const std::vector<std::size_t>& InterpretationController::masksOf(std::size_t index) const {
    const auto found = stationMasks.find(index);
    return found == stationMasks.end() ? noMasks : found->second;
}

void InterpretationController::showMaskedReadings() {
    std::vector<double> ab2;
    const std::vector<std::size_t>& masked = sheet.maskedPoints;
    if (shown && *shown < sheet.stations.size())
        for (std::size_t i : masked)
            if (i < sheet.stations[*shown].size())
                ab2.push_back(sheet.stations[*shown].abHalf[i]);
    modelPanel->showMasked(masked, ab2);
}

void InterpretationController::adoptSectionModel(std::size_t index, const StationModel& fitted, bool joint) {
    if (index >= sheet.stations.size() || (!joint && stationModels.count(index) > 0))
        return;
    model::LayeredModel earth;
    for (const model::Layer& layer : fitted.earth.layers)
        earth.layers.push_back({layer.rho, layer.thk, fitted.withChargeability ? layer.m : 0.0});
    if (!earth.layers.empty())
        earth.layers.back().thk = 0.0;
    if (!earth.isValid())
        return;
    const Station& station = sheet.stations[index];
    SheetModel adopted{station.stationNumber.front(), earth,
                       responseOf(earth, soundingOf(station, false), masksOf(index)), true,
                       modelPanel->showTable()};
    adopted.report.converged = true;
    putStationModel(index, adopted);
    emit statusText(text(joint ? "测点 %1 的模型取自测线的横向约束反演，RMS %2 %。"
                               : "测点 %1 的模型取自测线剖面的反演，RMS %2 %。")
                        .arg(station.stationNumber.front())
                        .arg(adopted.report.rmsPercent, 0, 'f', 1));
}

void InterpretationController::toggleMaskedReading(std::size_t position) {
    if (!shown || *shown >= sheet.stations.size() || position >= sheet.stations[*shown].size())
        return;
    const std::size_t index = *shown;
    ModelSnapshot before = modelSnapshot();
    std::vector<std::size_t>& masked = stationMasks[index];
    const auto found = std::find(masked.begin(), masked.end(), position);
    const bool masking = found == masked.end();
    recordModelStep(std::move(before), masking ? "屏蔽读数" : "恢复读数");
    if (masking) {
        masked.insert(std::upper_bound(masked.begin(), masked.end(), position), position);
    } else {
        masked.erase(found);
    }
    if (masked.empty())
        stationMasks.erase(index);
    const Station& station = sheet.stations[index];
    sheet.maskedPoints = masksOf(index);
    // The model stays; its misfit is now over the readings kept, and it is no longer the fit of them.
    if (const auto model = stationModels.find(index); model != stationModels.end()) {
        SheetModel changed = model->second;
        changed.report =
            responseOf(changed.earth, soundingOf(station, false), masksOf(index), changed.report.segments);
        changed.fitted = false;
        putStationModel(index, changed);
    } else {
        emit sheetChanged();
    }
    showMaskedReadings();
    emit statusText(text(masking ? "已屏蔽测点 %1 的第 %2 个读数（AB/2 = %3 m），请重新反演。"
                                 : "已恢复测点 %1 的第 %2 个读数（AB/2 = %3 m），请重新反演。")
                        .arg(station.stationNumber.front())
                        .arg(position + 1)
                        .arg(static_cast<double>(station.abHalf[position]), 0, 'g', 5));
}

ModelSnapshot InterpretationController::modelSnapshot() const {
    return {stationModels, stationMasks, modelPanel->segmentReference()};
}

void InterpretationController::restoreModelSnapshot(ModelSnapshot snapshot) {
    stationModels = std::move(snapshot.models);
    stationMasks = std::move(snapshot.masks);
    modelPanel->setSegmentReference(snapshot.segments);
    recordedSegments = snapshot.segments;
    modelsUnsaved = true;
    if (shown) {
        showStation(static_cast<int>(*shown));
        emit sheetChanged();
    }
}

void InterpretationController::recordModelStep(ModelSnapshot before, const char* what) {
    modelHistory.record(std::move(before), what);
    modelsUnsaved = true;
    refreshUndoActions();
}

void InterpretationController::refreshUndoActions() {
    undoAction.setEnabled(modelHistory.canUndo());
    redoAction.setEnabled(modelHistory.canRedo());
    const QString undoStep = QString::fromStdString(modelHistory.undoText());
    const QString redoStep = QString::fromStdString(modelHistory.redoText());
    undoAction.setToolTip(undoStep.isEmpty() ? text("撤销") : text("撤销：") + undoStep);
    undoAction.setStatusTip(undoAction.toolTip());
    redoAction.setToolTip(redoStep.isEmpty() ? text("重做") : text("重做：") + redoStep);
    redoAction.setStatusTip(redoAction.toolTip());
}

void InterpretationController::onUndo() {
    const QString step = QString::fromStdString(modelHistory.undoText());
    auto snapshot = modelHistory.undo(modelSnapshot());
    if (!snapshot)
        return;
    restoreModelSnapshot(std::move(*snapshot));
    refreshUndoActions();
    emit statusText(text("已撤销：%1").arg(step));
}

void InterpretationController::onRedo() {
    const QString step = QString::fromStdString(modelHistory.redoText());
    auto snapshot = modelHistory.redo(modelSnapshot());
    if (!snapshot)
        return;
    restoreModelSnapshot(std::move(*snapshot));
    refreshUndoActions();
    emit statusText(text("已重做：%1").arg(step));
}

void InterpretationController::onSegmentSettingChanged() {
    ModelSnapshot before = modelSnapshot();
    before.segments = recordedSegments;
    recordedSegments = modelPanel->segmentReference();
    if (before.segments != recordedSegments)
        recordModelStep(std::move(before), "分段校正设置");
}

void InterpretationController::dragModelTo(Point at) {
    if (!modelDrag || !shown || !sheet.stationModel)
        return;
    const std::size_t index = *shown;
    // A dragged model is the user's: its misfit over the readings kept, no fit of them.
    SheetModel moved = *sheet.stationModel;
    moved.earth = modelDrag->movedTo(sheet, at);
    moved.report = responseOf(moved.earth, soundingOf(sheet.stations[index], false), masksOf(index));
    moved.fitted = false;
    putStationModel(index, moved);
}

void InterpretationController::showStation(int index) {
    modelDrag.reset();
    shown.reset();
    sheet.stationModel.reset();
    sheet.maskedPoints.clear();
    if (index >= 0 && static_cast<std::size_t>(index) < sheet.stations.size()) {
        shown = static_cast<std::size_t>(index);
        const auto found = stationModels.find(*shown);
        if (found != stationModels.end())
            sheet.stationModel = found->second;
        sheet.maskedPoints = masksOf(*shown);
    }
    modelPanel->showModel(sheet.stationModel ? &*sheet.stationModel : nullptr);
    showMaskedReadings();
    emit shownStationChanged();
}

std::optional<std::size_t> InterpretationController::currentStation() {
    if (!shown || *shown >= sheet.stations.size() || sheet.stations[*shown].empty()) {
        ui.messageBox("请先加载数据！", "提示", MsgButtons::Ok, MsgIcon::Information);
        return std::nullopt;
    }
    return shown;
}

void InterpretationController::putStationModel(std::size_t index, const SheetModel& stationModel) {
    stationModels[index] = stationModel;
    if (shown == index) {
        sheet.stationModel = stationModel;
        modelPanel->showModel(&*sheet.stationModel);
        emit sheetChanged();
    }
}

void InterpretationController::onFitStation() try {
    const auto index = currentStation();
    if (!index)
        return;
    const Station& station = sheet.stations[*index];
    std::string error;
    const std::vector<model::FixedParameter> fixed = modelPanel->fixedParameters(error);
    if (!error.empty()) {
        ui.messageBox(error, "提示", MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    const model::SoundingData data = soundingOf(station, false);
    model::FitResult fit;
    if (const WaitCursor busy(ui); modelPanel->smooth()) {
        model::SmoothFitOptions options;
        options.mask = masksOf(*index);
        fit = model::fitSmoothModel(data, options);
    } else {
        model::BlockFitOptions options;
        options.layers = modelPanel->layerCount();
        options.autoLayers = modelPanel->autoLayers();
        options.segments = modelPanel->segmentReference();
        options.mask = masksOf(*index);
        // The window's fit of one station always gives the ranges the data allow.
        options.ranges = true;
        options.fixed = fixed;
        // The typed layers, when complete, are one more starting model.
        std::string ignored;
        if (const auto typed = modelPanel->typedModel(ignored); typed && typed->isValid())
            options.start = *typed;
        fit = model::fitBlockModel(data, options);
    }
    if (!fit.report.ok()) {
        ui.messageBox("测点 " + std::to_string(station.stationNumber.front()) + " 无法反演：\n" +
                          fitErrorText(fit.report),
                      "警告", MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    modelPanel->show();
    recordModelStep(modelSnapshot(), "反演");
    SheetModel fitted{station.stationNumber.front(), fit.model, fit.report, true, modelPanel->showTable()};
    fitted.smooth = modelPanel->smooth();
    putStationModel(*index, fitted);
    emit statusText(text("测点 %1 反演完成，RMS %2 %。")
                        .arg(station.stationNumber.front())
                        .arg(fit.report.rmsPercent, 0, 'f', 1));
} catch (const std::bad_alloc&) {
    // A fit that runs out of memory leaves the models as they were.
    ui.messageBox(outOfMemoryMessage, "错误", MsgButtons::Ok, MsgIcon::Error);
}

void InterpretationController::onForwardModel() {
    const auto index = currentStation();
    if (!index)
        return;
    std::string error;
    const auto typed = modelPanel->typedModel(error);
    if (!typed) {
        ui.messageBox(error, "提示", MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    const Station& station = sheet.stations[*index];
    recordModelStep(modelSnapshot(), "正演");
    putStationModel(*index, {station.stationNumber.front(), *typed,
                             responseOf(*typed, soundingOf(station, false), masksOf(*index)), false,
                             modelPanel->showTable()});
    emit statusText(text("已绘制测点 %1 所输入模型的响应。").arg(station.stationNumber.front()));
}

void InterpretationController::onShowModelTableToggled(bool showTable) {
    if (!shown)
        return;
    const auto found = stationModels.find(*shown);
    if (found == stationModels.end())
        return;
    found->second.showTable = showTable;
    putStationModel(*shown, found->second);
}

void InterpretationController::onFitAllStations() try {
    if (!currentStation())
        return;
    std::string error;
    model::BatchOptions options;
    options.kind = modelPanel->smooth() ? model::FitKind::Smooth : model::FitKind::Block;
    options.block.layers = modelPanel->layerCount();
    options.block.autoLayers = modelPanel->autoLayers();
    options.block.segments = modelPanel->segmentReference();
    options.block.fixed = modelPanel->fixedParameters(error);
    if (!error.empty()) {
        ui.messageBox(error, "提示", MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    std::vector<model::SoundingData> soundings;
    soundings.reserve(sheet.stations.size());
    for (const Station& station : sheet.stations)
        soundings.push_back(soundingOf(station, false));
    for (const auto& [index, masked] : stationMasks) {
        if (options.masks.size() <= index)
            options.masks.resize(index + 1);
        options.masks[index] = masked;
    }

    bool cancel = false;
    std::vector<model::FitResult> fits;
    QString lateralText;
    {
        // A close meanwhile cancels the fit; the window closes once it is back (closeEvent).
        const QScopedValueRollback<bool> running(batchFitRunning, true);
        if (modelPanel->lateral()) {
            // One line in file order, neighbours placed by their station numbers.
            model::LateralFitOptions lateral;
            lateral.block = options.block;
            lateral.masks = options.masks;
            lateral.positions = stationPositions(sheet.stations, StationPlacement::ByNumber, 1.0);
            model::LateralFitResult line =
                fitLineWithProgress(ui, soundings, lateral, cancel, &closeAfterFit);
            if (line.error.empty() && !line.cancelled)
                lateralText =
                    text("，横向约束权重 %1，总 RMS %2%（各点独立反演 %3%）")
                        .arg(QString::fromStdString(formatPattern(line.weight, "0.###")))
                        .arg(QString::fromStdString(formatPattern(line.rmsPercent, "0.00")))
                        .arg(QString::fromStdString(formatPattern(line.independentRmsPercent, "0.00")));
            fits = std::move(line.stations);
        } else {
            fits = fitStationsWithProgress(ui, soundings, options, cancel, &closeAfterFit);
        }
    }
    const std::size_t total = soundings.size();

    ModelSnapshot before = modelSnapshot();
    const bool replacing = !stationModels.empty();
    std::size_t fitted = 0;
    std::string failures;
    for (std::size_t i = 0; i < fits.size(); ++i) {
        const Station& station = sheet.stations[i];
        const model::FitResult& fit = fits[i];
        if (fit.report.ok()) {
            ++fitted;
            stationModels[i] = {station.stationNumber.front(), fit.model, fit.report, true,
                                modelPanel->showTable()};
            stationModels[i].smooth = options.kind == model::FitKind::Smooth;
        } else if (fit.report.error != "Cancelled.") {
            failures +=
                "\n测点 " + std::to_string(station.stationNumber.front()) + "：" + fitErrorText(fit.report);
        }
    }
    if (fitted > 0)
        recordModelStep(std::move(before), "全部测点反演");
    if (closeAfterFit) {
        // Closed during the fit: the close runs now, with its question about unsaved work.
        closeAfterFit = false;
        QTimer::singleShot(0, &window, &QWidget::close);
        return;
    }
    showStation(static_cast<int>(*shown));
    emit sheetChanged();
    emit statusText(
        text("已反演 %1 个测点（共 %2 个）%3%4。%5")
            .arg(fitted)
            .arg(total)
            .arg(lateralText)
            .arg(cancel ? text("，已取消") : QString())
            .arg(replacing && fitted > 0 ? text("原有的模型可用“撤销”(Ctrl+Z)恢复。") : QString()));
    if (!failures.empty())
        ui.messageBox("以下测点无法反演：" + failures, "警告", MsgButtons::Ok, MsgIcon::Warning);
} catch (const std::bad_alloc&) {
    // A fit that runs out of memory leaves the models as they were.
    ui.messageBox(outOfMemoryMessage, "错误", MsgButtons::Ok, MsgIcon::Error);
}

void InterpretationController::onClearModel() {
    if (!shown || !stationModels.contains(*shown))
        return;
    recordModelStep(modelSnapshot(), "清除模型");
    stationModels.erase(*shown);
    showStation(static_cast<int>(*shown));
    emit sheetChanged();
    emit statusText(text("已清除测点 %1 的模型。可用“撤销”(Ctrl+Z)恢复。")
                        .arg(sheet.stations[*shown].stationNumber.front()));
}

void InterpretationController::onSaveModel() {
    if (!currentStation())
        return;
    if (!sheet.stationModel) {
        ui.messageBox("当前测点没有模型。", "提示", MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    QString name = QFileDialog::getSaveFileName(&window, text("保存模型"), suggestedModelPath(),
                                                text("模型文件(*.json)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".json");
    saveModelTo(name);
}

QString InterpretationController::suggestedModelPath() const {
    const QFileInfo data(dataFile);
    const QString folder = modelFolder.isEmpty() ? data.absolutePath() : modelFolder;
    if (!shown || *shown >= sheet.stations.size())
        return folder;
    return folder + QLatin1Char('/') +
           text("%1-测点%2.json")
               .arg(data.completeBaseName())
               .arg(sheet.stations[*shown].stationNumber.front());
}

bool InterpretationController::saveModelTo(const QString& path) {
    if (!sheet.stationModel || !sheet.stationModel->earth.isValid()) {
        ui.messageBox("当前测点没有模型。", "提示", MsgButtons::Ok, MsgIcon::Information);
        return false;
    }
    std::error_code ec;
    if (!dataFile.isEmpty() && std::filesystem::equivalent(pathOf(path), pathOf(dataFile), ec)) {
        ui.messageBox("不能把模型保存到打开的数据文件上。", "警告", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    const SheetModel& current = *sheet.stationModel;
    const model::ModelFileContent kept = keptContentOf(current, shown ? masksOf(*shown) : noMasks);
    const std::string content = model::formatModelFile(
        current.stationNumber, current.earth, current.fitted ? current.report.rmsPercent : -1.0, kept);
    // Written beside the target and renamed over it: an old file stays whole when writing fails.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(content.data(), static_cast<qint64>(content.size())) !=
            static_cast<qint64>(content.size()) ||
        !file.commit()) {
        ui.messageBox("无法写入模型文件:\n" + path.toStdString(), applicationTitle, MsgButtons::Ok,
                      MsgIcon::Error);
        return false;
    }
    modelFolder = QFileInfo(path).absolutePath();
    emit statusText(text("模型已保存：%1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void InterpretationController::onSaveAllModels() {
    if (!currentStation())
        return;
    if (stationModels.empty()) {
        ui.messageBox("没有测点有模型。", "提示", MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    const QFileInfo data(dataFile);
    const QString proposal = (modelFolder.isEmpty() ? data.absolutePath() : modelFolder) + QLatin1Char('/') +
                             data.completeBaseName() + text("-全部模型.json");
    QString name =
        QFileDialog::getSaveFileName(&window, text("保存全部模型"), proposal, text("模型文件(*.json)"));
    if (name.isEmpty())
        return;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".json");
    saveAllModelsTo(name);
}

bool InterpretationController::saveAllModelsTo(const QString& path) {
    std::error_code ec;
    if (!dataFile.isEmpty() && std::filesystem::equivalent(pathOf(path), pathOf(dataFile), ec)) {
        ui.messageBox("不能把模型保存到打开的数据文件上。", "警告", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    std::vector<model::LineModelEntry> entries;
    for (const auto& [index, stationModel] : stationModels) {
        if (!stationModel.earth.isValid())
            continue;
        entries.push_back({stationModel.stationNumber, stationModel.earth,
                           stationModel.fitted ? stationModel.report.rmsPercent : -1.0,
                           keptContentOf(stationModel, masksOf(index))});
    }
    if (!writeWhole(path, model::formatLineModelFile(entries))) {
        ui.messageBox("无法写入模型文件:\n" + path.toStdString(), applicationTitle, MsgButtons::Ok,
                      MsgIcon::Error);
        return false;
    }
    modelFolder = QFileInfo(path).absolutePath();
    modelsUnsaved = false;
    emit statusText(
        text("已保存 %1 个测点的模型：%2").arg(entries.size()).arg(QDir::toNativeSeparators(path)));
    return true;
}

void InterpretationController::onOpenAllModels() {
    if (!currentStation())
        return;
    const QString name = QFileDialog::getOpenFileName(&window, text("打开全部模型"), modelDialogFolder(),
                                                      text("模型文件(*.json)"));
    if (!name.isEmpty())
        openAllModelsFrom(name);
}

bool InterpretationController::openAllModelsFrom(const QString& path) {
    if (!currentStation())
        return false;
    // Only a regular file of a bounded size is read, once.
    QByteArray bytes;
    if (const QFileInfo info(path); info.isFile() && info.size() <= maxLineModelFileBytes) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.read(maxLineModelFileBytes + 1);
    }
    if (bytes.isEmpty() || bytes.size() > maxLineModelFileBytes) {
        ui.messageBox("无法读取模型文件:\n" + path.toStdString(), "警告", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    const model::LineModelFileResult read = model::parseLineModelFile(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!read.ok()) {
        const std::string where = read.entry == 0 ? std::string()
                                                  : "第 " + std::to_string(read.entry) + " 项（测点 " +
                                                        std::to_string(read.station) + "）：";
        ui.messageBox(where + modelFileReason(read.kind, read.outside), "警告", MsgButtons::Ok,
                      MsgIcon::Warning);
        return false;
    }
    modelFolder = QFileInfo(path).absolutePath();
    ModelSnapshot before = modelSnapshot();
    std::size_t taken = 0;
    std::string missing;
    for (const model::LineModelEntry& entry : read.stations) {
        const auto index = findStationIndex(sheet.stations, entry.station);
        if (!index) {
            missing += (missing.empty() ? "" : "，") + std::to_string(entry.station);
            continue;
        }
        if (entry.content.masked.empty())
            stationMasks.erase(*index);
        else
            stationMasks[*index] = entry.content.masked;
        SheetModel loaded{entry.station, entry.model, {}, false, modelPanel->showTable()};
        loaded.report = responseOf(entry.model, soundingOf(sheet.stations[*index], false), masksOf(*index),
                                   entry.content.segments);
        stationModels[*index] = loaded;
        ++taken;
    }
    if (taken > 0)
        recordModelStep(std::move(before), "打开全部模型");
    modelsUnsaved = false;
    if (shown) {
        showStation(static_cast<int>(*shown));
        emit sheetChanged();
    }
    emit statusText(text("已读入 %1 个测点的模型。").arg(taken));
    if (!missing.empty())
        ui.messageBox("文件中以下测点不在打开的数据中：" + missing, "提示", MsgButtons::Ok,
                      MsgIcon::Information);
    return taken > 0;
}

void InterpretationController::onOpenModel() {
    if (!currentStation())
        return;
    const QString name = QFileDialog::getOpenFileName(&window, text("打开模型"), modelDialogFolder(),
                                                      text("模型文件(*.json)"));
    if (!name.isEmpty())
        openModelFrom(name);
}

bool InterpretationController::openModelFrom(const QString& path) {
    const auto index = currentStation();
    if (!index)
        return false;
    const std::int32_t number = sheet.stations[*index].stationNumber.front();
    modelFolder = QFileInfo(path).absolutePath();
    // Only a regular file of model size is read, and only once: a pipe or a device named *.json would
    // block the window or never end. Anything else goes to the model reader, which says why it refuses.
    QByteArray bytes;
    bool readHere = false;
    if (const QFileInfo info(path); info.isFile() && info.size() <= maxModelFileBytes) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            bytes = file.read(maxModelFileBytes + 1);
            readHere = bytes.size() <= maxModelFileBytes;
        }
    }
    const std::string_view content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const model::ModelFileResult read =
        readHere ? model::parseModelFile(content, number) : model::loadModelFile(pathOf(path), number);
    if (!read.ok()) {
        // A good file of another station names it; anything else says why it is refused.
        const std::optional<int> fileStation = readHere && read.kind == model::ModelFileError::OtherStation
                                                   ? model::modelFileStation(content)
                                                   : std::nullopt;
        if (fileStation)
            ui.messageBox("模型文件属于测点 " + std::to_string(*fileStation) + "，不是当前测点 " +
                              std::to_string(number) + "。",
                          "警告", MsgButtons::Ok, MsgIcon::Warning);
        else
            ui.messageBox(modelFileReason(read.kind, read.outside), "警告", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    recordModelStep(modelSnapshot(), "打开模型");
    // The readings the file's fit left out are left out again; its segment factors are drawn.
    if (read.content.masked.empty())
        stationMasks.erase(*index);
    else
        stationMasks[*index] = read.content.masked;
    sheet.maskedPoints = masksOf(*index);
    SheetModel loaded{number, read.model, {}, false, modelPanel->showTable()};
    loaded.report = responseOf(read.model, soundingOf(sheet.stations[*index], false), masksOf(*index),
                               read.content.segments);
    showMaskedReadings();
    putStationModel(*index, loaded);
    emit statusText(text("已读入测点 %1 的模型。").arg(number));
    return true;
}

QString InterpretationController::modelDialogFolder() const {
    return modelFolder.isEmpty() ? QFileInfo(dataFile).absolutePath() : modelFolder;
}

std::optional<StationModel> InterpretationController::sectionModelOf(std::size_t index) const {
    const auto found = stationModels.find(index);
    if (found == stationModels.end() || index >= sheet.stations.size())
        return std::nullopt;
    StationModel known = stationModelOf(sheet.stations[index], {found->second.earth, found->second.report});
    if (!found->second.fitted)
        known.rmsPercent = NAN; // typed or edited: no misfit of its own
    return known;
}

bool InterpretationController::askToSaveModels() {
    if (!modelsUnsaved || stationModels.empty())
        return true;
    switch (ui.messageBox("有尚未保存的测点模型，是否保存全部模型?", "提示...", MsgButtons::YesNoCancel,
                          MsgIcon::Question)) {
    case MsgResult::Yes:
        onSaveAllModels();
        return !modelsUnsaved; // cancelled or failed: nothing is lost silently
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

bool InterpretationController::pressOnModel(Qt::MouseButton button, const PlotChoices& shownChoices,
                                            Point at) {
    modelDrag.reset();
    // While the layered-model panel is open, the model's step line is taken by the mouse before anything
    // it lies over; a press that does not move masks the reading under it as a click would.
    if (!modelPanel->isVisible() || button != Qt::LeftButton || !shown)
        return false;
    auto held = ModelDrag::grab(sheet, shownChoices, at);
    if (!held)
        return false;
    modelDrag = std::move(held);
    modelDragMoved = false;
    beforeDrag = modelSnapshot();
    readingUnderDrag = ModelOverlay::readingAt(sheet, shownChoices, at.x, at.y);
    return true;
}

void InterpretationController::moveHeldModel(Point at) {
    if (!modelDrag)
        return;
    modelDragMoved = true;
    dragModelTo(at);
}

void InterpretationController::releaseHeldModel(Qt::MouseButton button, Point at) {
    if (!modelDrag || button != Qt::LeftButton)
        return;
    if (modelDragMoved) {
        dragModelTo(at);
        if (beforeDrag)
            recordModelStep(std::move(*beforeDrag), "拖动模型");
        const SheetModel& moved = *sheet.stationModel;
        emit statusText(text("已拖动测点 %1 的模型（给定模型，未反演），RMS %2 %。")
                            .arg(moved.stationNumber)
                            .arg(moved.report.rmsPercent, 0, 'f', 1));
    }
    modelDrag.reset();
    beforeDrag.reset();
    if (!modelDragMoved && readingUnderDrag)
        toggleMaskedReading(*readingUnderDrag);
    readingUnderDrag.reset();
}

bool InterpretationController::clickOnReading(const PlotChoices& shownChoices, Point at) {
    // While the layered-model panel is open, a click on a resistivity reading masks or unmasks it.
    if (!modelPanel->isVisible())
        return false;
    const auto reading = ModelOverlay::readingAt(sheet, shownChoices, at.x, at.y);
    if (!reading)
        return false;
    toggleMaskedReading(*reading);
    return true;
}
