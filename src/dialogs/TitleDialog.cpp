#include "dialogs/TitleDialog.h"

#include "dialogs/DialogButtonRow.h"

#include <cmath>

#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "dialogs/DialogFont.h"
#include "dialogs/RangeSpinBox.h"
#include "plot/TextItem.h"
#include "render/QtCanvas.h"

TitleDialog::TitleDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("设置图名"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* heading = new QLabel(QStringLiteral("图名设置"), this);
    heading->setObjectName(QStringLiteral("StaticText2"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);

    textEdit = new QPlainTextEdit(this);
    textEdit->setObjectName(QStringLiteral("Text"));
    fontButton = new QPushButton(QStringLiteral("设置字体"), this);
    fontButton->setObjectName(QStringLiteral("BitBtn3"));

    gapSpin = new RangeSpinBox(this);
    gapSpin->setObjectName(QStringLiteral("pHeadToTop"));
    gapSpin->setRange(-200, 200);
    gapSpin->setSingleStep(4);
    if (auto* edit = gapSpin->findChild<QLineEdit*>())
        edit->setObjectName(QStringLiteral("pHeadToTopww"));
    auto* gap = new QHBoxLayout;
    gap->addWidget(new QLabel(QStringLiteral("图名到边的距离:"), this));
    gap->addWidget(gapSpin);
    gap->addWidget(new QLabel(QStringLiteral("mm"), this));
    gap->addStretch();

    // Hidden size controls of the form; never shown and never read.
    auto* sizeGroup = new QGroupBox(QStringLiteral("字体大小:"), this);
    auto* sizeLayout = new QHBoxLayout(sizeGroup);
    auto* lfHeight = new QSpinBox(sizeGroup);
    lfHeight->setObjectName(QStringLiteral("lfHeight"));
    lfHeight->setRange(11, 32767);
    lfHeight->setSingleStep(3);
    auto* lfWidth = new QSpinBox(sizeGroup);
    lfWidth->setObjectName(QStringLiteral("lfWidth"));
    lfWidth->setRange(8, 32767);
    lfWidth->setSingleStep(2);
    sizeLayout->addWidget(lfHeight);
    sizeLayout->addWidget(lfWidth);
    sizeGroup->hide();

    const DialogButtonRow buttons = makeDialogButtonRow(this, QStringLiteral("Label1"),
                                                        QStringLiteral("BitBtn2"), QStringLiteral("BitBtn1"));
    okButton = buttons.ok;
    cancelButton = buttons.cancel;

    auto* main = new QVBoxLayout(this);
    main->addWidget(heading);
    main->addWidget(new QLabel(QStringLiteral("输入图名:"), this));
    main->addWidget(textEdit);
    auto* fontRow = new QHBoxLayout;
    fontRow->addStretch();
    fontRow->addWidget(fontButton);
    main->addLayout(fontRow);
    main->addLayout(gap);
    main->addWidget(sizeGroup);
    main->addLayout(buttons.layout);

    // Not resizable; the form's client size, grown only as far as the fonts need.
    setFixedSize(minimumSizeHint().expandedTo(QSize(344, 322)));

    connect(fontButton, &QPushButton::clicked, this, &TitleDialog::onChooseFont);
}

QFont TitleDialog::fontDialogPreset() const {
    QFont preset = dialogFont_;
    preset.setFamily(QtCanvas::installedFace(dialogFont_.family()));
    // The dialog lists the face's own styles and falls back to the first of them for a weight the
    // face lacks (the sheet's thin 100): it opens on the style the sheet is drawn with instead.
    preset.setStyleName(QFontInfo(preset).styleName());
    return preset;
}

void TitleDialog::takeFontDialogChoice(const QFont& chosen) {
    QFont taken = chosen;
    if (chosen.family() == fontDialogPreset().family())
        taken.setFamily(dialogFont_.family());
    dialogFont_ = taken;
}

void TitleDialog::onChooseFont() {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, fontDialogPreset(), this);
    if (ok)
        takeFontDialogChoice(chosen);
}

void TitleDialog::fillFrom(const TextItem& title, float titleGapCm) {
    openedHeight_ = title.font.height;
    openedFont_ = dialogfont::fromLogFont(title.font);
    dialogFont_ = openedFont_;
    textEdit->setPlainText(QString::fromStdString(title.text));
    gapSpin->setValue(static_cast<int>(std::trunc(titleGapCm * 10.0f)));
}

void TitleDialog::readBackInto(TextItem& title, float& titleGapCm) const {
    LogFont& font = title.font;
    font.height = dialogfont::heightOf(dialogFont_, openedFont_, openedHeight_);
    // The styles follow the dialog both ways; bold is not taken over: the weight stays.
    font.underline = dialogFont_.underline() ? 1 : 0;
    font.strikeOut = dialogFont_.strikeOut() ? 1 : 0;
    font.italic = dialogFont_.italic() ? 1 : 0;
    font.setFaceName(dialogFont_.family().toStdString());
    title.text = textEdit->toPlainText().toStdString();
    titleGapCm = static_cast<float>(gapSpin->value() * 0.1);
}

bool TitleDialog::editTitle(QWidget* owner, TextItem& title, float& titleGapCm) {
    TitleDialog dialog(owner);
    dialog.fillFrom(title, titleGapCm);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    dialog.readBackInto(title, titleGapCm);
    return true;
}
