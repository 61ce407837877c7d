#include "app/AboutDialog.h"

#include <utility>

#include <QDate>
#include <QDesktopServices>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/MainWindow.h"

#ifndef VESPLOT_VERSION
#define VESPLOT_VERSION "0.0.0"
#endif

namespace {

QPixmap programPicture() {
    QImage picture(64, 64, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/vesplot.svg"));
    QPainter painter(&picture);
    renderer.render(&painter);
    return QPixmap::fromImage(picture);
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(439, 422);

    auto* infoPanel = new QFrame(this);
    infoPanel->setFrameShape(QFrame::StyledPanel);
    infoPanel->setFrameShadow(QFrame::Sunken);
    iconLabel = new QLabel(infoPanel);
    iconLabel->setPixmap(programPicture());
    iconLabel->setFixedSize(64, 64);
    productLabel = new QLabel(QStringLiteral("Brindlefox电法数据处理软件系统"), infoPanel);
    QFont productFont = productLabel->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.25);
    productLabel->setFont(productFont);
    versionLabel = new QLabel(QStringLiteral("版本 %1").arg(QLatin1String(VESPLOT_VERSION)), infoPanel);
    buildDateLabel = new QLabel(QStringLiteral("编译日期 %1").arg(buildDate()), infoPanel);
    auto* subtitle = new QLabel(QStringLiteral("电测深曲线绘制系统"), infoPanel);

    auto* names = new QVBoxLayout;
    names->addWidget(productLabel);
    names->addWidget(subtitle);
    names->addWidget(versionLabel);
    names->addWidget(buildDateLabel);
    names->addStretch();
    auto* infoLayout = new QHBoxLayout(infoPanel);
    infoLayout->addWidget(iconLabel, 0, Qt::AlignTop);
    infoLayout->addSpacing(12);
    infoLayout->addLayout(names, 1);

    auto* contactPanel = new QGroupBox(QStringLiteral("联系方式"), this);
    auto* contact =
        new QLabel(QStringLiteral("Brindlefox 地球物理软件工作室\n"
                                  "地址：示例市科技园路 18 号\n"
                                  "电子邮件：support@vesplot.example.org\n\n"
                                  "本软件受著作权法保护。未经许可，不得复制或传播本软件的全部或部分内容。"),
                   contactPanel);
    contact->setWordWrap(true);
    contact->setTextInteractionFlags(Qt::TextSelectableByMouse);
    webLinkLabel = new QLabel(contactPanel);
    webLinkLabel->setText(
        QStringLiteral("<a href=\"%1\" style=\"color:#ff0000;\">%1</a>").arg(QLatin1String(webAddress)));
    webLinkLabel->setTextFormat(Qt::RichText);
    webLinkLabel->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    webLinkLabel->setOpenExternalLinks(false);
    webLinkLabel->setCursor(Qt::PointingHandCursor);
    connect(webLinkLabel, &QLabel::linkActivated, this,
            [](const QString& address) { QDesktopServices::openUrl(QUrl(address)); });
    auto* contactLayout = new QVBoxLayout(contactPanel);
    contactLayout->addWidget(contact);
    contactLayout->addWidget(webLinkLabel);

    okButton = new QPushButton(QStringLiteral("确定"), this);
    // The component names of the labels and the button, for findChild and the help pages.
    const std::pair<QWidget*, const char*> componentNames[] = {
        {iconLabel, "ProgramIcon"},    {productLabel, "ProductName"}, {versionLabel, "Version"},
        {buildDateLabel, "BuildDate"}, {webLinkLabel, "WebLink"},     {okButton, "OKButton"},
    };
    for (const auto& [widget, name] : componentNames)
        widget->setObjectName(QLatin1String(name));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(infoPanel);
    layout->addWidget(contactPanel, 1);
    layout->addWidget(okButton, 0, Qt::AlignHCenter);
}

QString AboutDialog::buildDate() {
    // __DATE__ is "Mmm dd yyyy" with a space before a one-digit day.
    const QString compiled = QString::fromLatin1(__DATE__).simplified();
    const QDate date = QLocale::c().toDate(compiled, QStringLiteral("MMM d yyyy"));
    return date.isValid() ? date.toString(Qt::ISODate) : compiled;
}

void AboutDialog::showEvent(QShowEvent* event) {
    // Centred on the screen.
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}
