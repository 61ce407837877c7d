// The window realisation of the user interface: message boxes, input query, wait cursor and the
// pending-message pump that must not let user input run a command in the middle of another.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "app/QtUi.h"

namespace {

class InputCounter : public QWidget {
public:
    int mousePresses = 0;
    int keyPresses = 0;
    int otherEvents = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++mousePresses; }
    void keyPressEvent(QKeyEvent*) override { ++keyPresses; }
    void customEvent(QEvent*) override { ++otherEvents; }
};

void postClickAndKey(QWidget* target) {
    QCoreApplication::postEvent(target,
                                new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
}

// Runs `check` on the modal dialog that the next call opens.
void onNextModal(std::function<void(QWidget*)> check) {
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        check(modal);
    });
}

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text)
            return button;
    return nullptr;
}

} // namespace

TEST(QtUiPendingMessages, HoldsBackUserInputButRunsOtherEvents) {
    InputCounter target;
    target.show();
    QtUi ui(&target);
    postClickAndKey(&target);
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));

    ui.processPendingMessages();
    EXPECT_EQ(target.otherEvents, 1);
    EXPECT_EQ(target.mousePresses, 0);
    EXPECT_EQ(target.keyPresses, 0);

    // Held input is not lost: it arrives once the pump has returned.
    QCoreApplication::processEvents();
    EXPECT_EQ(target.mousePresses, 1);
    EXPECT_EQ(target.keyPresses, 1);
}

TEST(QtUiPendingMessages, NestedPumpsHoldInputUntilTheOuterReturns) {
    InputCounter target;
    QtUi ui(&target);
    QObject relay;
    int innerRuns = 0;
    QTimer::singleShot(0, &relay, [&] {
        postClickAndKey(&target);
        ui.processPendingMessages();
        ++innerRuns;
    });
    ui.processPendingMessages();
    ui.processPendingMessages();
    EXPECT_EQ(innerRuns, 1);
    EXPECT_EQ(target.mousePresses + target.keyPresses, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(target.mousePresses, 1);
    EXPECT_EQ(target.keyPresses, 1);
}

TEST(QtUiCursor, WaitCursorCallsNest) {
    QtUi ui;
    ui.beginWaitCursor();
    ui.beginWaitCursor();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.endWaitCursor();
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    ui.endWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtUiMessageBox, ShowsCaptionTextIconAndChineseButtonsOwnedByTheMainWindow) {
    QWidget owner;
    QtUi ui(&owner);
    onNextModal([&owner](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("提示..."));
        EXPECT_EQ(box->text(), QStringLiteral("是否保存已经绘制的剖面图?"));
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->parentWidget(), &owner);
        EXPECT_EQ(box->buttons().size(), 3);
        ASSERT_NE(buttonWithText(box, QStringLiteral("是(&Y)")), nullptr);
        ASSERT_NE(buttonWithText(box, QStringLiteral("取消")), nullptr);
        QAbstractButton* no = buttonWithText(box, QStringLiteral("否(&N)"));
        ASSERT_NE(no, nullptr);
        no->click();
    });
    EXPECT_EQ(
        ui.messageBox("是否保存已经绘制的剖面图?", "提示...", MsgButtons::YesNoCancel, MsgIcon::Question),
        MsgResult::No);
}

TEST(QtUiMessageBox, UnownedBoxHasNoParentAndClosingItCancels) {
    QWidget owner;
    QtUi ui(&owner);
    onNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget(), nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->reject();
    });
    EXPECT_EQ(ui.messageBox("text", "警告", MsgButtons::YesNoCancel, MsgIcon::Warning, false),
              MsgResult::Cancel);

    onNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons().front()->text(), QStringLiteral("确定"));
        box->buttons().front()->click();
    });
    EXPECT_EQ(ui.messageBox("text", "错误", MsgButtons::Ok, MsgIcon::Error), MsgResult::Ok);
}

TEST(QtUiInputQuery, ReturnsTheEditedTextOrLeavesTheValueOnCancel) {
    QtUi ui;
    onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("请输入图形边距..."));
        EXPECT_EQ(dialog->labelText(), QStringLiteral("当前边距(单位:cm)为"));
        EXPECT_EQ(dialog->textValue(), QStringLiteral("1.5"));
        dialog->setTextValue(QStringLiteral("2,5"));
        dialog->accept();
    });
    std::string value = "1.5";
    EXPECT_TRUE(ui.inputQuery("请输入图形边距...", "当前边距(单位:cm)为", value));
    EXPECT_EQ(value, "2,5");

    onNextModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setTextValue(QStringLiteral("9"));
        dialog->reject();
    });
    EXPECT_FALSE(ui.inputQuery("c", "p", value));
    EXPECT_EQ(value, "2,5");
}

namespace {

// Lets the operation clock pass `ms` without processing any event.
void runFor(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

void postClick(QWidget* target, QPointF at) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            target, new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                    Qt::NoModifier));
}

} // namespace

TEST(QtUiProgress, DialogAppearsOnlyForLongOperationsAndOnlyItsCancelTakesInput) {
    InputCounter owner;
    owner.show();
    QtUi ui(&owner);

    // A short operation shows nothing, nor does a long one whose first late report is its last.
    EXPECT_TRUE(ui.progress(0, 100));
    EXPECT_EQ(ui.progressDialog(), nullptr);
    ui.endProgress();
    EXPECT_TRUE(ui.progress(0, 100));
    runFor(QtUi::progressDelayMs + 50);
    EXPECT_TRUE(ui.progress(100, 100));
    EXPECT_EQ(ui.progressDialog(), nullptr);
    ui.endProgress();

    EXPECT_TRUE(ui.progress(0, 100));
    runFor(QtUi::progressDelayMs + 50);
    postClickAndKey(&owner);
    EXPECT_TRUE(ui.progress(40, 100));
    QProgressDialog* dialog = ui.progressDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8(applicationTitle));
    EXPECT_EQ(dialog->labelText(), QStringLiteral("正在读取数据文件…"));
    EXPECT_EQ(dialog->value() * 100 / dialog->maximum(), 40);
    // Input for the main window never runs while the dialog is up, and is not replayed later.
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.mousePresses + owner.keyPresses, 0);

    QPushButton* cancel = nullptr;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("取消"))
            cancel = button;
    ASSERT_NE(cancel, nullptr);
    postClick(cancel, QPointF(cancel->width() / 2.0, cancel->height() / 2.0));
    runFor(QtUi::progressIntervalMs + 20);
    EXPECT_FALSE(ui.progress(50, 100));
    // Cancel stays until the operation ends.
    EXPECT_FALSE(ui.progress(60, 100));
    ui.endProgress();
    EXPECT_FALSE(dialog->isVisible());

    // The next operation starts afresh, hidden for its first half second.
    EXPECT_TRUE(ui.progress(0, 10));
    EXPECT_FALSE(dialog->isVisible());
    ui.endProgress();
}

// A reader pumps the window's messages between its progress reports (after each invalid row): while the
// dialog is up, its 取消 and the Escape key are taken there too, not held back until the read ends.
TEST(QtUiProgress, CancelAndEscapeAreTakenWhileAReaderPumpsMessages) {
    QWidget owner;
    owner.show();
    QtUi ui(&owner);
    const auto showDialog = [&ui] {
        EXPECT_TRUE(ui.progress(0, 100));
        runFor(QtUi::progressDelayMs + 50);
        EXPECT_TRUE(ui.progress(40, 100));
        return ui.progressDialog();
    };

    QProgressDialog* dialog = showDialog();
    ASSERT_NE(dialog, nullptr);
    QPushButton* cancel = nullptr;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("取消"))
            cancel = button;
    ASSERT_NE(cancel, nullptr);
    postClick(cancel, QPointF(cancel->width() / 2.0, cancel->height() / 2.0));
    runFor(QtUi::progressIntervalMs + 10);
    ui.processPendingMessages();
    EXPECT_TRUE(dialog->wasCanceled()) << "取消 was not seen";
    EXPECT_FALSE(ui.progress(41, 100));
    ui.endProgress();

    dialog = showDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(dialog->isVisible());
    QTimer::singleShot(0, dialog, [dialog] { QTest::keyClick(dialog, Qt::Key_Escape); });
    runFor(QtUi::progressIntervalMs + 10);
    ui.progress(50, 100);
    runFor(QtUi::progressIntervalMs + 10);
    EXPECT_FALSE(ui.progress(60, 100)) << "Escape was not seen";
    ui.endProgress();
}

// A batch fit names itself in the dialog; the name ends with the fit, so a later read is a read again.
TEST(QtUiProgress, DialogShowsTheNamedOperationOnlyWhileItRuns) {
    InputCounter owner;
    owner.show();
    QtUi ui(&owner);
    const auto shownLabel = [&ui] {
        EXPECT_TRUE(ui.progress(0, 100));
        runFor(QtUi::progressDelayMs + 50);
        EXPECT_TRUE(ui.progress(10, 100));
        const QString label = ui.progressDialog() ? ui.progressDialog()->labelText() : QString();
        ui.endProgress();
        return label;
    };
    ui.nameProgress("正在反演各测点的模型…");
    EXPECT_EQ(shownLabel(), QStringLiteral("正在反演各测点的模型…"));
    EXPECT_EQ(shownLabel(), QStringLiteral("正在读取数据文件…"));
}

// Clicks and keys made while a read ran that the user then cancelled are dropped, not replayed
// afterwards onto the sheet the cancel kept.
TEST(QtUiProgress, InputMadeDuringACancelledOperationIsDiscarded) {
    InputCounter owner;
    owner.show();
    QtUi ui(&owner);
    EXPECT_TRUE(ui.progress(0, 100));
    runFor(QtUi::progressDelayMs + 50);
    EXPECT_TRUE(ui.progress(10, 100));
    ASSERT_NE(ui.progressDialog(), nullptr);
    postClickAndKey(&owner);
    ui.processPendingMessages();          // held back while the read runs
    emit ui.progressDialog()->canceled(); // as the 取消 button does
    EXPECT_FALSE(ui.progress(20, 100));
    postClickAndKey(&owner);
    ui.endProgress();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.mousePresses + owner.keyPresses, 0);

    // Input after the cancelled operation is taken again.
    postClickAndKey(&owner);
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.mousePresses, 1);
    EXPECT_EQ(owner.keyPresses, 1);
}

// The window is serviced from the first report of a long operation, before any dialog shows: painting
// and timers run, user input waits.
TEST(QtUiProgress, TheWindowIsServicedBeforeTheDialogShows) {
    InputCounter owner;
    QtUi ui(&owner);
    QCoreApplication::postEvent(&owner, new QEvent(QEvent::User));
    postClickAndKey(&owner);
    EXPECT_TRUE(ui.progress(0, 100));
    EXPECT_EQ(ui.progressDialog(), nullptr);
    EXPECT_EQ(owner.otherEvents, 1);
    EXPECT_EQ(owner.mousePresses + owner.keyPresses, 0);
    ui.endProgress();
}
