#include "app/InterpretationPanel.h"

#include <algorithm>
#include <cmath>

#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Conversions.h"
#include "render/UserLocale.h"
#include "sheet/ModelOverlay.h"

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A number as the user types it: up to five significant digits (whole numbers from 1e5 on), the user's
// decimal separator.
QString shown(double value) {
    QString number = std::abs(value) >= 1e5 && std::abs(value) < 1e12 ? QString::number(value, 'f', 0)
                                                                      : QString::number(value, 'g', 5);
    if (userDecimalSeparator() == ',')
        number.replace(QLatin1Char('.'), QLatin1Char(','));
    return number;
}

constexpr int exactValueRole = Qt::UserRole;

} // namespace

InterpretationPanel::InterpretationPanel(QWidget* parent) : QDockWidget(text("层状模型"), parent) {
    setObjectName(QStringLiteral("ModelPanel"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    addSettingRows(content, column);
    addLayerTable(content, column);
    addResultRows(content, column);
    column->addStretch(1);
    // Wide enough for the columns side by side; the sheet keeps the rest of the window.
    content->setMinimumWidth(460);
    content->setMaximumWidth(640);
    setWidget(content);

    resizeRows(defaultLayers);
    showModel(nullptr);
    showMasked({}, {});
    connectControls();
}

void InterpretationPanel::addSettingRows(QWidget* content, QVBoxLayout* column) {
    auto* settingsRow = new QHBoxLayout;
    auto* countLabel = new QLabel(text("层数:"), content);
    layerCountSpin = new QSpinBox(content);
    layerCountSpin->setRange(autoLayersValue, maxLayers);
    layerCountSpin->setSpecialValueText(text("自动"));
    layerCountSpin->setValue(autoLayersValue);
    layerCountSpin->setToolTip(text("“自动”：试 %1 到 %2 层，取数据支持的最少层数")
                                   .arg(model::kMinAutoLayers)
                                   .arg(model::kMaxAutoLayers));
    countLabel->setBuddy(layerCountSpin);
    smoothCheck = new QCheckBox(text("平滑反演"), content);
    settingsRow->addWidget(countLabel);
    settingsRow->addWidget(layerCountSpin);
    settingsRow->addSpacing(12);
    settingsRow->addWidget(smoothCheck);
    settingsRow->addStretch();
    column->addLayout(settingsRow);

    auto* segmentRow = new QHBoxLayout;
    segmentCheck = new QCheckBox(text("分段校正"), content);
    segmentCheck->setToolTip(text("每个 MN/2 段乘以一个与模型一起拟合的静态因子"));
    referenceCombo = new QComboBox(content);
    referenceCombo->addItems({text("参考段：最小 MN/2"), text("参考段：最大 MN/2")});
    referenceCombo->setEnabled(false);
    lateralCheck = new QCheckBox(text("横向约束"), content);
    lateralCheck->setToolTip(text("全部测点反演时所有测点一起反演，相邻测点的各层电阻率和界面深度相互约束，"
                                  "约束权重由程序选取"));
    segmentRow->addWidget(segmentCheck);
    segmentRow->addWidget(referenceCombo);
    segmentRow->addSpacing(12);
    segmentRow->addWidget(lateralCheck);
    segmentRow->addStretch();
    column->addLayout(segmentRow);
}

void InterpretationPanel::addLayerTable(QWidget* content, QVBoxLayout* column) {
    layerTable = new QTableWidget(0, ColumnCount, content);
    layerTable->setHorizontalHeaderLabels({text("层"), text("电阻率(Ω·m)"), text("范围"), text("厚度(m)"),
                                           text("范围"), text("深度(m)"), text("极化率(%)")});
    layerTable->horizontalHeaderItem(RhoRangeColumn)->setToolTip(text("数据允许的电阻率（95 % 剖面范围）"));
    layerTable->horizontalHeaderItem(ThkRangeColumn)->setToolTip(text("数据允许的厚度（95 % 剖面范围）"));
    layerTable->verticalHeader()->hide();
    layerTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layerTable->horizontalHeader()->setSectionResizeMode(LayerColumn, QHeaderView::Fixed);
    for (const int range : {RhoRangeColumn, ThkRangeColumn})
        layerTable->horizontalHeader()->setSectionResizeMode(range, QHeaderView::ResizeToContents);
    layerTable->setColumnWidth(LayerColumn, 32);
    layerTable->setSelectionMode(QAbstractItemView::SingleSelection);
    // As tall as its rows, down to a few rows when the window is short.
    layerTable->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    // A smooth model's many rows scroll inside the table instead of pushing the buttons off the panel.
    layerTable->setMaximumHeight(layerTable->horizontalHeader()->sizeHint().height() +
                                 12 * layerTable->verticalHeader()->defaultSectionSize() + 4);
    layerTable->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    column->addWidget(layerTable);
}

void InterpretationPanel::addResultRows(QWidget* content, QVBoxLayout* column) {
    auto* hint = new QLabel(text("勾选的电阻率或厚度在反演中保持不变；深度为层底深度。范围为数据允许的值，"
                                 "“> 值”表示数据只给出下限。"),
                            content);
    hint->setWordWrap(true);
    column->addWidget(hint);

    auto* buttonRow = new QHBoxLayout;
    fitButton = new QPushButton(text("反演"), content);
    forwardButton = new QPushButton(text("正演"), content);
    buttonRow->addStretch();
    buttonRow->addWidget(fitButton);
    buttonRow->addWidget(forwardButton);
    column->addLayout(buttonRow);

    reportLabel = new QLabel(content);
    reportLabel->setWordWrap(true);
    column->addWidget(reportLabel);
    maskedLabel = new QLabel(content);
    maskedLabel->setWordWrap(true);
    column->addWidget(maskedLabel);
    showTableCheck = new QCheckBox(text("在图上显示模型表"), content);
    showTableCheck->setChecked(true);
    column->addWidget(showTableCheck);
}

void InterpretationPanel::connectControls() {
    connect(layerCountSpin, &QSpinBox::valueChanged, this, &InterpretationPanel::onLayerCountChanged);
    connect(smoothCheck, &QCheckBox::toggled, this, &InterpretationPanel::onSmoothToggled);
    connect(segmentCheck, &QCheckBox::toggled, referenceCombo, &QWidget::setEnabled);
    connect(segmentCheck, &QCheckBox::toggled, this, &InterpretationPanel::segmentSettingChanged);
    connect(referenceCombo, &QComboBox::currentIndexChanged, this,
            &InterpretationPanel::segmentSettingChanged);
    connect(layerTable, &QTableWidget::itemChanged, this, &InterpretationPanel::onCellChanged);
    connect(fitButton, &QPushButton::clicked, this, &InterpretationPanel::fitRequested);
    connect(forwardButton, &QPushButton::clicked, this, &InterpretationPanel::forwardRequested);
    connect(showTableCheck, &QCheckBox::clicked, this, &InterpretationPanel::showTableChanged);
}

void InterpretationPanel::showModel(const SheetModel* stationModel) {
    filling = true;
    layerTable->setRowCount(0);
    if (!stationModel) {
        resizeRows(autoLayers() ? defaultLayers : layerCount());
        reportLabel->setText(text("当前测点没有模型。"));
        reportLabel->setStyleSheet(QString());
    } else {
        const std::vector<model::Layer>& layers = stationModel->earth.layers;
        const bool withChargeability =
            std::any_of(layers.begin(), layers.end(),
                        [](const model::Layer& layer) { return layer.m != 0.0 || layer.fixedM; });
        resizeRows(static_cast<int>(layers.size()));
        for (std::size_t i = 0; i < layers.size(); ++i) {
            const int row = static_cast<int>(i);
            setNumber(row, RhoColumn, layers[i].rho);
            if (layers[i].rhoRange)
                layerTable->item(row, RhoRangeColumn)
                    ->setText(QString::fromStdString(
                        modelRangeText(layers[i].rhoRange->low, layers[i].rhoRange->high)));
            if (i + 1 < layers.size() && layers[i].thkRange)
                layerTable->item(row, ThkRangeColumn)
                    ->setText(QString::fromStdString(
                        modelRangeText(layers[i].thkRange->low, layers[i].thkRange->high)));
            layerTable->item(row, RhoColumn)->setCheckState(layers[i].fixedRho ? Qt::Checked : Qt::Unchecked);
            if (i + 1 < layers.size()) {
                setNumber(row, ThkColumn, layers[i].thk);
                // A smooth fit's fixed thicknesses are its own grid, not held values: the next fit of
                // block layers must not keep them.
                const bool held = layers[i].fixedThk && !stationModel->smooth;
                layerTable->item(row, ThkColumn)->setCheckState(held ? Qt::Checked : Qt::Unchecked);
            }
            // A model without chargeability (a file without M1) leaves the column empty.
            if (withChargeability)
                setNumber(row, ChargeabilityColumn, layers[i].m);
        }
        // A block model sets the layer count, unless "自动" chose it; a smooth one (more layers) leaves it.
        if (static_cast<int>(layers.size()) <= maxLayers && stationModel->report.layersChosen == 0) {
            const QSignalBlocker quiet(layerCountSpin);
            layerCountSpin->setValue(static_cast<int>(layers.size()));
        }
        showTableCheck->setChecked(stationModel->showTable);
        reportLabel->setText(reportText(stationModel->report, stationModel->fitted));
        // A fit that did not converge is shown, with its report in the warning colour.
        const bool warn = stationModel->fitted && !stationModel->report.converged;
        reportLabel->setStyleSheet(warn ? QStringLiteral("color: #b00000;") : QString());
    }
    refreshDerivedCells();
    filling = false;
}

QString InterpretationPanel::reportText(const model::FitReport& report, bool fitted) {
    const QString rms = QString::number(report.rmsPercent, 'f', 1);
    if (!fitted)
        return text("RMS: %1 %  给定模型（未反演）  数据点: %2").arg(rms).arg(report.pointsUsed);
    QString line = text("RMS: %1 %  迭代: %2  收敛: %3  数据点: %4")
                       .arg(rms)
                       .arg(report.iterations)
                       .arg(text(report.converged ? "是" : "否"))
                       .arg(report.pointsUsed);
    if (!report.converged)
        line += text("\n警告：反演未收敛，模型仅供参考。");
    if (!report.layerSearch.empty()) {
        QStringList tried;
        for (const model::LayerCountTrial& trial : report.layerSearch)
            tried << text("%1 层 %2 %").arg(trial.layers).arg(trial.rmsPercent, 0, 'f', 1);
        line +=
            text("\n自动选择 %1 层（各层数的 RMS：%2）").arg(report.layersChosen).arg(tried.join(text("，")));
    }
    if (!report.segments.empty()) {
        QStringList factors;
        for (const model::SegmentFactor& segment : report.segments)
            factors << text("MN/2=%1 m：%2%3")
                           .arg(segment.mn2, 0, 'g', 4)
                           .arg(segment.factor, 0, 'f', 3)
                           .arg(segment.reference ? text("（参考）") : QString());
        line += text("\n分段因子：") + factors.join(text("，"));
    }
    return line;
}

std::optional<double> InterpretationPanel::parsePositive(const QString& typed) {
    double value = 0.0;
    if (!tryParseFloat(typed.trimmed().toStdString(), value, userDecimalSeparator()))
        return std::nullopt;
    if (!std::isfinite(value) || value <= 0.0)
        return std::nullopt;
    return value;
}

std::optional<model::LayeredModel> InterpretationPanel::typedModel(std::string& error) const {
    model::LayeredModel earth;
    const int rows = layerTable->rowCount();
    for (int row = 0; row < rows; ++row) {
        model::Layer layer;
        const std::string number = std::to_string(row + 1);
        const auto rho = cellValue(row, RhoColumn);
        if (!rho) {
            error = "第 " + number + " 层的电阻率不是正数。";
            return std::nullopt;
        }
        layer.rho = *rho;
        layer.fixedRho = layerTable->item(row, RhoColumn)->checkState() == Qt::Checked;
        if (row + 1 < rows) {
            const auto thk = cellValue(row, ThkColumn);
            if (!thk) {
                error = "第 " + number + " 层的厚度不是正数。";
                return std::nullopt;
            }
            layer.thk = *thk;
            layer.fixedThk = layerTable->item(row, ThkColumn)->checkState() == Qt::Checked;
        }
        const QString m = layerTable->item(row, ChargeabilityColumn)->text().trimmed();
        if (!m.isEmpty()) {
            double value = 0.0;
            const auto exact = cellValue(row, ChargeabilityColumn);
            if (exact)
                value = *exact;
            else if (!tryParseFloat(m.toStdString(), value, userDecimalSeparator()))
                value = -1.0;
            if (!(value >= 0.0 && value < 100.0)) {
                error = "第 " + number + " 层的极化率应在 0 到 100 之间。";
                return std::nullopt;
            }
            layer.m = value;
        }
        earth.layers.push_back(layer);
    }
    return earth;
}

std::vector<model::FixedParameter> InterpretationPanel::fixedParameters(std::string& error) const {
    std::vector<model::FixedParameter> fixed;
    const int rows = layerTable->rowCount();
    for (int row = 0; row < rows; ++row) {
        for (const int column : {RhoColumn, ThkColumn}) {
            const QTableWidgetItem* item = layerTable->item(row, column);
            if (column == ThkColumn && row + 1 == rows)
                continue;
            if (item->checkState() != Qt::Checked)
                continue;
            const std::string name = (column == RhoColumn ? "rho" : "thk") + std::to_string(row + 1);
            const auto value = cellValue(row, column);
            if (!value) {
                error = "固定的参数 " + name + " 不是正数。";
                return {};
            }
            fixed.push_back({name, *value});
        }
    }
    return fixed;
}

int InterpretationPanel::layerCount() const {
    return autoLayers() ? layerTable->rowCount() : layerCountSpin->value();
}

bool InterpretationPanel::autoLayers() const {
    return layerCountSpin->value() == autoLayersValue;
}

model::SegmentReference InterpretationPanel::segmentReference() const {
    if (!segmentCheck->isChecked())
        return model::SegmentReference::None;
    return referenceCombo->currentIndex() == 1 ? model::SegmentReference::LargestMn2
                                               : model::SegmentReference::SmallestMn2;
}

void InterpretationPanel::showMasked(const std::vector<std::size_t>& positions,
                                     const std::vector<double>& ab2) {
    if (positions.empty()) {
        maskedLabel->setText(text("屏蔽的读数：无（打开本面板时，单击图上的电阻率读数可屏蔽或恢复它）"));
        return;
    }
    QStringList shownPositions;
    for (std::size_t i = 0; i < positions.size(); ++i)
        shownPositions << text("第 %1 点 (AB/2 = %2 m)")
                              .arg(positions[i] + 1)
                              .arg(i < ab2.size() ? ab2[i] : 0.0, 0, 'g', 5);
    maskedLabel->setText(text("屏蔽的读数：") + shownPositions.join(text("，")));
}

void InterpretationPanel::setSegmentReference(model::SegmentReference reference) {
    const QSignalBlocker quietCheck(segmentCheck);
    const QSignalBlocker quietCombo(referenceCombo);
    segmentCheck->setChecked(reference != model::SegmentReference::None);
    if (reference != model::SegmentReference::None)
        referenceCombo->setCurrentIndex(reference == model::SegmentReference::LargestMn2 ? 1 : 0);
    referenceCombo->setEnabled(segmentCheck->isEnabled() && segmentCheck->isChecked());
}

bool InterpretationPanel::smooth() const {
    return smoothCheck->isChecked();
}

bool InterpretationPanel::lateral() const {
    return lateralCheck->isChecked() && !smoothCheck->isChecked();
}

bool InterpretationPanel::showTable() const {
    return showTableCheck->isChecked();
}

void InterpretationPanel::onLayerCountChanged(int layers) {
    filling = true;
    // "自动" keeps the rows typed or shown.
    if (layers != autoLayersValue)
        resizeRows(layers);
    refreshDerivedCells();
    filling = false;
    // The model shown is not one of the count now chosen until it is fitted or forwarded again.
    reportLabel->setStyleSheet(QString());
    reportLabel->setText(layers == autoLayersValue
                             ? text("层数已改为“自动”，模型尚未反演：请反演。")
                             : text("层数已改为 %1，模型尚未反演：请反演或正演。").arg(layers));
}

void InterpretationPanel::onSmoothToggled(bool smoothFit) {
    // A smooth fit chooses its own thin layers: no count, no segment factors.
    layerCountSpin->setEnabled(!smoothFit);
    segmentCheck->setEnabled(!smoothFit);
    lateralCheck->setEnabled(!smoothFit);
    referenceCombo->setEnabled(!smoothFit && segmentCheck->isChecked());
}

void InterpretationPanel::onCellChanged(QTableWidgetItem* item) {
    if (filling)
        return;
    filling = true;
    // A typed value replaces the exact one behind the shown text, and the range the fit gave it.
    if (item->data(exactValueRole).isValid() &&
        item->text() != shown(item->data(exactValueRole).toDouble())) {
        item->setData(exactValueRole, QVariant());
        if (item->column() == RhoColumn || item->column() == ThkColumn)
            layerTable->item(item->row(), item->column() + 1)->setText(QString());
    }
    refreshDerivedCells();
    filling = false;
}

void InterpretationPanel::resizeRows(int layers) {
    const int before = layerTable->rowCount();
    layerTable->setRowCount(layers);
    if (layers != before)
        emit controlsResized();
    for (int row = before; row < layers; ++row) {
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (column == RhoColumn || column == ThkColumn) {
                item->setCheckState(Qt::Unchecked);
                item->setToolTip(text("勾选后反演时固定该值"));
            }
            layerTable->setItem(row, column, item);
        }
    }
}

void InterpretationPanel::setNumber(int row, int column, double value) {
    QTableWidgetItem* item = layerTable->item(row, column);
    item->setText(shown(value));
    item->setData(exactValueRole, value);
}

std::optional<double> InterpretationPanel::cellValue(int row, int column) const {
    const QTableWidgetItem* item = layerTable->item(row, column);
    const QVariant exact = item->data(exactValueRole);
    if (exact.isValid() && item->text() == shown(exact.toDouble()))
        return exact.toDouble();
    return parsePositive(item->text());
}

void InterpretationPanel::refreshDerivedCells() {
    const int rows = layerTable->rowCount();
    const Qt::ItemFlags readOnly = Qt::ItemIsEnabled;
    const Qt::ItemFlags editable = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    double depth = 0.0;
    bool depthKnown = true;
    for (int row = 0; row < rows; ++row) {
        const bool halfSpace = row + 1 == rows;
        QTableWidgetItem* layer = layerTable->item(row, LayerColumn);
        layer->setText(QString::number(row + 1));
        layer->setFlags(readOnly);
        layer->setTextAlignment(Qt::AlignCenter);

        QTableWidgetItem* thk = layerTable->item(row, ThkColumn);
        QTableWidgetItem* bottom = layerTable->item(row, DepthColumn);
        bottom->setFlags(readOnly);
        if (halfSpace) {
            // The last layer reaches down without end: no thickness, no bottom.
            thk->setFlags(readOnly);
            thk->setData(Qt::CheckStateRole, QVariant());
            thk->setText(text("—"));
            thk->setData(exactValueRole, QVariant());
            bottom->setText(text("—"));
        } else {
            thk->setFlags(editable | Qt::ItemIsUserCheckable);
            if (!thk->data(Qt::CheckStateRole).isValid())
                thk->setCheckState(Qt::Unchecked);
            if (thk->text() == text("—"))
                thk->setText(QString());
            const auto value = cellValue(row, ThkColumn);
            depthKnown = depthKnown && value.has_value();
            if (depthKnown)
                depth += *value;
            bottom->setText(depthKnown ? shown(depth) : QString());
        }
        layerTable->item(row, RhoColumn)->setFlags(editable | Qt::ItemIsUserCheckable);
        layerTable->item(row, RhoRangeColumn)->setFlags(readOnly);
        layerTable->item(row, ThkRangeColumn)->setFlags(readOnly);
        layerTable->item(row, ChargeabilityColumn)->setFlags(editable);

        // Cells with text that is no valid value are marked.
        for (const int column : {RhoColumn, ThkColumn}) {
            QTableWidgetItem* item = layerTable->item(row, column);
            const bool bad = !(column == ThkColumn && halfSpace) && !item->text().trimmed().isEmpty() &&
                             !cellValue(row, column);
            item->setBackground(bad ? QBrush(QColor(255, 210, 210)) : QBrush());
        }
    }
}
