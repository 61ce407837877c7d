// Click editing on the sheet image and the geometry commands of the main window.
#include "SheetWindowFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>

#include "core/ConversionError.h"

namespace {

class SheetEditingTest : public apptest::SheetWindowTest {
protected:
    void SetUp() override {
        apptest::SheetWindowTest::SetUp();
        QLocale::setDefault(QLocale::c());
        openColumnSample();
        ui->messages.clear();
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    int dialogCalls() const { return titleCalls + axisCalls + penCalls; }
};

constexpr const char* notANumber = "注意:\n\t输入的轴长度不是有效的数字！绘图将采用原来的长度。";

} // namespace

TEST_F(SheetEditingTest, ClicksOnTheAxesOpenTheirDialogsWithTheirCaptions) {
    const SheetState& s = *form.sheet;
    const float w = s.xLength;
    const float h = s.yLength;
    struct Case {
        double x, y;
        const Axis* axis;
        const char* caption;
    };
    const Case cases[] = {{w * 0.5, h, &s.topAxis, "设置图形顶轴"},
                          {0, h * 0.5, &s.leftAxis, "设置图形左轴"},
                          {w * 0.5, 0, &s.bottomAxis, "设置图形底轴"},
                          {w, h * 0.5, &s.rightAxis, "设置图形右轴"}};
    int calls = 0;
    for (const Case& c : cases) {
        clickAt(c.x, c.y);
        EXPECT_EQ(axisCalls, ++calls) << c.caption;
        EXPECT_EQ(lastAxis, c.axis) << c.caption;
        EXPECT_EQ(lastAxisCaption, apptest::u(c.caption));
    }
    EXPECT_EQ(titleCalls, 0);
}

TEST_F(SheetEditingTest, TheTitleWinsOverAnAxisItOverlaps) {
    SheetState& s = *form.sheet;
    // The title's box reaches down from its anchor over the top axis.
    s.titleText.y1 = s.yLength + 4;
    clickAt(s.titleText.x1 + 40, s.yLength);
    EXPECT_EQ(titleCalls, 1);
    EXPECT_EQ(axisCalls, 0);
}

TEST_F(SheetEditingTest, TitleDialogOkRedrawsAndCancelChangesNothing) {
    const QImage shown = picture();
    form.saved = true;
    form.editTitleToolAction->trigger();
    EXPECT_EQ(titleCalls, 1);
    EXPECT_EQ(picture(), shown);
    EXPECT_TRUE(form.saved);

    titleAccepts = true;
    newTitleGapCm = 2.0f;
    form.editTitleAction->trigger();
    EXPECT_EQ(form.sheet->titleGapCm, 2.0f);
    // The title is not moved by the title command itself; the next relayout moves it.
    EXPECT_FALSE(form.saved);
}

TEST_F(SheetEditingTest, ACurveClickGivesTheLinePenEvenAfterCancelAndUntickedCurvesFallThrough) {
    SheetState& s = *form.sheet;
    // M1 drawn over the resistivity curve's points; RES unticked, M1 ticked.
    form.plotControlWindow()->m1Check->setChecked(true);
    form.plotControlWindow()->resCheck->setChecked(false);
    Curve& res = s.resCurve;
    Curve& m1 = s.m1Curve;
    m1.x1 = res.x1;
    m1.y1 = res.y1;
    m1.xPoints = res.xPoints;
    m1.yPoints = res.yPoints;
    const int resWidth = res.penWidth;

    penWidthTyped = 7; // changed in the pen dialog, then Cancel
    clickOnCurve(res, 3);
    EXPECT_EQ(penCalls, 1);
    EXPECT_EQ(s.linePen.width, 7);
    EXPECT_EQ(m1.penWidth, 7);
    EXPECT_EQ(res.penWidth, resWidth) << "an unticked curve takes no part";

    // Nothing ticked where the click lands: nothing happens.
    form.plotControlWindow()->m1Check->setChecked(false);
    form.saved = true;
    clickOnCurve(res, 3);
    EXPECT_EQ(penCalls, 1);
    EXPECT_TRUE(form.saved);
}

TEST_F(SheetEditingTest, ClicksOnTheLegendOrEmptyPaperChangeNothing) {
    SheetState& s = *form.sheet;
    form.plotControlWindow()->symbolList->setCurrentIndex(4);
    form.plotControlWindow()->onSymbolChosen();
    form.plotControlWindow()->applyButton->click();
    form.saved = true;
    const QImage shown = picture();
    // On the legend entry's symbol, then on two corners of the paper.
    clickAt(s.xLength - 200 + 37, s.yLength - 62);
    form.editing().onSheetImagePressed(Qt::LeftButton, Qt::NoModifier, 3, 3);
    form.editing().onSheetImagePressed(Qt::RightButton, Qt::NoModifier, 3, picture().height() - 3);
    EXPECT_EQ(dialogCalls(), 0);
    EXPECT_TRUE(form.saved);
    EXPECT_EQ(picture(), shown);
}

TEST_F(SheetEditingTest, AxisDialogOkRelaysTheSheetOutAndTheRightAxisLimitsLast) {
    SheetState& s = *form.sheet;
    axisEdit = [](Axis& axis, float* limitMin, float* limitMax) {
        axis.rangeMin = 5;
        axis.rangeMax = 7;
        if (limitMin)
            *limitMin = 0;
        if (limitMax)
            *limitMax = 50;
        return true;
    };
    form.editing().editAxis(4);
    EXPECT_EQ(s.ipMin, 0.0f);
    EXPECT_EQ(s.ipMax, 50.0f);
    EXPECT_EQ(s.rightAxis.rangeMin, 0.0f);
    EXPECT_EQ(s.rightAxis.rangeMax, 50.0f);
    EXPECT_EQ(s.m1Curve.yMax, 50.0f);
    // The left axis's range comes back from the stored resistivity decades.
    form.editing().editAxis(2);
    EXPECT_EQ(s.leftAxis.rangeMin, s.rhoMin);
    EXPECT_EQ(s.leftAxis.rangeMax, s.rhoMax);
}

TEST_F(SheetEditingTest, ALimitThatIsNoNumberIsShownAndNothingIsRelaidOut) {
    SheetState& s = *form.sheet;
    const QImage shown = picture();
    axisEdit = [](Axis& axis, float*, float*) -> bool {
        axis.showGrid = true;
        axis.x2 = 123;
        throw ConversionError("'abc' is not a valid floating point value");
    };
    form.editing().editAxis(3);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "'abc' is not a valid floating point value");
    EXPECT_EQ(ui->messages[0].caption, "电测深曲线绘制系统");
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::Error);
    EXPECT_TRUE(s.bottomAxis.showGrid) << "what was read before stays";
    EXPECT_EQ(s.bottomAxis.x2, 123.0f) << "no relayout";
    EXPECT_EQ(picture(), shown);
}

TEST_F(SheetEditingTest, ALowerLimitReadBeforeABadUpperOneIsCheckedAtOnce) {
    SheetState& s = *form.sheet;
    axisEdit = [](Axis& axis, float*, float*) -> bool {
        axis.rangeMin = 0; // the bottom axis is logarithmic
        throw ConversionError("'abc' is not a valid floating point value");
    };
    form.editing().editAxis(3);
    ASSERT_EQ(ui->messages.size(), 2u);
    EXPECT_EQ(ui->messages[1].text, "对数轴范围错误。\n将采用缺省值作为轴范围。");
    EXPECT_EQ(s.bottomAxis.rangeMin, 1.0f);
    EXPECT_EQ(s.bottomAxis.rangeMax, 100.0f);
}

TEST_F(SheetEditingTest, LengthQueriesShowTheLengthAndTakeLocaleNumbers) {
    SheetState& s = *form.sheet;
    ui->queueInput("12,5");
    form.setYLengthToolAction->trigger();
    ASSERT_EQ(ui->inputPrompts.size(), 1u);
    EXPECT_EQ(ui->inputPrompts[0], "输入y-轴长度，单位:cm");
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, notANumber);
    EXPECT_EQ(ui->messages[0].caption, "警告");
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(s.yLengthCm, 12.5f);

    // Zero and negative lengths are refused and keep the length.
    for (const char* typed : {"0", "-3"}) {
        ui->messages.clear();
        ui->queueInput(typed);
        form.setXLengthToolAction->trigger();
        ASSERT_EQ(ui->messages.size(), 1u) << typed;
        EXPECT_EQ(ui->messages[0].icon, MsgIcon::Warning);
        EXPECT_EQ(s.xLengthCm, 18.75f);
    }

    ui->messages.clear();
    ui->queueInput("15.5");
    form.setXLengthToolAction->trigger();
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(s.xLengthCm, 15.5f);
    EXPECT_EQ(s.bottomAxis.x2, 1550.0f);
    EXPECT_EQ(s.resCurve.xLength, 1550.0f);

    // The menu item "设置x-长度" has no command.
    const std::size_t prompts = ui->inputPrompts.size();
    form.setXLengthAction->trigger();
    EXPECT_EQ(ui->inputPrompts.size(), prompts);
}

TEST_F(SheetEditingTest, AThirtyCentimetreYAxisGrowsTheA4PaperToFortyFive) {
    SheetState& s = *form.sheet;
    ASSERT_EQ(s.sheetHeightCm, 29.7f);
    ui->queueInput("30");
    form.editing().onSetYLength();
    EXPECT_EQ(s.sheetHeightCm, 45.0f);
    EXPECT_EQ(s.yLength, 3000.0f);
    // 45 cm at 96 dpi.
    EXPECT_EQ(picture().height(), 1700);
    EXPECT_EQ(s.leftAxis.y2, 3000.0f);
    EXPECT_EQ(s.rightAxis.y2, 3000.0f);
    EXPECT_EQ(s.topAxis.y1, 3000.0f);
    EXPECT_EQ(s.topAxis.gridLength, 3000.0f);
    EXPECT_FLOAT_EQ(s.titleText.y1, 3000.0f + s.titleGapCm * 100.0f);
}

TEST_F(SheetEditingTest, ALengthGivingAnUndrawablePaperIsRefusedAndKeepsTheSheet) {
    SheetState& s = *form.sheet;
    const QImage shown = picture();
    ui->queueInput("100000");
    form.editing().onSetXLength();
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(s.xLengthCm, 18.75f);
    EXPECT_EQ(s.sheetWidthCm, 28.0f);
    EXPECT_EQ(picture(), shown);
}

TEST_F(SheetEditingTest, GeometryCommandsWaitForStations) {
    SheetState& s = *form.sheet;
    s.stations.clear();
    ui->queueInput("7");
    form.editing().onSetXLength();
    EXPECT_TRUE(ui->inputPrompts.empty());
    form.editing().editAxis(1);
    EXPECT_EQ(axisCalls, 0);
}

TEST_F(SheetEditingTest, LegendSwitchTogglesSymbolsAndItsButton) {
    SheetState& s = *form.sheet;
    ASSERT_TRUE(s.legendVisible);
    form.legendToolAction->trigger();
    EXPECT_FALSE(s.legendVisible);
    EXPECT_FALSE(form.legendToolAction->isChecked());
    for (const Curve* c : {&s.resCurve, &s.m1Curve, &s.rCurve, &s.tdCurve, &s.thCurve, &s.zpCurve})
        EXPECT_FALSE(c->showSymbols);
    form.legendToolAction->trigger();
    EXPECT_TRUE(s.legendVisible);
    EXPECT_TRUE(form.legendToolAction->isChecked());
    EXPECT_TRUE(s.zpCurve.showSymbols);
}

TEST_F(SheetEditingTest, FrameDistanceAndAnomalyThresholdQueries) {
    SheetState& s = *form.sheet;
    ui->queueInput("abc");
    form.editing().onSetMargin();
    EXPECT_EQ(s.marginCm, 1.5f);
    EXPECT_TRUE(ui->messages.empty()) << "text that is no number is ignored";
    ui->queueInput("2.5");
    form.editing().onSetMargin();
    EXPECT_EQ(s.marginCm, 2.5f);

    ui->queueInput("abc");
    form.editing().onSetAnomalyThreshold();
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "输入的异常阈值非法！");
    EXPECT_EQ(ui->messages[0].caption, "错误...");
    ui->queueInput("3");
    form.editing().onSetAnomalyThreshold();
    EXPECT_EQ(s.anomalyThreshold, 0.0f) << "3 x variance 0";
}
