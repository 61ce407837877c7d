#include "ScriptedUi.h"

#include "TestGbk.h"

MsgResult ScriptedUi::messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                 MsgIcon icon, bool owned) {
    messages.push_back({text, caption, buttons, icon, owned});
    if (!answers.empty()) {
        MsgResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgResult::Yes;
    default:
        return MsgResult::Ok;
    }
}

bool ScriptedUi::inputQuery(const std::string& /*caption*/, const std::string& prompt, std::string& value) {
    inputPrompts.push_back(prompt);
    if (inputs.empty())
        return false;
    InputAnswer answer = inputs.front();
    inputs.pop_front();
    if (answer.accept)
        value = answer.text;
    return answer.accept;
}

bool ScriptedUi::progress(std::uint64_t /*done*/, std::uint64_t /*total*/) {
    ++progressCalls;
    return cancelAfterProgressCalls < 0 || progressCalls < cancelAfterProgressCalls;
}

std::string ScriptedUi::GbkTextLocale::gbkToUtf8(std::string_view gbk) const {
    return ::gbkToUtf8(gbk);
}
