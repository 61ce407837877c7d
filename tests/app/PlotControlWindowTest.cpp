#include "app/PlotControlWindow.h"

#include <string>
#include <utility>
#include <vector>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include "RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

// Rows of the symbol list: the group box top (51) plus each check box's top.
constexpr int resRow = 69, m1Row = 90, rRow = 112, tdRow = 133, thRow = 155, zpRow = 177;

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

// What a user pick in the symbol list amounts to: the item becomes current and is activated.
void choose(QComboBox* list, int item) {
    list->setCurrentIndex(item);
    emit list->activated(item);
}

class PlotControlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    PlotControlWindow form;
};

TEST(PlotControlWindowLayout, WindowHasItsCaptionSizeAndNoCloseButton) {
    PlotControlWindow form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("图形曲线选择"));
    EXPECT_EQ(form.size(), QSize(184, 263));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(form.isHidden());
}

TEST(PlotControlWindowLayout, ComponentsStandAtTheirPositionsWithTheirCaptions) {
    PlotControlWindow form;
    EXPECT_EQ(form.stationLabel->geometry(), QRect(22, 21, 28, 17));
    EXPECT_EQ(form.stationLabel->text(), QStringLiteral("测点"));
    EXPECT_EQ(form.stationCombo->geometry(), QRect(52, 18, 75, 21));
    EXPECT_EQ(form.parameterGroup->geometry(), QRect(16, 51, 123, 157));
    EXPECT_EQ(form.parameterGroup->title(), QStringLiteral("绘图参数"));
    const std::vector<std::pair<QCheckBox*, QString>> boxes{
        {form.resCheck, QStringLiteral("视电阻率")}, {form.m1Check, QStringLiteral("视极化率")},
        {form.rCheck, QStringLiteral("偏离度")},     {form.tdCheck, QStringLiteral("衰减度")},
        {form.thCheck, QStringLiteral("半衰时")},    {form.zpCheck, QStringLiteral("综合参数")}};
    const int tops[] = {18, 39, 61, 82, 104, 126};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].first->parentWidget(), form.parameterGroup);
        EXPECT_EQ(boxes[i].first->geometry(), QRect(18, tops[i], 97, 17)) << i;
        EXPECT_EQ(boxes[i].first->text(), boxes[i].second);
        EXPECT_FALSE(boxes[i].first->isChecked());
    }
    EXPECT_EQ(form.symbolList->parentWidget(), &form);
    EXPECT_EQ(form.bevel->geometry(), QRect(-12, 198, 219, 19));
    EXPECT_EQ(form.applyButton->geometry(), QRect(40, 228, 57, 25));
    EXPECT_EQ(form.applyButton->text(), QStringLiteral("应用"));
    EXPECT_EQ(form.hideButton->geometry(), QRect(110, 228, 57, 25));
    EXPECT_EQ(form.hideButton->text(), QStringLiteral("隐藏"));
}

TEST(PlotControlWindowLayout, SymbolListStartsHiddenOnTheResistivityRow) {
    PlotControlWindow form;
    EXPECT_TRUE(form.symbolList->isHidden());
    EXPECT_EQ(form.symbolList->geometry(), QRect(110, resRow, 57, 22));
    ASSERT_EQ(form.symbolList->count(), 13);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(form.symbolList->itemText(i), QString::number(i));
    EXPECT_EQ(form.symbolList->currentIndex(), 0);
    EXPECT_EQ(form.symbolList->view()->sizeHintForRow(5), 16);
    for (int symbol :
         {form.resSymbol, form.m1Symbol, form.rSymbol, form.tdSymbol, form.thSymbol, form.zpSymbol})
        EXPECT_EQ(symbol, 0);
}

TEST(PlotControlWindowLayout, StationListTakesNoTypedText) {
    PlotControlWindow form;
    EXPECT_FALSE(form.stationCombo->isEditable());
    EXPECT_EQ(form.stationCombo->lineEdit(), nullptr);
    PlotChoices c;
    c.stationItems = {"101", "102"};
    c.stationIndex = 0;
    form.applyChoices(c);
    QTest::keyClicks(form.stationCombo, "999");
    EXPECT_EQ(form.stationCombo->count(), 2);
    EXPECT_NE(form.stationCombo->currentText(), QStringLiteral("999"));
}

TEST_F(PlotControlWindowTest, SymbolListShowsExactlyWhileABoxIsTicked) {
    EXPECT_FALSE(form.symbolList->isVisible());
    form.thSymbol = 7;
    click(form.thCheck);
    EXPECT_TRUE(form.symbolList->isVisible());
    EXPECT_EQ(form.symbolList->y(), thRow);
    EXPECT_EQ(form.symbolList->currentIndex(), 7);
    click(form.thCheck);
    EXPECT_FALSE(form.symbolList->isVisible());
    EXPECT_EQ(form.symbolList->y(), thRow); // an untick does not move it
}

TEST_F(PlotControlWindowTest, SymbolListFollowsEachTickedRow) {
    const std::vector<std::pair<QCheckBox*, int>> rows{{form.resCheck, resRow}, {form.m1Check, m1Row},
                                                       {form.rCheck, rRow},     {form.tdCheck, tdRow},
                                                       {form.thCheck, thRow},   {form.zpCheck, zpRow}};
    for (const auto& [box, row] : rows) {
        click(box);
        EXPECT_EQ(form.symbolList->y(), row);
    }
}

TEST_F(PlotControlWindowTest, UntickedRowKeepsTheListAndItsSymbol) {
    click(form.resCheck);
    click(form.tdCheck);
    ASSERT_EQ(form.symbolList->y(), tdRow);
    click(form.tdCheck); // resCheck stays ticked
    EXPECT_TRUE(form.symbolList->isVisible());
    EXPECT_EQ(form.symbolList->y(), tdRow);
    choose(form.symbolList, 9);
    EXPECT_EQ(form.tdSymbol, 9);
    EXPECT_EQ(form.resSymbol, 0);
}

TEST_F(PlotControlWindowTest, EachParameterRemembersItsSymbol) {
    click(form.m1Check);
    choose(form.symbolList, 5);
    EXPECT_EQ(form.m1Symbol, 5);
    click(form.rCheck);
    EXPECT_EQ(form.symbolList->y(), rRow);
    EXPECT_EQ(form.symbolList->currentIndex(), 0);
    click(form.m1Check);
    click(form.m1Check);
    EXPECT_EQ(form.symbolList->y(), m1Row);
    EXPECT_EQ(form.symbolList->currentIndex(), 5);
    EXPECT_EQ(form.m1Symbol, 5);
    EXPECT_EQ(form.rSymbol, 0);
}

TEST_F(PlotControlWindowTest, OnlyTheApplyButtonRebuildsTheSheet) {
    int applies = 0;
    form.onApply = [&] { ++applies; };
    PlotChoices c;
    c.stationItems = {"1", "2", "3"};
    c.stationIndex = 0;
    c.ticked[Quantity::Res] = true;
    c.visible = true;
    form.applyChoices(c);
    choose(form.symbolList, 4);
    form.stationCombo->setCurrentIndex(2);
    emit form.stationCombo->activated(2);
    click(form.m1Check);
    EXPECT_EQ(applies, 0);
    EXPECT_EQ(form.resSymbol, 4);
    EXPECT_EQ(form.choices().stationIndex, 2);
    click(form.applyButton);
    EXPECT_EQ(applies, 1);
    EXPECT_TRUE(form.isVisible());
}

TEST_F(PlotControlWindowTest, HideButtonHidesAndReleasesTheStationTool) {
    int hides = 0;
    form.onHide = [&] { ++hides; };
    click(form.hideButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(hides, 1);
    EXPECT_FALSE(form.choices().visible);
}

TEST(PlotControlWindowButtons, WorkWithoutCallbacks) {
    PlotControlWindow form;
    form.show();
    form.onApplyClicked();
    form.onHideClicked();
    EXPECT_TRUE(form.isHidden());
}

TEST(PlotControlWindowChoices, OpenCommandFillsStationsTicksResistivityAndShows) {
    PlotControlWindow form;
    form.resSymbol = 3;
    PlotChoices c = form.choices();
    EXPECT_TRUE(c.stationItems.empty());
    EXPECT_EQ(c.stationIndex, -1);
    c.stationItems = {"12", "13", "14"};
    c.stationIndex = 0;
    c.ticked[Quantity::Res] = true;
    for (Quantity q : {Quantity::M1, Quantity::R, Quantity::TD, Quantity::TH, Quantity::ZP})
        c.enabled[q] = false;
    c.visible = true;
    form.applyChoices(c);
    ASSERT_EQ(form.stationCombo->count(), 3);
    EXPECT_EQ(form.stationCombo->itemText(1), QStringLiteral("13"));
    EXPECT_EQ(form.stationCombo->currentIndex(), 0);
    EXPECT_TRUE(form.resCheck->isChecked());
    EXPECT_TRUE(form.resCheck->isEnabled());
    EXPECT_FALSE(form.m1Check->isEnabled());
    EXPECT_FALSE(form.zpCheck->isEnabled());
    EXPECT_TRUE(form.isVisible());
    // onResToggled ran: the list shows the resistivity symbol on its row
    EXPECT_TRUE(form.symbolList->isVisible());
    EXPECT_EQ(form.symbolList->y(), resRow);
    EXPECT_EQ(form.symbolList->currentIndex(), 3);
}

TEST(PlotControlWindowChoices, RetickingAnAlreadyTickedBoxLeavesTheList) {
    PlotControlWindow form;
    form.resCheck->setChecked(true);
    form.m1Check->setChecked(true);
    form.m1Symbol = 6;
    ASSERT_EQ(form.symbolList->y(), m1Row);
    PlotChoices c = form.choices();
    c.stationItems = {"5"};
    c.stationIndex = 0;
    c.ticked[Quantity::Res] = true; // no change of state: onResToggled does not run
    form.applyChoices(c);
    EXPECT_EQ(form.symbolList->y(), m1Row);
    EXPECT_EQ(form.symbolList->currentIndex(), 6);
}

TEST(PlotControlWindowChoices, RoundTripThroughTheRecord) {
    PlotControlWindow form;
    PlotChoices c;
    c.stationItems = {"7", "8", "9", "10"};
    c.stationIndex = 3;
    c.ticked = {true, false, true, true, false, true};
    c.enabled = {true, true, false, true, false, true};
    c.symbols = {1, 2, 3, 10, 11, 12};
    c.visible = false;
    form.applyChoices(c);
    const PlotChoices back = form.choices();
    EXPECT_EQ(back.stationItems, c.stationItems);
    EXPECT_EQ(back.stationIndex, 3);
    EXPECT_EQ(back.ticked, c.ticked);
    EXPECT_EQ(back.enabled, c.enabled);
    EXPECT_EQ(back.symbols, c.symbols);
    EXPECT_FALSE(back.visible);
    // zpCheck was ticked last: the list stands on its row with its symbol
    EXPECT_EQ(form.symbolList->y(), zpRow);
    EXPECT_EQ(form.symbolList->currentIndex(), 12);

    c.visible = true;
    form.applyChoices(c);
    EXPECT_TRUE(form.choices().visible);
    EXPECT_EQ(form.choices().symbols, c.symbols);
}

TEST(PlotControlWindowChoices, StationSelectionOutsideTheListSelectsNothing) {
    PlotControlWindow form;
    PlotChoices c;
    c.stationItems = {"1", "2"};
    c.stationIndex = 2;
    form.applyChoices(c);
    EXPECT_EQ(form.choices().stationIndex, -1);
    c.stationItems.clear();
    c.stationIndex = 0;
    form.applyChoices(c);
    EXPECT_EQ(form.choices().stationIndex, -1);
    EXPECT_TRUE(form.choices().stationItems.empty());
}

// Box symbols of a list row 57 x 16 at the origin: c = (28, 8), s = 12, h = 6, t = 4.
TEST(PlotControlWindowSymbols, BoxSymbolsOfAListRow) {
    using Segments = std::vector<std::pair<Point, Point>>;
    RecordingCanvas up;
    PlotControlWindow::drawBoxSymbol(up, 7, 0, 0, 57, 16);
    EXPECT_EQ(up.segments(), (Segments{{{22, 12}, {34, 12}}, {{34, 12}, {28, 2}}, {{28, 2}, {22, 12}}}));
    RecordingCanvas down;
    PlotControlWindow::drawBoxSymbol(down, 9, 0, 0, 57, 16);
    EXPECT_EQ(down.segments(), (Segments{{{22, 4}, {34, 4}}, {{34, 4}, {28, 14}}, {{28, 14}, {22, 4}}}));
    RecordingCanvas circle;
    PlotControlWindow::drawBoxSymbol(circle, 4, 0, 16, 57, 32);
    ASSERT_EQ(circle.callsOf("ellipse").size(), 1u);
    const auto box = circle.callsOf("ellipse")[0].points;
    ASSERT_EQ(box.size(), 2u);
    EXPECT_EQ(std::min(box[0].y, box[1].y), 18);
    EXPECT_EQ(std::max(box[0].y, box[1].y), 30);
    EXPECT_EQ(circle.callsOf("ellipse")[0].brushColor, colors::black);
}

TEST(PlotControlWindowSymbols, ListItemsArePaintedAsTextAndShapes) {
    PlotControlWindow form;
    const QRect row(0, 0, 57, 16);
    const auto render = [&](int item) {
        QImage image(row.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        form.drawSymbolItem(painter, item, row, false);
        return image;
    };
    const auto black = [](const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); };
    const QImage up = render(8);    // filled triangle, apex up at (28, 2), base at y 12
    const QImage down = render(10); // apex down at (28, 14), base at y 4
    EXPECT_TRUE(black(up, 23, 11));
    EXPECT_FALSE(black(up, 23, 4));
    EXPECT_TRUE(black(down, 23, 4));
    EXPECT_FALSE(black(down, 23, 11));
    const QImage filled = render(4);
    EXPECT_TRUE(black(filled, 28, 8));
    const QImage open = render(3);
    EXPECT_FALSE(black(open, 28, 8));
    EXPECT_TRUE(black(open, 22, 8));

    const QImage caption = render(0); // "图例" at the top left
    int dark = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 30; ++x)
            dark += qGray(caption.pixel(x, y)) < 128 ? 1 : 0;
    EXPECT_GT(dark, 10);
}

} // namespace

// Each redraw reads the choices: they carry the selection, not a copy of every station entry.
TEST(PlotControlWindowChoices, DrawingChoicesLeaveTheStationEntriesInTheList) {
    PlotControlWindow form;
    PlotChoices record;
    record.stationItems = {"101", "102", "103"};
    record.stationIndex = 1;
    form.applyChoices(record);
    const PlotChoices drawing = form.drawingChoices();
    EXPECT_TRUE(drawing.stationItems.empty());
    EXPECT_EQ(drawing.stationIndex, 1);
    EXPECT_EQ(form.choices().stationItems, record.stationItems);
}
