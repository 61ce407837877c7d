#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/TextLocale.h"

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgResult { Ok, Cancel, Yes, No };

// How core code talks to the user: modal message boxes, the input query, progress, the wait cursor
// and the processing of pending window messages. The window build shows real dialogs; the headless
// commands and the tests record the messages and answer from a script.
// All texts are UTF-8.
class Ui {
public:
    virtual ~Ui() = default;

    // A message box. `owned` tells whether the box is owned by the main window (a box without an
    // owner is application-modal with the application title in the task bar).
    virtual MsgResult messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                 MsgIcon icon, bool owned = true) = 0;

    // The plain message dialog: OK only, no icon, the application title as caption.
    MsgResult showMessage(const std::string& text);

    // Modal input query; returns false when cancelled. `value` holds the proposal and receives the edit.
    virtual bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;

    // Lets the system process pending painting and timer messages once. User input (mouse,
    // keyboard, commands) is never dispatched here, so no other command runs meanwhile.
    virtual void processPendingMessages() = 0;

    // Progress of a long operation (reading a file, a batch): `done` of `total` units. Returns false
    // when the user asked to cancel. Called often; an implementation shows progress only for work
    // that runs longer than about half a second.
    virtual bool progress(std::uint64_t done, std::uint64_t total);
    // Names the long operation whose progress follows, for the progress display (a file read
    // needs no call: it is what is shown when none was named). Holds until endProgress.
    virtual void nameProgress(const std::string& /*label*/) {}
    // The long operation ended (or was cancelled): hides any progress shown.
    virtual void endProgress() {}

    // How the text of data files is decoded for messages and typed numbers are read; the plain one
    // unless the user interface has its own.
    virtual const TextLocale& textLocale() const;

    // Wait cursor on and off; calls nest.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
};

// Keeps the wait cursor on for a scope, also when a step in it throws.
class WaitCursor {
public:
    explicit WaitCursor(Ui& ui) : ui_(ui) { ui_.beginWaitCursor(); }
    ~WaitCursor() { ui_.endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    Ui& ui_;
};

// The application title, the caption of plain messages.
inline constexpr const char* applicationTitle = "电测深曲线绘制系统";

// Shown when an operation (reading, opening, composing, writing a file) ran out of memory.
inline constexpr const char* outOfMemoryMessage = "内存不足，无法完成操作。";
