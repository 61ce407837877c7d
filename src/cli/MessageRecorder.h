#pragma once

#include "core/Ui.h"
#include "render/SystemTextLocale.h"

#include <string>
#include <vector>

struct RecordedMessage {
    std::string text;
    std::string caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    bool owned = true;
};

// The user of a headless command: every message box is recorded (the command reports them on
// stderr or in its JSON) and answered with the default button, OK or Yes; input queries are
// cancelled; nothing waits for a person.
class MessageRecorder : public Ui {
public:
    MsgResult messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon, bool owned = true) override;
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void processPendingMessages() override {}
    const TextLocale& textLocale() const override { return textLocale_; }
    void beginWaitCursor() override {}
    void endWaitCursor() override {}

    std::vector<RecordedMessage> messages;

private:
    SystemTextLocale textLocale_{false};
};
