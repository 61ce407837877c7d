#pragma once

#include "platform/Ui.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <utility>
#include <vector>

class QEvent;
class QWidget;

// The window build of Ui: real message boxes and input queries, the application's override
// cursor, and a pending-message pump that lets painting and timers run but holds back user input.
class QtUi : public QObject, public Ui {
    Q_OBJECT

public:
    // `owner` is the window that owns the boxes shown with `owned` = true (the main window).
    explicit QtUi(QWidget* owner = nullptr);
    ~QtUi() override;

    MsgResult messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                         MsgIcon icon, bool owned = true) override;
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    void processPendingMessages() override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> owner;
    int pumpDepth = 0;
    // Input that reached an object while the pump ran; delivered again once it returns.
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> heldInput;
};
