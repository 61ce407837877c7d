#include "app/InterpretationPanel.h"

#include <cmath>

#include <QBrush>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Conversions.h"
#include "render/UserLocale.h"

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

    auto* settingsRow = new QHBoxLayout;
    auto* countLabel = new QLabel(text("层数:"), content);
    layerCountSpin = new QSpinBox(content);
    layerCountSpin->setRange(minLayers, maxLayers);
    layerCountSpin->setValue(defaultLayers);
    countLabel->setBuddy(layerCountSpin);
    smoothCheck = new QCheckBox(text("平滑反演"), content);
    settingsRow->addWidget(countLabel);
    settingsRow->addWidget(layerCountSpin);
    settingsRow->addSpacing(12);
    settingsRow->addWidget(smoothCheck);
    settingsRow->addStretch();
    column->addLayout(settingsRow);

    layerTable = new QTableWidget(0, ColumnCount, content);
    layerTable->setHorizontalHeaderLabels(
        {text("层"), text("电阻率(Ω·m)"), text("厚度(m)"), text("深度(m)"), text("极化率(%)")});
    layerTable->verticalHeader()->hide();
    layerTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layerTable->horizontalHeader()->setSectionResizeMode(LayerColumn, QHeaderView::Fixed);
    layerTable->setColumnWidth(LayerColumn, 32);
    layerTable->setSelectionMode(QAbstractItemView::SingleSelection);
    // As tall as its rows, down to a few rows when the window is short.
    layerTable->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    layerTable->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    column->addWidget(layerTable);

    auto* hint = new QLabel(text("勾选的电阻率或厚度在反演中保持不变；深度为层底深度。"), content);
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
    showTableCheck = new QCheckBox(text("在图上显示模型表"), content);
    showTableCheck->setChecked(true);
    column->addWidget(showTableCheck);
    column->addStretch(1);
    // Wide enough for the five columns side by side; the sheet keeps the rest of the window.
    content->setMinimumWidth(400);
    content->setMaximumWidth(520);
    setWidget(content);

    resizeRows(defaultLayers);
    showModel(nullptr);

    connect(layerCountSpin, &QSpinBox::valueChanged, this, &InterpretationPanel::onLayerCountChanged);
    connect(smoothCheck, &QCheckBox::toggled, this, &InterpretationPanel::onSmoothToggled);
    connect(layerTable, &QTableWidget::itemChanged, this, &InterpretationPanel::onCellChanged);
    connect(fitButton, &QPushButton::clicked, this, &InterpretationPanel::fitRequested);
    connect(forwardButton, &QPushButton::clicked, this, &InterpretationPanel::forwardRequested);
    connect(showTableCheck, &QCheckBox::clicked, this, &InterpretationPanel::showTableChanged);
}

void InterpretationPanel::showModel(const SheetModel* stationModel) {
    filling = true;
    layerTable->setRowCount(0);
    if (!stationModel) {
        resizeRows(layerCount());
        reportLabel->setText(text("当前测点没有模型。"));
        reportLabel->setStyleSheet(QString());
    } else {
        const std::vector<model::Layer>& layers = stationModel->earth.layers;
        resizeRows(static_cast<int>(layers.size()));
        for (std::size_t i = 0; i < layers.size(); ++i) {
            const int row = static_cast<int>(i);
            setNumber(row, RhoColumn, layers[i].rho);
            layerTable->item(row, RhoColumn)->setCheckState(layers[i].fixedRho ? Qt::Checked : Qt::Unchecked);
            if (i + 1 < layers.size()) {
                setNumber(row, ThkColumn, layers[i].thk);
                layerTable->item(row, ThkColumn)
                    ->setCheckState(layers[i].fixedThk ? Qt::Checked : Qt::Unchecked);
            }
            setNumber(row, ChargeabilityColumn, layers[i].m);
        }
        // A block model sets the layer count; a smooth one (more layers) leaves it.
        if (static_cast<int>(layers.size()) <= maxLayers) {
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
    return layerCountSpin->value();
}

bool InterpretationPanel::smooth() const {
    return smoothCheck->isChecked();
}

bool InterpretationPanel::showTable() const {
    return showTableCheck->isChecked();
}

void InterpretationPanel::onLayerCountChanged(int layers) {
    filling = true;
    resizeRows(layers);
    refreshDerivedCells();
    filling = false;
}

void InterpretationPanel::onSmoothToggled(bool smoothFit) {
    // A smooth fit chooses its own thin layers: no count, nothing held.
    layerCountSpin->setEnabled(!smoothFit);
}

void InterpretationPanel::onCellChanged(QTableWidgetItem* item) {
    if (filling)
        return;
    filling = true;
    // A typed value replaces the exact one behind the shown text.
    if (item->data(exactValueRole).isValid() && item->text() != shown(item->data(exactValueRole).toDouble()))
        item->setData(exactValueRole, QVariant());
    refreshDerivedCells();
    filling = false;
}

void InterpretationPanel::resizeRows(int layers) {
    const int before = layerTable->rowCount();
    layerTable->setRowCount(layers);
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
