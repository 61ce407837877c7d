#include "app/PlotControlWindow.h"

#include <array>
#include <cmath>
#include <utility>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "plot/Symbol.h"
#include "render/QtCanvas.h"

namespace {

constexpr int symbolCount = 13; // items "0" .. "12" of the symbol list
constexpr int symbolItemHeight = 16;

// Draws the popup rows of the symbol list through the window's item drawing, at a fixed height.
class SymbolItemDelegate : public QStyledItemDelegate {
public:
    SymbolItemDelegate(const PlotControlWindow& form, QObject* parent)
        : QStyledItemDelegate(parent), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        form_.drawSymbolItem(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), symbolItemHeight};
    }

private:
    const PlotControlWindow& form_;
};

} // namespace

PlotControlWindow::PlotControlWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("图形曲线选择"));
    QFont formFont;
    formFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                          QStringLiteral("WenQuanYi Micro Hei")});
    formFont.setPixelSize(11);
    setFont(formFont);
    setFixedSize(184, 263);
    move(766, 98);

    stationLabel = new QLabel(QStringLiteral("测点"), this);
    stationLabel->setGeometry(22, 21, 28, 17);

    // A pick list: the composer needs a station of the list, so typed text is not accepted.
    stationCombo = new QComboBox(this);
    stationCombo->setEditable(false);
    stationCombo->setGeometry(52, 18, 75, 21);

    parameterGroup = new QGroupBox(QStringLiteral("绘图参数"), this);
    parameterGroup->setGeometry(16, 51, 123, 157);
    const auto makeBox = [this](const char* caption, int top) {
        auto* box = new QCheckBox(QString::fromUtf8(caption), parameterGroup);
        box->setGeometry(18, top, 97, 17);
        return box;
    };
    resCheck = makeBox("视电阻率", 18);
    m1Check = makeBox("视极化率", 39);
    rCheck = makeBox("偏离度", 61);
    tdCheck = makeBox("衰减度", 82);
    thCheck = makeBox("半衰时", 104);
    zpCheck = makeBox("综合参数", 126);
    // toggled fires for clicks and for ticks set by the program, like the form's click events
    connect(resCheck, &QCheckBox::toggled, this, [this] { onResToggled(); });
    connect(m1Check, &QCheckBox::toggled, this, [this] { onM1Toggled(); });
    connect(rCheck, &QCheckBox::toggled, this, [this] { onRToggled(); });
    connect(tdCheck, &QCheckBox::toggled, this, [this] { onTdToggled(); });
    connect(thCheck, &QCheckBox::toggled, this, [this] { onThToggled(); });
    connect(zpCheck, &QCheckBox::toggled, this, [this] { onZpToggled(); });

    bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::NoFrame);
    bevel->setGeometry(-12, 198, 219, 19);
    bevel->installEventFilter(this);

    // The symbol list belongs to the window, not to the group box, and stands over the box rows.
    symbolList = new QComboBox(this);
    symbolList->setEditable(false);
    symbolList->setGeometry(110, 66, 57, 22);
    for (int i = 0; i < symbolCount; ++i)
        symbolList->addItem(QString::number(i));
    symbolList->setCurrentIndex(0);
    symbolList->setItemDelegate(new SymbolItemDelegate(*this, symbolList));
    symbolList->installEventFilter(this);
    symbolList->raise();
    connect(symbolList, &QComboBox::activated, this, [this] { onSymbolChosen(); });

    applyButton = new QPushButton(QStringLiteral("应用"), this);
    applyButton->setGeometry(40, 228, 57, 25);
    connect(applyButton, &QPushButton::clicked, this, [this] { onApplyClicked(); });
    hideButton = new QPushButton(QStringLiteral("隐藏"), this);
    hideButton->setGeometry(110, 228, 57, 25);
    connect(hideButton, &QPushButton::clicked, this, [this] { onHideClicked(); });

    // The component names of the controls, for findChild and the help pages.
    const std::pair<QWidget*, const char*> componentNames[] = {
        {stationLabel, "STText"}, {stationCombo, "STs"}, {parameterGroup, "Params"},
        {resCheck, "RES"},        {m1Check, "M1"},       {rCheck, "R"},
        {tdCheck, "TD"},          {thCheck, "TH"},       {zpCheck, "ZP"},
        {symbolList, "Legends"},  {bevel, "Bevel2"},     {applyButton, "BitBtn2"},
        {hideButton, "BitBtn1"},
    };
    for (const auto& [widget, name] : componentNames)
        widget->setObjectName(QLatin1String(name));

    placeSymbolList();
}

PlotControlWindow::~PlotControlWindow() = default;

void PlotControlWindow::placeSymbolList() {
    symbolList->hide();
    symbolList->move(symbolList->x(), parameterGroup->y() + resCheck->y());
}

QCheckBox* PlotControlWindow::box(Quantity quantity) const {
    const PerQuantity<QCheckBox*> boxes{{resCheck, m1Check, rCheck, tdCheck, thCheck, zpCheck}};
    return boxes[quantity];
}

int& PlotControlWindow::symbolOf(Quantity quantity) {
    const PerQuantity<int*> symbols{{&resSymbol, &m1Symbol, &rSymbol, &tdSymbol, &thSymbol, &zpSymbol}};
    return *symbols[quantity];
}

int PlotControlWindow::symbolOf(Quantity quantity) const {
    return const_cast<PlotControlWindow*>(this)->symbolOf(quantity);
}

std::optional<Quantity> PlotControlWindow::symbolListRow() const {
    const int d = symbolList->y() - parameterGroup->y();
    for (Quantity quantity : allQuantities)
        if (d == box(quantity)->y())
            return quantity;
    return std::nullopt;
}

void PlotControlWindow::onBoxToggled(Quantity quantity) {
    bool anyTicked = false;
    for (Quantity q : allQuantities)
        anyTicked = anyTicked || box(q)->isChecked();
    symbolList->setVisible(anyTicked);
    // An unticked box leaves the list where it stands.
    if (box(quantity)->isChecked()) {
        symbolList->move(symbolList->x(), parameterGroup->y() + box(quantity)->y());
        symbolList->setCurrentIndex(symbolOf(quantity));
        symbolList->update();
    }
}

void PlotControlWindow::onResToggled() {
    onBoxToggled(Quantity::Res);
}

void PlotControlWindow::onM1Toggled() {
    onBoxToggled(Quantity::M1);
}

void PlotControlWindow::onRToggled() {
    onBoxToggled(Quantity::R);
}

void PlotControlWindow::onTdToggled() {
    onBoxToggled(Quantity::TD);
}

void PlotControlWindow::onThToggled() {
    onBoxToggled(Quantity::TH);
}

void PlotControlWindow::onZpToggled() {
    onBoxToggled(Quantity::ZP);
}

void PlotControlWindow::onSymbolChosen() {
    if (const std::optional<Quantity> row = symbolListRow())
        symbolOf(*row) = symbolList->currentIndex();
}

void PlotControlWindow::onApplyClicked() {
    if (onApply)
        onApply();
}

void PlotControlWindow::onHideClicked() {
    hide();
    if (onHide)
        onHide();
}

void PlotControlWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onHide)
        onHide();
}

void PlotControlWindow::drawBoxSymbol(Canvas& canvas, int number, int left, int top, int right, int bottom) {
    const int cx = static_cast<int>(std::trunc((left + right) * 0.5));
    const int cy = static_cast<int>(std::trunc((top + bottom) * 0.5));
    const int s = static_cast<int>(std::trunc((bottom - top) * 0.75));
    // The symbol painter works with y upward; a negative height turns its shapes the right way
    // up on a y-down surface (triangles 7 and 8 point up, 9 and 10 down).
    drawSymbol(canvas, symbolKindOf(number), cx, cy, s, -s);
}

void PlotControlWindow::drawSymbolItem(QPainter& painter, int index, const QRect& rect, bool selected) const {
    painter.save();
    painter.fillRect(rect, palette().brush(selected ? QPalette::Highlight : QPalette::Base));
    if (index == 0) {
        painter.setClipRect(rect);
        painter.setFont(font());
        painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("图例"));
    } else if (index > 0 && index < symbolCount) {
        QtCanvas canvas(painter);
        canvas.setPen(Pen{}); // black, solid, one pixel
        drawBoxSymbol(canvas, index, rect.left(), rect.top(), rect.left() + rect.width(),
                      rect.top() + rect.height());
    }
    painter.restore();
}

bool PlotControlWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == symbolList) {
        paintSymbolList();
        return true;
    }
    if (event->type() == QEvent::Paint && watched == bevel) {
        paintBevel();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PlotControlWindow::paintSymbolList() {
    // The closed list shows its frame and button, and the selected item drawn like the popup rows.
    QStylePainter painter(symbolList);
    QStyleOptionComboBox option;
    option.initFrom(symbolList);
    option.editable = false;
    option.frame = true;
    option.subControls = QStyle::SC_All;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = symbolList->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                            QStyle::SC_ComboBoxEditField, symbolList);
    drawSymbolItem(painter, symbolList->currentIndex(), field, symbolList->hasFocus());
}

void PlotControlWindow::paintBevel() {
    // A lowered bottom line: shadow above, highlight below.
    QPainter painter(bevel);
    const int w = bevel->width();
    const int h = bevel->height();
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, h - 2, w, h - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, h - 1, w, h - 1);
}

PlotChoices PlotControlWindow::choices() const {
    PlotChoices c = drawingChoices();
    c.stationItems.reserve(static_cast<std::size_t>(stationCombo->count()));
    for (int i = 0; i < stationCombo->count(); ++i)
        c.stationItems.push_back(stationCombo->itemText(i).toStdString());
    return c;
}

PlotChoices PlotControlWindow::drawingChoices() const {
    PlotChoices c;
    c.stationIndex = stationCombo->currentIndex();
    for (Quantity quantity : allQuantities) {
        c.ticked[quantity] = box(quantity)->isChecked();
        c.enabled[quantity] = box(quantity)->isEnabledTo(this);
        c.symbols[quantity] = symbolOf(quantity);
    }
    c.visible = !isHidden();
    return c;
}

void PlotControlWindow::applyChoices(const PlotChoices& choices) {
    for (Quantity quantity : allQuantities)
        symbolOf(quantity) = choices.symbols[quantity];

    // All entries in one call: the combo's model inserts them as one block (a file may hold 20,000
    // stations).
    QStringList items;
    items.reserve(static_cast<qsizetype>(choices.stationItems.size()));
    for (const std::string& item : choices.stationItems)
        items.append(QString::fromStdString(item));
    stationCombo->clear();
    stationCombo->addItems(items);
    const bool validIndex = choices.stationIndex >= 0 && choices.stationIndex < stationCombo->count();
    stationCombo->setCurrentIndex(validIndex ? choices.stationIndex : -1);

    for (Quantity quantity : allQuantities)
        box(quantity)->setEnabled(choices.enabled[quantity]);
    // setChecked runs a box's click handler only when its state changes
    for (Quantity quantity : allQuantities)
        box(quantity)->setChecked(choices.ticked[quantity]);
    // The list keeps showing the symbol of the row it stands on.
    if (const std::optional<Quantity> row = symbolListRow())
        symbolList->setCurrentIndex(symbolOf(*row));

    setVisible(choices.visible);
}
