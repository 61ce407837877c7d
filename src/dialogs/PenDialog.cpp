#include "dialogs/PenDialog.h"

#include "dialogs/DialogButtonRow.h"

#include <array>

#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/Pen.h"
#include "render/QtCanvas.h"

namespace {

constexpr std::array<PenStyle, 5> itemStyles = {PenStyle::Solid, PenStyle::Dot, PenStyle::Dash,
                                                PenStyle::DashDot, PenStyle::DashDotDot};
constexpr int sampleWidth = 193;
constexpr int sampleHeight = 29;
constexpr Color skyBlue = 0x00F0CAA6; // the panel's colour before the pen's is shown

} // namespace

PenStyle PenDialog::styleOfItem(int item) {
    return item >= 0 && item < static_cast<int>(itemStyles.size())
               ? itemStyles[static_cast<std::size_t>(item)]
               : PenStyle::Solid;
}

int PenDialog::itemOfStyle(PenStyle style) {
    for (std::size_t i = 0; i < itemStyles.size(); ++i)
        if (itemStyles[i] == style)
            return static_cast<int>(i);
    return 0;
}

PenDialog::PenDialog(Pen& pen, QWidget* owner)
    : QDialog(owner), pen_(pen), panelColor_(skyBlue),
      sample_(sampleWidth, sampleHeight, QImage::Format_RGB32) {
    setWindowTitle(QStringLiteral("设置线型"));

    auto* frame = new QGroupBox(QStringLiteral("设置线形"), this);
    frame->setObjectName(QStringLiteral("GroupBox2"));
    auto* grid = new QGridLayout(frame);
    styleCombo = new QComboBox(frame);
    styleCombo->setObjectName(QStringLiteral("Style"));
    styleCombo->addItems({QStringLiteral("实线"), QStringLiteral("点线"), QStringLiteral("虚线"),
                          QStringLiteral("点划线"), QStringLiteral("线点点")});
    grid->addWidget(new QLabel(QStringLiteral("线型"), frame), 0, 0);
    grid->addWidget(styleCombo, 0, 1);

    colorPanel = new QFrame(frame);
    colorPanel->setObjectName(QStringLiteral("Color"));
    colorPanel->setFrameShape(QFrame::Panel);
    colorPanel->setFrameShadow(QFrame::Sunken);
    colorPanel->setAutoFillBackground(true);
    colorPanel->setMinimumHeight(22);
    colorPanel->setCursor(Qt::PointingHandCursor);
    colorPanel->installEventFilter(this);
    grid->addWidget(new QLabel(QStringLiteral("颜色"), frame), 1, 0);
    grid->addWidget(colorPanel, 1, 1);

    widthSpin = new QSpinBox(frame);
    widthSpin->setObjectName(QStringLiteral("UpDown1"));
    widthSpin->setRange(0, 32767);
    // A typed width counts as typed: the pen and the sample follow each key.
    if (auto* edit = widthSpin->findChild<QLineEdit*>())
        edit->setObjectName(QStringLiteral("Width"));
    grid->addWidget(new QLabel(QStringLiteral("粗细"), frame), 2, 0);
    grid->addWidget(widthSpin, 2, 1);

    auto* effect = new QGroupBox(QStringLiteral("效果"), this);
    auto* effectLayout = new QHBoxLayout(effect);
    sampleLabel = new QLabel(effect);
    sampleLabel->setObjectName(QStringLiteral("Sample"));
    sampleLabel->setFixedSize(sampleWidth, sampleHeight);
    effectLayout->addWidget(sampleLabel);

    const DialogButtonRow buttons = makeDialogButtonRow(this, QStringLiteral("Label1"),
                                                        QStringLiteral("BitBtn1"), QStringLiteral("BitBtn2"));
    okButton = buttons.ok;
    cancelButton = buttons.cancel;

    auto* main = new QVBoxLayout(this);
    main->addWidget(frame);
    main->addWidget(effect);
    main->addLayout(buttons.layout);

    chooseColor = [this](Color initial) -> std::optional<Color> {
        const QColor chosen = QColorDialog::getColor(QtCanvas::toQColor(initial), this);
        if (!chosen.isValid())
            return std::nullopt;
        return colors::rgb(chosen.red(), chosen.green(), chosen.blue());
    };

    showPen();

    // Not resizable; at least the form's client size.
    setFixedSize(sizeHint().expandedTo(QSize(293, 291)));

    connect(widthSpin, &QSpinBox::valueChanged, this, &PenDialog::onWidthChanged);
    connect(styleCombo, &QComboBox::currentIndexChanged, this, &PenDialog::onStyleChanged);
}

void PenDialog::showPen() {
    // Showing the pen must not write it back: a clear or inside-frame pen shows as "实线" and
    // keeps its style until the user picks one.
    const QSignalBlocker blockWidth(widthSpin);
    const QSignalBlocker blockStyle(styleCombo);
    setPanelColor(pen_.color);
    widthSpin->setValue(pen_.width);
    styleCombo->setCurrentIndex(itemOfStyle(pen_.style));
    drawSample();
}

void PenDialog::onChooseColor() {
    if (chooseColor) {
        if (const auto chosen = chooseColor(panelColor_))
            setPanelColor(*chosen);
    }
    // Also after a cancelled colour dialog the pen takes the panel's colour.
    pen_.color = panelColor_;
    drawSample();
}

void PenDialog::onWidthChanged() {
    pen_.width = widthSpin->value();
    drawSample();
}

void PenDialog::onStyleChanged() {
    pen_.style = styleOfItem(styleCombo->currentIndex());
    drawSample();
}

bool PenDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == colorPanel && event->type() == QEvent::MouseButtonRelease) {
        onChooseColor();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void PenDialog::setPanelColor(Color color) {
    panelColor_ = color;
    QPalette palette = colorPanel->palette();
    palette.setColor(QPalette::Window, QtCanvas::toQColor(color));
    colorPanel->setPalette(palette);
}

void PenDialog::drawSample() {
    {
        QPainter painter(&sample_);
        // Pixel units, y down; drawn as the sheet on screen is (a dashed pen stays dashed).
        QtCanvas canvas(painter, 96, 96, QtCanvas::Rendering::Smooth);
        canvas.setBrushColor(colors::systemButtonFace);
        canvas.setBrushStyle(BrushStyle::Solid);
        canvas.fillRect(0, 0, sampleWidth, sampleHeight);
        canvas.setPen(pen_);
        canvas.moveTo(10, sampleHeight / 2);
        canvas.lineTo(sampleWidth - 10, sampleHeight / 2);
    }
    sampleLabel->setPixmap(QPixmap::fromImage(sample_));
}

bool PenDialog::editPen(QWidget* owner, Pen& pen) {
    PenDialog dialog(pen, owner);
    return dialog.exec() == QDialog::Accepted;
}
