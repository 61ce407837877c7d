// The About box opened from the Help menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/AboutDialog.h"
#include "app/MainWindow.h"

TEST(AboutBox, OpensModallyWithItsCaptionContentsAndFixedSize) {
    MainWindow form;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        seen = true;
        EXPECT_EQ(about->parentWidget(), &form);
        EXPECT_EQ(about->windowTitle(), QStringLiteral("关于电法剖面图绘制..."));
        EXPECT_EQ(about->size(), QSize(439, 422));
        EXPECT_EQ(about->minimumSize(), about->maximumSize());
        EXPECT_EQ(about->iconLabel->pixmap().size(), QSize(64, 64));
        EXPECT_EQ(about->productLabel->text(), QStringLiteral("Brindlefox电法数据处理软件系统"));
        EXPECT_TRUE(about->versionLabel->text().contains(QStringLiteral("1.0.0")));
        EXPECT_TRUE(about->buildDateLabel->text().contains(AboutDialog::buildDate()));
        EXPECT_TRUE(about->webLinkLabel->text().contains(QStringLiteral("https://vesplot.example.org")));
        EXPECT_TRUE(about->webLinkLabel->text().contains(QStringLiteral("#ff0000")));
        EXPECT_EQ(about->webLinkLabel->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(about->okButton->text(), QStringLiteral("确定"));
        about->okButton->click();
    });
    form.aboutAction->trigger();
    EXPECT_TRUE(seen);
}

TEST(AboutBox, BuildDateIsAnIsoDate) {
    EXPECT_TRUE(QDate::fromString(AboutDialog::buildDate(), Qt::ISODate).isValid());
}
