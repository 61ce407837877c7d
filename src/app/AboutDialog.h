#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: the program's picture, product line, version and build date, the contact panel
// and a link to the maker's web site.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    QLabel* iconLabel = nullptr;
    QLabel* productLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* buildDateLabel = nullptr;
    QLabel* webLinkLabel = nullptr;
    QPushButton* okButton = nullptr;

    // The build date of the program, yyyy-MM-dd.
    static QString buildDate();

protected:
    void showEvent(QShowEvent* event) override;
};
