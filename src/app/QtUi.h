#pragma once

#include "core/Ui.h"
#include "render/SystemTextLocale.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class QEvent;
class QProgressDialog;
class QWidget;

// The window build of Ui: real message boxes and input queries, the application's override
// cursor, a pending-message pump that lets painting and timers run but holds back user input, and a
// progress dialog for long operations whose Cancel button is the only input it lets through.
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
    // Shows the progress dialog once the operation has run for `progressDelayMs`, updates it at most
    // every `progressIntervalMs`, and answers false from the press of its Cancel button on.
    bool progress(std::uint64_t done, std::uint64_t total) override;
    void nameProgress(const std::string& label) override;
    void endProgress() override;
    const TextLocale& textLocale() const override { return textLocale_; }
    void beginWaitCursor() override;
    void endWaitCursor() override;

    static constexpr int progressDelayMs = 500;
    static constexpr int progressIntervalMs = 50;
    // The progress dialog while it exists (tests).
    QProgressDialog* progressDialog() const;

    // While it lives, the message boxes and input queries of `ui`, when it is a QtUi, belong to
    // `window` (a window of its own, such as the section window), so that they appear over it and
    // it stays in front when they close.
    class OwnerScope {
    public:
        OwnerScope(Ui& ui, QWidget* window);
        ~OwnerScope();
        OwnerScope(const OwnerScope&) = delete;
        OwnerScope& operator=(const OwnerScope&) = delete;

    private:
        QtUi* qtUi;
        QPointer<QWidget> previous;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SystemTextLocale textLocale_{true};
    QPointer<QWidget> owner;
    int pumpDepth = 0;
    // The operation whose progress is reported: started by its first report, ended by endProgress.
    bool operationRunning = false;
    bool cancelRequested = false;
    QElapsedTimer operationClock;
    QElapsedTimer updateClock;
    std::unique_ptr<QProgressDialog> dialog;
    // The dialog's text for the running operation; a file read when nobody named it.
    QString operationLabel;
    // While the progress dialog takes its events: input for any other window is dropped.
    bool progressFiltering = false;
    bool discardingInput = false; // after a cancel: every user input is dropped
    bool belongsToDialog(QObject* receiver) const;
    // Runs the pending events with only the progress dialog taking input.
    void serviceDialog();
    bool filterInstalled = false;
    // Installs the application-wide input filter while the pump or the progress dialog needs it.
    void updateInputFilter();
    void discardPendingInput();
    // Input that reached an object while the pump ran; delivered again once it returns.
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> heldInput;
};
