#pragma once

#include <string>

class SheetState;
class Ui;

// Caption of the threshold query and the message for a text that is no number.
inline constexpr const char* anomalyCaption = "电法数据剖面图程序";
inline constexpr const char* badThresholdMessage = "输入的异常阈值非法！";

// The query's prompt: the survey mean and variance with at most two decimals, then the question.
// `point` is the user's decimal separator.
std::string anomalyPrompt(const SheetState& state, char point);

// The proposal in the edit field: the threshold as a multiple of the variance ("#.##"). While the
// variance is 0 (the statistics are not computed) the multiple is undefined and "0" is proposed.
std::string anomalyDefaultText(const SheetState& state, char point);

// Asks for the threshold factor and stores factor × surveyVariance in anomalyThreshold. Returns
// true when a value was stored (the window then clears the sheet image and redraws the sheet);
// false on cancel or after the message for a text that is no number, with nothing changed.
bool askAnomalyThreshold(SheetState& state, Ui& ui);
