#include "app/SectionWindow.h"

#include "app/FitProgress.h"
#include "app/PrinterRenewal.h"
#include "app/QtUi.h"

#include "core/Conversions.h"
#include "core/Ui.h"
#include "model/BatchFit.h"
#include "model/LateralFit.h"
#include "model/LayerLimits.h"
#include "render/QtCanvas.h"
#include "render/SectionExport.h"
#include "sheet/StationSounding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <new>

namespace {

// A model section needs two layers at least to show an interface; the most are the fits' own limit.
constexpr int minLayers = 2;
constexpr int maxLayers = model::kMaxLayers;
constexpr int defaultLayers = 3;

QString u(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

SectionWindow::SectionWindow(std::function<Ui&()> ui, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(std::move(ui)) {
    setWindowTitle(QStringLiteral("测线剖面图"));
    createControls();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(layOutControls());
    layout->addWidget(scrollArea, 1);
    resize(1000, 700);

    connectControls();
    onAutoColourToggled();
    onFitChoiceRelevance();
    exportButton->setEnabled(false);
    printButton->setEnabled(false);

    printSetup = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    exportPathQuery = [this] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("导出剖面图"), QString(),
            QStringLiteral("PDF 文件 (*.pdf);;SVG 文件 (*.svg);;PNG 图像 (*.png)"));
    };
}

void SectionWindow::createControls() {
    parameterCombo = new QComboBox(this);
    for (Quantity quantity : allQuantities)
        parameterCombo->addItem(u(std::string(displayName(quantity))));
    parameterCombo->addItem(QStringLiteral("模型断面"));
    spacingEdit = new QLineEdit(QStringLiteral("1"), this);
    spacingEdit->setToolTip(QStringLiteral("每个测点号对应的测线长度（米）"));
    placementCombo = new QComboBox(this);
    placementCombo->addItems({QStringLiteral("按测点号"), QStringLiteral("按文件顺序")});
    layersSpin = new QSpinBox(this);
    layersSpin->setRange(minLayers, maxLayers);
    layersSpin->setValue(defaultLayers);
    layersSpin->setToolTip(
        QStringLiteral("模型断面：反演尚无模型的测点时所用的层数；主窗口中已有模型的测点保持其模型"));
    smoothCheck = new QCheckBox(QStringLiteral("平滑反演"), this);
    smoothCheck->setToolTip(QStringLiteral("模型断面：以多层平滑模型反演尚无模型的测点"));
    lateralCheck = new QCheckBox(QStringLiteral("横向约束"), this);
    lateralCheck->setToolTip(QStringLiteral(
        "模型断面：所有测点一起反演，相邻测点的各层电阻率和界面深度相互约束（距离越远约束越弱）；"
        "主窗口中已有的模型此时不用"));
    lateralWeightEdit = new QLineEdit(this);
    lateralWeightEdit->setPlaceholderText(QStringLiteral("自动"));
    lateralWeightEdit->setToolTip(QStringLiteral(
        "横向约束的权重 W；空着时程序在 0.03 到 30 之间选取拟合误差不超过各点独立反演 10% 的最大权重"));
    lateralLabel = new QLabel(this);
    scaleEdit = new QLineEdit(this);
    scaleEdit->setPlaceholderText(QStringLiteral("自动"));
    scaleEdit->setToolTip(QStringLiteral("水平比例尺 1:n 的 n；空着时测线约占 25 厘米"));
    autoColourCheck = new QCheckBox(QStringLiteral("自动色标"), this);
    autoColourCheck->setChecked(true);
    colourLowEdit = new QLineEdit(this);
    colourHighEdit = new QLineEdit(this);
    refreshButton = new QPushButton(QStringLiteral("刷新"), this);
    exportButton = new QPushButton(QStringLiteral("导出..."), this);
    printButton = new QPushButton(QStringLiteral("打印..."), this);
    sectionLabel = new QLabel;
    sectionLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    sectionLabel->installEventFilter(this);
    scrollArea = new QScrollArea(this);
    scrollArea->setWidget(sectionLabel);
    scrollArea->setBackgroundRole(QPalette::Dark);
}

QGridLayout* SectionWindow::layOutControls() {
    auto* controls = new QGridLayout;
    controls->addWidget(new QLabel(QStringLiteral("参数"), this), 0, 0);
    controls->addWidget(parameterCombo, 0, 1);
    controls->addWidget(new QLabel(QStringLiteral("点距(米/点号)"), this), 0, 2);
    controls->addWidget(spacingEdit, 0, 3);
    controls->addWidget(new QLabel(QStringLiteral("测点位置"), this), 0, 4);
    controls->addWidget(placementCombo, 0, 5);
    controls->addWidget(autoColourCheck, 1, 0, 1, 2);
    controls->addWidget(new QLabel(QStringLiteral("色标下限"), this), 1, 2);
    controls->addWidget(colourLowEdit, 1, 3);
    controls->addWidget(new QLabel(QStringLiteral("色标上限"), this), 1, 4);
    controls->addWidget(colourHighEdit, 1, 5);
    auto* layersLabel = new QLabel(QStringLiteral("层数"), this);
    layersLabel->setBuddy(layersSpin);
    controls->addWidget(layersLabel, 2, 0);
    controls->addWidget(layersSpin, 2, 1);
    controls->addWidget(smoothCheck, 2, 2, 1, 2);
    controls->addWidget(new QLabel(QStringLiteral("比例尺 1:"), this), 2, 4);
    controls->addWidget(scaleEdit, 2, 5);
    controls->addWidget(lateralCheck, 3, 0, 1, 2);
    auto* weightLabel = new QLabel(QStringLiteral("约束权重"), this);
    weightLabel->setBuddy(lateralWeightEdit);
    controls->addWidget(weightLabel, 3, 2);
    controls->addWidget(lateralWeightEdit, 3, 3);
    controls->addWidget(lateralLabel, 3, 4, 1, 3);
    controls->addWidget(refreshButton, 0, 6);
    controls->addWidget(exportButton, 1, 6);
    controls->addWidget(printButton, 2, 6);
    // The controls keep their own widths; the window's extra width stays right of them.
    controls->setColumnStretch(7, 1);
    return controls;
}

void SectionWindow::connectControls() {
    connect(refreshButton, &QPushButton::clicked, this, &SectionWindow::onRefresh);
    connect(exportButton, &QPushButton::clicked, this, &SectionWindow::onExport);
    connect(printButton, &QPushButton::clicked, this, &SectionWindow::onPrint);
    connect(autoColourCheck, &QCheckBox::toggled, this, &SectionWindow::onAutoColourToggled);
    connect(parameterCombo, &QComboBox::currentIndexChanged, this, &SectionWindow::onFitChoiceRelevance);
    connect(smoothCheck, &QCheckBox::toggled, this, &SectionWindow::onFitChoiceRelevance);
    connect(lateralCheck, &QCheckBox::toggled, this, &SectionWindow::onFitChoiceRelevance);
}

SectionWindow::~SectionWindow() = default;

void SectionWindow::setStations(const StationList& stations, const std::filesystem::path& dataFile) {
    stations_ = stations;
    dataFile_ = dataFile;
    models_.assign(stations_.size(), std::nullopt);
    lateralFittedWith_.clear();
    lateralLabel->clear();
    clearPicture();
}

void SectionWindow::followFile(const StationList& stations, const std::filesystem::path& dataFile) {
    setStations(stations, dataFile);
    if (parameterCombo->currentIndex() != modelSectionItem) {
        refresh();
        return;
    }
    sectionLabel->setText(QStringLiteral("已打开新的数据文件。模型断面需要反演各测点，请按“刷新”。"));
    sectionLabel->adjustSize();
}

std::size_t SectionWindow::fittedCount() const {
    return static_cast<std::size_t>(
        std::count_if(models_.begin(), models_.end(), [](const auto& m) { return m.has_value(); }));
}

int SectionWindow::dpi() const {
    return logicalDpiX();
}

void SectionWindow::onAutoColourToggled() {
    colourLowEdit->setEnabled(!autoColourCheck->isChecked());
    colourHighEdit->setEnabled(!autoColourCheck->isChecked());
}

void SectionWindow::onFitChoiceRelevance() {
    const bool model = parameterCombo->currentIndex() == modelSectionItem;
    smoothCheck->setEnabled(model);
    layersSpin->setEnabled(model && !smoothCheck->isChecked());
    lateralCheck->setEnabled(model && !smoothCheck->isChecked());
    lateralWeightEdit->setEnabled(lateralChosen());
}

std::optional<StationModel> SectionWindow::fittedModel(std::size_t index) const {
    if (index >= models_.size() || !models_[index] || models_[index]->earth.layers.empty())
        return std::nullopt;
    return models_[index];
}

bool SectionWindow::lateralChosen() const {
    return parameterCombo->currentIndex() == modelSectionItem && !smoothCheck->isChecked() &&
           lateralCheck->isChecked();
}

int SectionWindow::fitChoice() const {
    return smoothCheck->isChecked() ? 0 : layersSpin->value();
}

void SectionWindow::clearPicture() {
    section_ = SectionSheet();
    image_ = QImage();
    sectionLabel->setPixmap(QPixmap());
    sectionLabel->clear();
    sectionLabel->resize(0, 0);
    exportButton->setEnabled(false);
    printButton->setEnabled(false);
}

std::optional<SectionOptions> SectionWindow::readOptions() {
    SectionOptions options;
    const auto number = [&](QLineEdit* edit, const char* what, double& value) {
        if (tryParseFloat(edit->text().trimmed().toStdString(), value))
            return true;
        ui_().messageBox(std::string("请输入") + what + "的数值。", "断面图", MsgButtons::Ok,
                         MsgIcon::Warning);
        edit->setFocus();
        return false;
    };
    if (!number(spacingEdit, "点距", options.spacing))
        return std::nullopt;
    if (!scaleEdit->text().trimmed().isEmpty() && !number(scaleEdit, "比例尺", options.horizontalScale))
        return std::nullopt;
    options.placement =
        placementCombo->currentIndex() == 1 ? StationPlacement::ByOrder : StationPlacement::ByNumber;
    options.userColourRange = !autoColourCheck->isChecked();
    if (options.userColourRange && (!number(colourLowEdit, "色标下限", options.colourLow) ||
                                    !number(colourHighEdit, "色标上限", options.colourHigh)))
        return std::nullopt;
    if (parameterCombo->currentIndex() < modelSectionItem)
        options.parameter = allQuantities[static_cast<std::size_t>(parameterCombo->currentIndex())];
    return options;
}

bool SectionWindow::fitLineModels(const SectionOptions& options) {
    std::optional<double> weight;
    const std::string weightText = lateralWeightEdit->text().trimmed().toStdString();
    if (!weightText.empty()) {
        double value = 0.0;
        if (!tryParseFloat(weightText, value) || !(std::isfinite(value) && value > 0.0)) {
            ui_().messageBox("请输入横向约束权重的正数值，或留空由程序选择。", "断面图", MsgButtons::Ok,
                             MsgIcon::Warning);
            lateralWeightEdit->setFocus();
            return false;
        }
        weight = value;
    }
    const std::string key = std::to_string(layersSpin->value()) + "|" + weightText + "|" +
                            std::to_string(static_cast<int>(options.placement)) + "|" +
                            formatPattern(options.spacing, "0.######");
    if (key == lateralFittedWith_ &&
        std::all_of(models_.begin(), models_.end(), [](const auto& m) { return m.has_value(); }))
        return true;
    std::vector<model::SoundingData> soundings;
    for (const Station& station : stations_)
        soundings.push_back(soundingOf(station, false));
    Ui& ui = ui_();
    if (!ui.progress(0, soundings.size())) {
        ui.endProgress();
        return false;
    }
    model::LateralFitOptions line;
    line.block.layers = layersSpin->value();
    line.weight = weight;
    line.positions = stationPositions(stations_, options.placement, options.spacing);
    bool cancel = false;
    const model::LateralFitResult fit = fitLineWithProgress(ui, soundings, line, cancel);
    if (cancel)
        return false;
    if (!fit.error.empty()) {
        ui.messageBox("没有可以反演的测点，无法作横向约束反演。", "断面图", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    for (std::size_t i = 0; i < stations_.size(); ++i)
        models_[i] = stationModelOf(stations_[i], fit.stations[i]);
    lateralFittedWith_ = key;
    modelsFittedWith_ = -1; // no single-station fit: those are fitted anew when 横向约束 is cleared
    lateralLabel->setText(u("权重 " + formatPattern(fit.weight, "0.###") + "，RMS " +
                            formatPattern(fit.rmsPercent, "0.00") + "%（各点独立反演 " +
                            formatPattern(fit.independentRmsPercent, "0.00") + "%）"));
    return true;
}

bool SectionWindow::fitMissingModels() {
    // Models of another fit than the one asked for now are fitted anew.
    if (fitChoice() != modelsFittedWith_) {
        lateralFittedWith_.clear();
        lateralLabel->clear();
        models_.assign(stations_.size(), std::nullopt);
        modelsFittedWith_ = fitChoice();
    }
    std::vector<std::size_t> missing;
    std::vector<model::SoundingData> soundings;
    for (std::size_t i = 0; i < stations_.size(); ++i) {
        if (!models_[i] && !(knownModel && knownModel(i))) {
            missing.push_back(i);
            soundings.push_back(soundingOf(stations_[i], false));
        }
    }
    if (missing.empty())
        return true;
    Ui& ui = ui_();
    // Asked before the work starts, so a cancel at once leaves every station unfitted.
    if (!ui.progress(0, missing.size())) {
        ui.endProgress();
        return false;
    }
    model::BatchOptions options;
    options.kind = modelsFittedWith_ == 0 ? model::FitKind::Smooth : model::FitKind::Block;
    if (modelsFittedWith_ != 0)
        options.block.layers = modelsFittedWith_;
    // The fits run on all cores while this thread keeps the progress dialog and its 取消 alive.
    bool cancel = false;
    const std::vector<model::FitResult> fits = fitStationsWithProgress(ui, soundings, options, cancel);
    for (std::size_t k = 0; k < missing.size(); ++k) {
        // A station the cancel stopped before its fit keeps no model, so the next refresh fits it.
        if (cancel && !fits[k].report.ok())
            continue;
        models_[missing[k]] = stationModelOf(stations_[missing[k]], fits[k]);
    }
    return !cancel;
}

bool SectionWindow::refresh() {
    if (busy_)
        return false;
    busy_ = true;
    // Its messages appear over this window, which stays in front when they close.
    const QtUi::OwnerScope owned(ui_(), this);
    const std::optional<SectionOptions> options = readOptions();
    bool drawn = false;
    clearPicture();
    if (options) {
        try {
            SectionLayoutResult layout;
            bool cancelled = false;
            if (parameterCombo->currentIndex() < modelSectionItem) {
                layout = section_.layoutPseudosection(stations_, *options);
            } else if (lateralChosen() ? fitLineModels(*options) : fitMissingModels()) {
                // The joint fit draws every station with its own model, not the main window's.
                const bool lateral = lateralChosen();
                std::vector<StationModel> models;
                for (std::size_t i = 0; i < stations_.size(); ++i) {
                    std::optional<StationModel> known = knownModel && !lateral ? knownModel(i) : std::nullopt;
                    models.push_back(known ? std::move(*known) : *models_[i]);
                }
                layout = section_.layoutModelSection(models, *options);
            } else {
                cancelled = true;
            }
            if (cancelled) {
                section_ = SectionSheet();
            } else if (!layout) {
                reportSectionProblem(ui_(), layout);
                section_ = SectionSheet();
            } else {
                image_ = sectionImage(section_, dpi(), QtCanvas::Rendering::Smooth);
                if (image_.isNull()) {
                    ui_().messageBox("断面图太大，无法在屏幕上显示，请减小比例尺或点距。", "断面图",
                                     MsgButtons::Ok, MsgIcon::Warning);
                    section_ = SectionSheet();
                } else {
                    sectionLabel->setPixmap(QPixmap::fromImage(image_));
                    sectionLabel->resize(image_.size());
                    exportButton->setEnabled(true);
                    printButton->setEnabled(true);
                    drawn = true;
                }
            }
        } catch (const std::bad_alloc&) {
            clearPicture();
            ui_().messageBox(outOfMemoryMessage, "错误", MsgButtons::Ok, MsgIcon::Error);
        }
    }
    busy_ = false;
    return drawn;
}

void SectionWindow::onRefresh() {
    refresh();
}

bool SectionWindow::exportTo(const QString& path) {
    const QtUi::OwnerScope owned(ui_(), this);
    if (!section_.laidOut())
        return false;
    std::string failure;
    try {
        failure = writeSectionFile(section_, path.toStdString(), exportPngDpi, dataFile_);
    } catch (const std::bad_alloc&) {
        failure = outOfMemoryMessage;
    }
    if (!failure.empty()) {
        ui_().messageBox("无法导出剖面图:\n" + path.toStdString() + "\n" + failure, "错误", MsgButtons::Ok,
                         MsgIcon::Error);
        return false;
    }
    return true;
}

void SectionWindow::onExport() {
    QString path = exportPathQuery ? exportPathQuery() : QString();
    if (path.isEmpty())
        return;
    if (!isSectionFileFormat(path.toStdString()))
        path += QStringLiteral(".pdf");
    exportTo(path);
}

bool SectionWindow::printTo(QPrinter& printer) {
    const QtUi::OwnerScope owned(ui_(), this);
    if (!section_.laidOut())
        return false;
    printer.setDocName(QStringLiteral("测线剖面图"));
    QPainter painter;
    if (!printer.isValid() || !painter.begin(&printer)) {
        ui_().messageBox("注意:\n\t没有可用的打印机，无法打印！", "警告", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    const int dpiX = printer.logicalDpiX();
    const int dpiY = printer.logicalDpiY();
    const int width = sectionBitmapSize(section_, dpiX).width;
    const int height = sectionBitmapSize(section_, dpiY).height;
    if (width > printer.width() || height > printer.height())
        ui_().messageBox("注意:\n\t剖面图大于纸张，超出纸张的部分不会打印！", "警告", MsgButtons::Ok,
                         MsgIcon::None);
    {
        QtCanvas canvas(painter, dpiX, dpiY);
        paintSection(section_, canvas, height);
    }
    return painter.end();
}

void SectionWindow::onPrint() {
    if (!section_.laidOut())
        return;
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageOrientation(section_.width() > section_.height() ? QPageLayout::Landscape
                                                                          : QPageLayout::Portrait);
    }
    if (printSetup && printSetup(*printer_) && !printTo(*printer_) &&
        printer_->printerState() == QPrinter::Active)
        printer_ = renewedPrinter(*printer_);
}

std::optional<SectionHit> SectionWindow::stationAtPixel(QPoint pixel) const {
    if (image_.isNull())
        return std::nullopt;
    // Pixels are counted down from the image's top; the sheet's y runs up from its bottom.
    const double unitsPerPixel = 254.0 / dpi();
    const Point sheet{static_cast<int>(std::lround((pixel.x() + 0.5) * unitsPerPixel)),
                      static_cast<int>(std::lround((image_.height() - pixel.y() - 0.5) * unitsPerPixel))};
    return section_.stationAt(sheet);
}

bool SectionWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sectionLabel && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton) {
            if (const std::optional<SectionHit> hit = stationAtPixel(press->position().toPoint());
                hit && onStationChosen)
                onStationChosen(hit->index);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
