// Closing the main window: the question about an unsaved sheet and its three answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

#include "ScriptedUi.h"
#include "app/MainWindow.h"
#include "app/SheetImageWidget.h"

namespace {

// The main window with the save-as-bitmap command replaced by a scripted outcome.
class ScriptedSaveForm : public MainWindow {
public:
    bool saveSucceeds = true;
    int saveCalls = 0;
    bool onSaveBitmap() override {
        ++saveCalls;
        if (saveSucceeds)
            saved = true;
        return saveSucceeds;
    }
};

class CloseQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto scripted = std::make_unique<ScriptedUi>();
        ui = scripted.get();
        form.setUi(std::move(scripted));
        form.show();
    }

    void expectOneQuestion() {
        ASSERT_EQ(ui->messages.size(), 1u);
        const ScriptedMessage& question = ui->messages.front();
        EXPECT_EQ(question.text, "是否保存已经绘制的剖面图?");
        EXPECT_EQ(question.caption, "提示...");
        EXPECT_EQ(question.buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(question.icon, MsgIcon::Question);
    }

    ScriptedSaveForm form;
    ScriptedUi* ui = nullptr;
};

} // namespace

TEST_F(CloseQueryTest, NothingUnsavedClosesWithoutAsking) {
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(form.saveCalls, 0);
}

TEST_F(CloseQueryTest, NoClosesWithoutSaving) {
    form.saved = false;
    ui->queueAnswer(MsgResult::No);
    EXPECT_TRUE(form.close());
    expectOneQuestion();
    EXPECT_EQ(form.saveCalls, 0);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(CloseQueryTest, CancelKeepsTheWindowOpen) {
    form.saved = false;
    ui->queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(form.close());
    expectOneQuestion();
    EXPECT_EQ(form.saveCalls, 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.saved);
}

TEST_F(CloseQueryTest, YesSavesThenCloses) {
    form.saved = false;
    ui->queueAnswer(MsgResult::Yes);
    EXPECT_TRUE(form.close());
    expectOneQuestion();
    EXPECT_EQ(form.saveCalls, 1);
    EXPECT_TRUE(form.saved);
}

// A save that does not happen after Yes must not lose the sheet silently.
TEST_F(CloseQueryTest, YesWithCancelledSaveKeepsTheWindowOpen) {
    form.saved = false;
    form.saveSucceeds = false;
    ui->queueAnswer(MsgResult::Yes);
    EXPECT_FALSE(form.close());
    expectOneQuestion();
    EXPECT_EQ(form.saveCalls, 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.saved);

    // Asked again on the next attempt.
    ui->queueAnswer(MsgResult::No);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(ui->messages.size(), 2u);
}

TEST_F(CloseQueryTest, ExitCommandRunsTheSameQuery) {
    form.saved = false;
    ui->queueAnswer(MsgResult::Cancel);
    form.exitAction->trigger();
    EXPECT_TRUE(form.isVisible());
    expectOneQuestion();
}

TEST(SaveCommand, AnAlreadySavedSheetIsOnlyReported) {
    MainWindow form;
    auto scripted = std::make_unique<ScriptedUi>();
    ScriptedUi* ui = scripted.get();
    form.setUi(std::move(scripted));
    EXPECT_FALSE(form.onSaveBitmap());
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "绘制的剖面图已经保存为位图文件。");
    EXPECT_EQ(ui->messages[0].caption, "警告");
    EXPECT_EQ(ui->messages[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::None);
    EXPECT_TRUE(form.saved);
}

namespace {

// Answers the next save dialog with `name`, or cancels it when `name` is empty.
void answerSaveDialog(const QString& name) {
    QTimer::singleShot(0, [name] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("保存平面剖面图为"));
        if (name.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name field, as a user would (selectFile skips a focused field).
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        nameField->setText(name);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, reached through the public slot
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the save dialog did not take " << name.toStdString();
            dialog->reject();
        }
    });
}

} // namespace

TEST(SaveCommand, WritesTheSheetBitmapUnderTheChosenNameWithBmpExtension) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    MainWindow form;
    form.setUi(std::make_unique<ScriptedUi>());
    QImage sheet(40, 30, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    form.sheetImage->setPicture(sheet);
    form.saved = false;

    answerSaveDialog({});
    EXPECT_FALSE(form.onSaveBitmap());
    EXPECT_FALSE(form.saved);

    answerSaveDialog(folder.filePath(QStringLiteral("result.txt")));
    EXPECT_TRUE(form.onSaveBitmap());
    EXPECT_TRUE(form.saved);
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("result.txt"))));
    QImageReader written(folder.filePath(QStringLiteral("result.bmp")));
    EXPECT_EQ(written.format(), "bmp");
    EXPECT_EQ(written.size(), QSize(40, 30));
}
