#include "app/QtUi.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QWindow>

#include <algorithm>

#include "render/GbkCodec.h"
#include "render/UserLocale.h"

namespace {

QMessageBox::Icon toQtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

bool isDragAndDrop(QEvent::Type type) {
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

} // namespace

QtUi::QtUi(QWidget* owner) : owner(owner) {}

QtUi::OwnerScope::OwnerScope(Ui& ui, QWidget* window) : qtUi(dynamic_cast<QtUi*>(&ui)) {
    if (qtUi) {
        previous = qtUi->owner;
        qtUi->owner = window;
    }
}

QtUi::OwnerScope::~OwnerScope() {
    if (qtUi)
        qtUi->owner = previous;
}

QtUi::~QtUi() {
    if (filterInstalled)
        qApp->removeEventFilter(this);
}

void QtUi::updateInputFilter() {
    const bool wanted = pumpDepth > 0 || progressFiltering || discardingInput;
    if (wanted == filterInstalled)
        return;
    if (wanted)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
    filterInstalled = wanted;
}

MsgResult QtUi::messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                           MsgIcon icon, bool owned) {
    QMessageBox box(toQtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    toQtButtons(buttons), owned ? owner.data() : nullptr);
    if (!owned)
        box.setWindowModality(Qt::ApplicationModal);
    // The captions of a Chinese system, whatever translation is installed.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {{QMessageBox::Ok, "确定"},
                                                                            {QMessageBox::Cancel, "取消"},
                                                                            {QMessageBox::Yes, "是(&Y)"},
                                                                            {QMessageBox::No, "否(&N)"}};
    for (const auto& [which, label] : captions)
        if (QAbstractButton* button = box.button(which))
            button->setText(QString::fromUtf8(label));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Ok:
        return MsgResult::Ok;
    default:
        // The close box of a Yes/No box counts as No, of the others as Cancel.
        return buttons == MsgButtons::YesNo ? MsgResult::No
               : buttons == MsgButtons::Ok  ? MsgResult::Ok
                                            : MsgResult::Cancel;
    }
}

bool QtUi::inputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    QInputDialog dialog(owner.data());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(value));
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue().toStdString();
    return true;
}

void QtUi::processPendingMessages() {
    // While the progress dialog is up, a reader's pumps are the dialog's turns too: its 取消 and Escape
    // are taken (every other input is dropped), instead of waiting behind input held back until the
    // operation's end. At most once every progressIntervalMs.
    if (operationRunning && dialog && dialog->isVisible() && !progressFiltering) {
        if (updateClock.isValid() && updateClock.elapsed() < progressIntervalMs)
            return;
        updateClock.start();
        serviceDialog();
        return;
    }
    // Input from the window system stays queued (ExcludeUserInputEvents); input events posted
    // inside the program are held by the filter and delivered afterwards, in their order.
    ++pumpDepth;
    updateInputFilter();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (--pumpDepth > 0)
        return;
    updateInputFilter();
    auto held = std::move(heldInput);
    heldInput.clear();
    for (auto& [receiver, event] : held)
        if (receiver)
            QCoreApplication::postEvent(receiver, event.release());
}

bool QtUi::eventFilter(QObject* watched, QEvent* event) {
    if (discardingInput && (isUserInput(event->type()) || isDragAndDrop(event->type())))
        return true;
    if (pumpDepth > 0 && isUserInput(event->type())) {
        heldInput.emplace_back(watched, std::unique_ptr<QEvent>(event->clone()));
        return true;
    }
    // The progress dialog is the one window that takes input while an operation runs; input for
    // the others would run commands in the middle of it.
    if (progressFiltering && (isUserInput(event->type()) || isDragAndDrop(event->type())) &&
        !belongsToDialog(watched))
        return true;
    return QObject::eventFilter(watched, event);
}

void QtUi::beginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUi::endWaitCursor() {
    QApplication::restoreOverrideCursor();
}

QProgressDialog* QtUi::progressDialog() const {
    return dialog.get();
}

bool QtUi::belongsToDialog(QObject* receiver) const {
    if (!dialog)
        return false;
    if (auto* window = qobject_cast<QWindow*>(receiver))
        return window == dialog->windowHandle();
    // Widgets and the dialog's other parts, such as the shortcut that turns Escape into 取消.
    for (const QObject* part = receiver; part; part = part->parent())
        if (part == dialog.get())
            return true;
    return false;
}

bool QtUi::progress(std::uint64_t done, std::uint64_t total) {
    if (!operationRunning) {
        operationRunning = true;
        cancelRequested = false;
        operationClock.start();
        updateClock.invalidate();
    }
    if (cancelRequested)
        return false;
    if (operationClock.elapsed() < progressDelayMs) {
        // Before the dialog shows, the window still repaints and runs its timers (input is held back).
        if (!updateClock.isValid() || updateClock.elapsed() >= progressIntervalMs) {
            updateClock.start();
            processPendingMessages();
        }
        return true;
    }
    // Work that is done already needs no dialog flashing up for its last report.
    if ((!dialog || !dialog->isVisible()) && total > 0 && done >= total)
        return true;
    if (updateClock.isValid() && updateClock.elapsed() < progressIntervalMs)
        return true;
    updateClock.start();

    constexpr int steps = 1000;
    if (!dialog) {
        dialog = std::make_unique<QProgressDialog>(owner.data());
        dialog->setWindowTitle(QString::fromUtf8(applicationTitle));
        // Wide enough for its whole title beside the title bar's buttons.
        const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
        dialog->setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(dialog->windowTitle()) * 3 / 2 +
                                160);
        dialog->setCancelButtonText(QStringLiteral("取消"));
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->setAutoClose(false);
        dialog->setAutoReset(false);
        dialog->setMinimumDuration(0);
        dialog->setRange(0, steps);
        connect(dialog.get(), &QProgressDialog::canceled, this, [this] { cancelRequested = true; });
    }
    const int value = total == 0 ? 0
                                 : static_cast<int>(static_cast<double>(std::min(done, total)) /
                                                    static_cast<double>(total) * steps);
    // The dialog's own event processing (setValue) runs under the filter that drops every other input.
    progressFiltering = true;
    updateInputFilter();
    if (!dialog->isVisible()) {
        dialog->setLabelText(operationLabel.isEmpty() ? QStringLiteral("正在读取数据文件…") : operationLabel);
        dialog->show();
    }
    dialog->setValue(value);
    serviceDialog();
    return !cancelRequested;
}

void QtUi::serviceDialog() {
    // Painting, and the Cancel button: the dialog's own event processing and ours run under the
    // filter that drops every other input.
    progressFiltering = true;
    updateInputFilter();
    QCoreApplication::processEvents();
    progressFiltering = false;
    updateInputFilter();
}

void QtUi::nameProgress(const std::string& label) {
    operationLabel = QString::fromStdString(label);
    if (dialog && dialog->isVisible())
        dialog->setLabelText(operationLabel);
}

void QtUi::endProgress() {
    const bool cancelled = cancelRequested;
    operationLabel.clear();
    operationRunning = false;
    cancelRequested = false;
    if (dialog && dialog->isVisible()) {
        dialog->hide();
        // The window under the dialog is painted at once: the work after a read (the pass over the
        // points, the sheet) would leave the dialog's picture on the screen until it ends.
        if (owner)
            owner->window()->repaint();
    }
    if (cancelled)
        discardPendingInput();
}

void QtUi::discardPendingInput() {
    // Clicks and keys made while a cancelled operation ran were meant for the state before it: they
    // are dropped, not replayed. Held input goes, and what is still queued reaches the filter once more.
    heldInput.clear();
    discardingInput = true;
    updateInputFilter();
    QCoreApplication::processEvents();
    discardingInput = false;
    updateInputFilter();
}
