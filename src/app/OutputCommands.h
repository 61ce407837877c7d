#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QRect>
#include <QString>

#include "sheet/PlotChoices.h"
#include "sheet/SheetState.h"

class QFileDialog;
class QPrinter;
class QWidget;
class SheetImageWidget;
class Ui;

// The sheet leaving the window: print and the printer set-up, the export as PDF, SVG or PNG and the
// copy to the clipboard. A child of the main window; its file dialog is a child of the window too.
class OutputCommands : public QObject {
    Q_OBJECT

public:
    // `image` is the sheet image the screen shows; `dataFile` the data file of the last open;
    // `choices` what the plot control window shows; `footerText` the line under a printed sheet.
    OutputCommands(QWidget& window, SheetState& sheet, Ui& ui, const SheetImageWidget& image,
                   const QString& dataFile, std::function<PlotChoices()> choices,
                   std::function<QString()> footerText);
    ~OutputCommands() override;
    OutputCommands(const OutputCommands&) = delete;
    OutputCommands& operator=(const OutputCommands&) = delete;

    // The printer that print uses; the printer set-up dialog changes it.
    QPrinter& printer();

    // Resolution offered for a PNG export and the accepted range, in dots per inch.
    static constexpr int defaultExportDpi = 300;
    static constexpr int minExportDpi = 50;
    static constexpr int maxExportDpi = 2400;
    // Warns when the figure is wider or taller than the page, counted in whole inches, and
    // refreshes xLength/yLength. `pageWidth` and `pageHeight` are in pixels at dpiX × dpiY.
    void checkPaperSize(int pageWidth, int pageHeight, int dpiX, int dpiY);
    // The part of the sheet image around the figure and the title that copy puts on the clipboard.
    QRect copyRectangle(int dpiX, int dpiY) const;
    // The file dialog of export, made when first used.
    QFileDialog* exportFileDialog();

public slots:
    // Exports the sheet as PDF, SVG or PNG; returns whether a file was written.
    bool onExport();
    void onPrinterSetup();
    void onPrint();
    void onCopy();

signals:
    // A line for the status bar.
    void statusText(const QString& text);

private:
    // Asks for the PNG resolution; false when cancelled or refused (with its warning).
    bool askExportDpi(int& dpi);

    QWidget& window;
    SheetState& sheet;
    Ui& ui;
    const SheetImageWidget& image;
    const QString& dataFile;
    std::function<PlotChoices()> choices;
    std::function<QString()> footerText;
    std::unique_ptr<QPrinter> selectedPrinter;
    QFileDialog* exportDialog = nullptr;
    // The folder of the last export; empty: the data file's folder.
    QString exportFolder;
};
