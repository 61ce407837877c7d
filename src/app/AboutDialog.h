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

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* BuildDate = nullptr;
    QLabel* WebLink = nullptr;
    QPushButton* OKButton = nullptr;

    // The build date of the program, yyyy-MM-dd.
    static QString buildDate();

protected:
    void showEvent(QShowEvent* event) override;
};
