#pragma once

#include <cstdint>

#include <QDialog>
#include <QFont>

class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TextItem;

// The modal title dialog: the sheet title's text and font and its distance from the top of the
// figure. Fill it with fillFrom, show it, and on OK call readBackInto; both run without showing.
class TitleDialog : public QDialog {
    Q_OBJECT
public:
    explicit TitleDialog(QWidget* owner = nullptr);

    // Font dialog from the title's font record, text, and the gap in millimetres (truncated).
    void fillFrom(const TextItem& title, float titleGapCm);
    // Height, the style flags (on or off) and face from the font dialog; the text; the gap
    // back in centimetres.
    void readBackInto(TextItem& title, float& titleGapCm) const;

    // Title click from the main window: fill, modal show, read-back on OK. True after an OK.
    static bool editTitle(QWidget* owner, TextItem& title, float& titleGapCm);

    // The font the font dialog holds.
    QFont dialogFont() const { return dialogFont_; }
    void setDialogFont(const QFont& font) { dialogFont_ = font; }

    // Form components.
    QPlainTextEdit* textEdit = nullptr;
    QPushButton* fontButton = nullptr;   // "设置字体"
    QSpinBox* gapSpin = nullptr;         // its edit box is "pHeadToTopww"; millimetres
    QPushButton* okButton = nullptr;     // OK
    QPushButton* cancelButton = nullptr; // Cancel

    // The font the font dialog opens on: the record's face, or the installed face drawn in its place.
    QFont fontDialogPreset() const;
    // Takes the font dialog's font; the preset face confirmed unchanged keeps the record's face name.
    void takeFontDialogChoice(const QFont& chosen);

    void onChooseFont();

private:
    QFont dialogFont_;
    QFont openedFont_;
    std::int32_t openedHeight_ = 0;
};
