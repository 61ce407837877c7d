#include "sheet/AnomalyThreshold.h"

#include <cmath>

#include "core/Conversions.h"
#include "core/Ui.h"
#include "sheet/SheetState.h"

std::string anomalyPrompt(const SheetState& state, char point) {
    return std::string("当前整个工区观测数据的统计结果：") +
           "\n\t均值为:" + formatLocalePattern(state.surveyMean, "0.##", point) +
           "\n\t方差为:" + formatLocalePattern(state.surveyVariance, "0.##", point) +
           "\n输入异常阈值(方差的倍数)：";
}

std::string anomalyDefaultText(const SheetState& state, char point) {
    const double factor = static_cast<double>(state.anomalyThreshold) / state.surveyVariance;
    if (state.surveyVariance == 0.0f || !std::isfinite(factor))
        return "0";
    return formatLocalePattern(factor, "#.##", point);
}

bool askAnomalyThreshold(SheetState& state, Ui& ui) {
    const char point = ui.textLocale().decimalSeparator();
    std::string text = anomalyDefaultText(state, point);
    if (!ui.inputQuery(anomalyCaption, anomalyPrompt(state, point), text))
        return false;
    double factor = 0.0;
    if (!tryParseFloat(text, factor, point)) {
        ui.messageBox(badThresholdMessage, "错误...", MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    state.anomalyThreshold = static_cast<float>(factor * state.surveyVariance);
    return true;
}
