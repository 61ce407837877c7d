#include "sheet/AnomalyThreshold.h"

#include <cmath>

#include "platform/Conversions.h"
#include "platform/Ui.h"
#include "sheet/SheetState.h"

std::string anomalyPrompt(const SheetState& state) {
    return std::string("当前整个工区观测数据的统计结果：") +
           "\n\t均值为:" + formatLocalePattern(state.surveyMean, "0.##") +
           "\n\t方差为:" + formatLocalePattern(state.surveyVariance, "0.##") + "\n输入异常阈值(方差的倍数)：";
}

std::string anomalyDefaultText(const SheetState& state) {
    const double factor = static_cast<double>(state.anomalyThreshold) / state.surveyVariance;
    if (state.surveyVariance == 0.0f || !std::isfinite(factor))
        return "0";
    return formatLocalePattern(factor, "#.##");
}

bool askAnomalyThreshold(SheetState& state, Ui& ui) {
    std::string text = anomalyDefaultText(state);
    if (!ui.inputQuery(anomalyCaption, anomalyPrompt(state), text))
        return false;
    double factor = 0.0;
    if (!tryParseFloat(text, factor, localeDecimalSeparator())) {
        ui.messageBox(badThresholdMessage, "错误...", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    state.anomalyThreshold = static_cast<float>(factor * state.surveyVariance);
    return true;
}
