#include "app/QtUi.h"

#include <QApplication>
#include <QEvent>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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

} // namespace

QtUi::QtUi(QWidget* owner) : owner(owner) {}

QtUi::~QtUi() = default;

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
    // Input from the window system stays queued (ExcludeUserInputEvents); input events posted
    // inside the program are held by the filter and delivered afterwards, in their order.
    if (pumpDepth++ == 0)
        qApp->installEventFilter(this);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (--pumpDepth > 0)
        return;
    qApp->removeEventFilter(this);
    auto held = std::move(heldInput);
    heldInput.clear();
    for (auto& [receiver, event] : held)
        if (receiver)
            QCoreApplication::postEvent(receiver, event.release());
}

bool QtUi::eventFilter(QObject* watched, QEvent* event) {
    if (pumpDepth > 0 && isUserInput(event->type())) {
        heldInput.emplace_back(watched, std::unique_ptr<QEvent>(event->clone()));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void QtUi::beginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUi::endWaitCursor() {
    QApplication::restoreOverrideCursor();
}
