#include "MessageRecorder.h"

MsgResult MessageRecorder::messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                      MsgIcon icon, bool owned) {
    messages.push_back({text, caption, buttons, icon, owned});
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgResult::Yes
                                                                              : MsgResult::Ok;
}

bool MessageRecorder::inputQuery(const std::string& /*caption*/, const std::string& /*prompt*/,
                                 std::string& /*value*/) {
    return false;
}
