#include "sheet/AnomalyThreshold.h"

#include <gtest/gtest.h>

#include "ScriptedUi.h"
#include "sheet/SheetState.h"

namespace {

class AnomalyThresholdTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    SheetState s{ui};
};

} // namespace

TEST_F(AnomalyThresholdTest, PromptShowsTheStatisticsWithAtMostTwoDecimals) {
    EXPECT_EQ(anomalyPrompt(s, '.'),
              "当前整个工区观测数据的统计结果：\n\t均值为:0\n\t方差为:0\n输入异常阈值(方差的倍数)：");
    s.surveyMean = 12.345f;
    s.surveyVariance = 2.5f;
    EXPECT_EQ(anomalyPrompt(s, '.'),
              "当前整个工区观测数据的统计结果：\n\t均值为:12.35\n\t方差为:2.5\n输入异常阈值(方差的倍数)：");
}

TEST_F(AnomalyThresholdTest, ProposalIsTheCurrentFactorOrZeroWithoutVariance) {
    EXPECT_EQ(anomalyDefaultText(s, '.'), "0");
    s.anomalyThreshold = 5.0f;
    EXPECT_EQ(anomalyDefaultText(s, '.'), "0");
    s.surveyVariance = 2.0f;
    EXPECT_EQ(anomalyDefaultText(s, '.'), "2.5");
}

TEST_F(AnomalyThresholdTest, AcceptedFactorIsStoredAsAMultipleOfTheVariance) {
    s.surveyVariance = 4.0f;
    ui.queueInput("3");
    EXPECT_TRUE(askAnomalyThreshold(s, ui));
    EXPECT_EQ(s.anomalyThreshold, 12.0f);
    ASSERT_EQ(ui.inputPrompts.size(), 1u);
    EXPECT_EQ(ui.inputPrompts[0], anomalyPrompt(s, '.'));

    // Negative factors pass; with the variance at 0 the threshold is 0.
    ui.queueInput("-2");
    EXPECT_TRUE(askAnomalyThreshold(s, ui));
    EXPECT_EQ(s.anomalyThreshold, -8.0f);
    s.surveyVariance = 0.0f;
    ui.queueInput("7");
    EXPECT_TRUE(askAnomalyThreshold(s, ui));
    EXPECT_EQ(s.anomalyThreshold, 0.0f);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AnomalyThresholdTest, CancelOrTextThatIsNoNumberChangesNothing) {
    s.surveyVariance = 4.0f;
    s.anomalyThreshold = 6.0f;
    ui.queueInput("5", false);
    EXPECT_FALSE(askAnomalyThreshold(s, ui));
    EXPECT_EQ(s.anomalyThreshold, 6.0f);
    EXPECT_TRUE(ui.messages.empty());

    ui.queueInput("abc");
    EXPECT_FALSE(askAnomalyThreshold(s, ui));
    EXPECT_EQ(s.anomalyThreshold, 6.0f);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "输入的异常阈值非法！");
    EXPECT_EQ(ui.messages[0].caption, "错误...");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::Warning);
}
