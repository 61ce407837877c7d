#include "app/PlotControlWindow.h"

#include <array>
#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "plot/Symbol.h"
#include "render/QtCanvas.h"

namespace {

constexpr int symbolCount = 13; // items "0" .. "12" of the symbol list
constexpr int legendsItemHeight = 16;

// Draws the popup rows of the symbol list through the window's item drawing, at a fixed height.
class LegendsItemDelegate : public QStyledItemDelegate {
public:
    LegendsItemDelegate(const PlotControlWindow& form, QObject* parent)
        : QStyledItemDelegate(parent), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        form_.LegendsDrawItem(*painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), legendsItemHeight};
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

    STText = new QLabel(QStringLiteral("测点"), this);
    STText->setGeometry(22, 21, 28, 17);

    // A pick list: the composer needs a station of the list, so typed text is not accepted.
    STs = new QComboBox(this);
    STs->setEditable(false);
    STs->setGeometry(52, 18, 75, 21);

    Params = new QGroupBox(QStringLiteral("绘图参数"), this);
    Params->setGeometry(16, 51, 123, 157);
    const auto makeBox = [this](const char* caption, int top) {
        auto* box = new QCheckBox(QString::fromUtf8(caption), Params);
        box->setGeometry(18, top, 97, 17);
        return box;
    };
    RES = makeBox("视电阻率", 18);
    M1 = makeBox("视极化率", 39);
    R = makeBox("偏离度", 61);
    TD = makeBox("衰减度", 82);
    TH = makeBox("半衰时", 104);
    ZP = makeBox("综合参数", 126);
    // toggled fires for clicks and for ticks set by the program, like the form's click events
    connect(RES, &QCheckBox::toggled, this, [this] { RESClick(); });
    connect(M1, &QCheckBox::toggled, this, [this] { M1Click(); });
    connect(R, &QCheckBox::toggled, this, [this] { RClick(); });
    connect(TD, &QCheckBox::toggled, this, [this] { TDClick(); });
    connect(TH, &QCheckBox::toggled, this, [this] { THClick(); });
    connect(ZP, &QCheckBox::toggled, this, [this] { ZPClick(); });

    Bevel2 = new QFrame(this);
    Bevel2->setFrameShape(QFrame::NoFrame);
    Bevel2->setGeometry(-12, 198, 219, 19);
    Bevel2->installEventFilter(this);

    // The symbol list belongs to the window, not to the group box, and stands over the box rows.
    Legends = new QComboBox(this);
    Legends->setEditable(false);
    Legends->setGeometry(110, 66, 57, 22);
    for (int i = 0; i < symbolCount; ++i)
        Legends->addItem(QString::number(i));
    Legends->setCurrentIndex(0);
    Legends->setItemDelegate(new LegendsItemDelegate(*this, Legends));
    Legends->installEventFilter(this);
    Legends->raise();
    connect(Legends, &QComboBox::activated, this, [this] { LegendsChange(); });

    BitBtn2 = new QPushButton(QStringLiteral("应用"), this);
    BitBtn2->setGeometry(40, 228, 57, 25);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    BitBtn1 = new QPushButton(QStringLiteral("隐藏"), this);
    BitBtn1->setGeometry(110, 228, 57, 25);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    FormCreate();
}

PlotControlWindow::~PlotControlWindow() = default;

void PlotControlWindow::FormCreate() {
    Legends->hide();
    Legends->move(Legends->x(), Params->y() + RES->y());
}

QCheckBox* PlotControlWindow::box(int param) const {
    const std::array<QCheckBox*, plotparam::count> boxes{RES, M1, R, TD, TH, ZP};
    return boxes.at(static_cast<std::size_t>(param));
}

int& PlotControlWindow::symbolOf(int param) {
    const std::array<int*, plotparam::count> symbols{&resSymbol, &m1Symbol, &rSymbol,
                                                     &tdSymbol,  &thSymbol, &zpSymbol};
    return *symbols.at(static_cast<std::size_t>(param));
}

int PlotControlWindow::symbolOf(int param) const {
    return const_cast<PlotControlWindow*>(this)->symbolOf(param);
}

int PlotControlWindow::legendsRow() const {
    const int d = Legends->y() - Params->y();
    for (int p = 0; p < plotparam::count; ++p)
        if (d == box(p)->y())
            return p;
    return -1;
}

void PlotControlWindow::boxClick(int param) {
    bool anyTicked = false;
    for (int p = 0; p < plotparam::count; ++p)
        anyTicked = anyTicked || box(p)->isChecked();
    Legends->setVisible(anyTicked);
    // An unticked box leaves the list where it stands.
    if (box(param)->isChecked()) {
        Legends->move(Legends->x(), Params->y() + box(param)->y());
        Legends->setCurrentIndex(symbolOf(param));
        Legends->update();
    }
}

void PlotControlWindow::RESClick() {
    boxClick(plotparam::res);
}

void PlotControlWindow::M1Click() {
    boxClick(plotparam::m1);
}

void PlotControlWindow::RClick() {
    boxClick(plotparam::r);
}

void PlotControlWindow::TDClick() {
    boxClick(plotparam::td);
}

void PlotControlWindow::THClick() {
    boxClick(plotparam::th);
}

void PlotControlWindow::ZPClick() {
    boxClick(plotparam::zp);
}

void PlotControlWindow::LegendsChange() {
    const int row = legendsRow();
    if (row >= 0)
        symbolOf(row) = Legends->currentIndex();
}

void PlotControlWindow::BitBtn2Click() {
    if (onApply)
        onApply();
}

void PlotControlWindow::BitBtn1Click() {
    hide();
    if (onHide)
        onHide();
}

void PlotControlWindow::drawBoxSymbol(Canvas& canvas, int number, int left, int top, int right, int bottom) {
    const int cx = static_cast<int>(std::trunc((left + right) * 0.5));
    const int cy = static_cast<int>(std::trunc((top + bottom) * 0.5));
    const int s = static_cast<int>(std::trunc((bottom - top) * 0.75));
    // The symbol painter works with y upward; a negative height turns its shapes the right way
    // up on a y-down surface (triangles 7 and 8 point up, 9 and 10 down).
    drawSymbol(canvas, number, cx, cy, s, -s);
}

void PlotControlWindow::LegendsDrawItem(QPainter& painter, int index, const QRect& rect,
                                        bool selected) const {
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
    if (event->type() == QEvent::Paint && watched == Legends) {
        paintLegends();
        return true;
    }
    if (event->type() == QEvent::Paint && watched == Bevel2) {
        paintBevel();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PlotControlWindow::paintLegends() {
    // The closed list shows its frame and button, and the selected item drawn like the popup rows.
    QStylePainter painter(Legends);
    QStyleOptionComboBox option;
    option.initFrom(Legends);
    option.editable = false;
    option.frame = true;
    option.subControls = QStyle::SC_All;
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        Legends->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, Legends);
    LegendsDrawItem(painter, Legends->currentIndex(), field, Legends->hasFocus());
}

void PlotControlWindow::paintBevel() {
    // A lowered bottom line: shadow above, highlight below.
    QPainter painter(Bevel2);
    const int w = Bevel2->width();
    const int h = Bevel2->height();
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, h - 2, w, h - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, h - 1, w, h - 1);
}

PlotChoices PlotControlWindow::choices() const {
    PlotChoices c;
    for (int i = 0; i < STs->count(); ++i)
        c.stationItems.push_back(STs->itemText(i).toStdString());
    c.stationIndex = STs->currentIndex();
    for (int p = 0; p < plotparam::count; ++p) {
        const auto i = static_cast<std::size_t>(p);
        c.ticked[i] = box(p)->isChecked();
        c.enabled[i] = box(p)->isEnabledTo(this);
        c.symbols[i] = symbolOf(p);
    }
    c.visible = !isHidden();
    return c;
}

void PlotControlWindow::applyChoices(const PlotChoices& choices) {
    for (int p = 0; p < plotparam::count; ++p)
        symbolOf(p) = choices.symbols[static_cast<std::size_t>(p)];

    STs->clear();
    for (const std::string& item : choices.stationItems)
        STs->addItem(QString::fromStdString(item));
    const bool validIndex = choices.stationIndex >= 0 && choices.stationIndex < STs->count();
    STs->setCurrentIndex(validIndex ? choices.stationIndex : -1);

    for (int p = 0; p < plotparam::count; ++p)
        box(p)->setEnabled(choices.enabled[static_cast<std::size_t>(p)]);
    // setChecked runs a box's click handler only when its state changes
    for (int p = 0; p < plotparam::count; ++p)
        box(p)->setChecked(choices.ticked[static_cast<std::size_t>(p)]);
    // The list keeps showing the symbol of the row it stands on.
    if (const int row = legendsRow(); row >= 0)
        Legends->setCurrentIndex(symbolOf(row));

    setVisible(choices.visible);
}
