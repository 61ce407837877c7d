#pragma once

#include "core/Ui.h"

#include <deque>
#include <string>
#include <vector>

struct ScriptedMessage {
    std::string text;
    std::string caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    bool owned = true;
};

// A Ui that records every message and answers from a script: queued answers first, then the
// default answer of the buttons (OK, or Yes for the Yes/No boxes). GBK is decoded as the window does.
class ScriptedUi : public Ui {
public:
    MsgResult messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon, bool owned = true) override;
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void processPendingMessages() override { ++pendingMessageCalls; }
    bool progress(std::uint64_t done, std::uint64_t total) override;
    const TextLocale& textLocale() const override { return textLocale_; }
    void beginWaitCursor() override { ++waitDepth; }
    void endWaitCursor() override { --waitDepth; }

    void queueAnswer(MsgResult answer) { answers.push_back(answer); }
    // An input query answer: the text typed, or nullopt-like cancel when `accept` is false.
    void queueInput(const std::string& text, bool accept = true) { inputs.push_back({text, accept}); }

    std::vector<ScriptedMessage> messages;
    std::vector<std::string> inputPrompts;
    int pendingMessageCalls = 0;
    int progressCalls = 0;
    // When set, progress() answers "cancel" once this many calls have been made.
    int cancelAfterProgressCalls = -1;
    int waitDepth = 0;

private:
    struct InputAnswer {
        std::string text;
        bool accept = true;
    };
    std::deque<MsgResult> answers;
    std::deque<InputAnswer> inputs;
    // GBK decoded as the program decodes it, numbers read with '.'.
    class GbkTextLocale : public TextLocale {
    public:
        std::string gbkToUtf8(std::string_view gbk) const override;
    };
    GbkTextLocale textLocale_;
};
