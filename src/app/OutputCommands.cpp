#include "app/OutputCommands.h"

#include <filesystem>
#include <new>
#include <string>
#include <utility>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "app/PrinterRenewal.h"
#include "app/SheetImageWidget.h"
#include "core/ConversionError.h"
#include "core/Conversions.h"
#include "core/Ui.h"
#include "render/QtCanvas.h"
#include "render/SheetBitmap.h"
#include "render/SheetExport.h"
#include "sheet/SheetView.h"

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

OutputCommands::OutputCommands(QWidget& window, SheetState& sheet, Ui& ui, const SheetImageWidget& image,
                               const QString& dataFile, std::function<PlotChoices()> choices,
                               std::function<QString()> footerText)
    : QObject(&window), window(window), sheet(sheet), ui(ui), image(image), dataFile(dataFile),
      choices(std::move(choices)), footerText(std::move(footerText)) {}

OutputCommands::~OutputCommands() = default;

void OutputCommands::onPrint() {
    QPrinter& page = printer();
    // The job keeps the window's own title; the file and station are on the page's footer.
    page.setDocName(QStringLiteral("Brindlefox: ") + QString::fromUtf8("电测深曲线图"));
    // No printer, or a job that cannot start: the command ends with a word why.
    QPainter painter;
    if (!page.isValid() || !painter.begin(&page)) {
        selectedPrinter = renewedPrinter(page);
        ui.messageBox("注意:\n\t没有可用的打印机，无法打印！", "警告", MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    try {
        checkPaperSize(page.width(), page.height(), page.logicalDpiX(), page.logicalDpiY());
        QtCanvas canvas(painter, page.logicalDpiX(), page.logicalDpiY());
        // A printed sheet names what it shows, so that it can be traced.
        sheet.footerText = footerText().toStdString();
        paintSheet(sheet, choices(), canvas, page.width(), page.height(), ui);
        sheet.footerText.clear();
    } catch (...) {
        // A page that could not be painted still ends its job; there is nothing more to tell.
        sheet.footerText.clear();
    }
    painter.end();
}

void OutputCommands::checkPaperSize(int pageWidth, int pageHeight, int dpiX, int dpiY) {
    if (dpiX > 0 && dpiY > 0) {
        // Whole inches of the printable page.
        const double widthCm = (pageWidth / dpiX) * 2.54;
        const double heightCm = (pageHeight / dpiY) * 2.54;
        if (sheet.xLengthCm > widthCm)
            ui.messageBox("注意:\n\t图形宽度超过指定大小的纸张！", "警告", MsgButtons::Ok, MsgIcon::None);
        if (sheet.yLengthCm > heightCm)
            ui.messageBox("注意:\n\t图形高度超过指定大小的纸张！", "警告", MsgButtons::Ok, MsgIcon::None);
    }
    sheet.xLength = sheet.xLengthCm * 100.0f;
    sheet.yLength = sheet.yLengthCm * 100.0f;
}

QRect OutputCommands::copyRectangle(int dpiX, int dpiY) const {
    const SheetState& s = sheet;
    const int width = static_cast<int>((s.xLengthCm + 3.0) * dpiX / 2.54);
    const int height = static_cast<int>((s.yLengthCm + s.titleGapCm + 2.0) * dpiY / 2.54);
    const int left = static_cast<int>((s.sheetWidthCm - s.xLengthCm - 3.0) * 0.5 * dpiX / 2.54);
    const int top = static_cast<int>((s.sheetHeightCm - s.yLengthCm - 2.0) * 0.5 * dpiY / 2.54);
    return {left, top, width, height};
}

void OutputCommands::onCopy() {
    // Cut from what the sheet image shows now; parts outside the picture stay blank.
    const QRect area = copyRectangle(image.logicalDpiX(), image.logicalDpiY());
    if (area.width() <= 0 || area.height() <= 0)
        return;
    QImage copy(area.size(), QImage::Format_RGB32);
    copy.fill(QtCanvas::toQColor(colors::systemWindow));
    {
        QPainter painter(&copy);
        painter.drawImage(QPoint(0, 0), image.picture(), area);
    }
    QApplication::clipboard()->setImage(copy);
}

QFileDialog* OutputCommands::exportFileDialog() {
    if (exportDialog)
        return exportDialog;

    exportDialog = new QFileDialog(&window, text("导出图形"));
    exportDialog->setObjectName(QStringLiteral("ExportDialog"));
    exportDialog->setAcceptMode(QFileDialog::AcceptSave);
    exportDialog->setFileMode(QFileDialog::AnyFile);
    exportDialog->setNameFilters(
        {QStringLiteral("PDF (*.pdf)"), QStringLiteral("SVG (*.svg)"), QStringLiteral("PNG (*.png)")});
    exportDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    // A name typed without extension takes the one of the chosen type.
    exportDialog->setDefaultSuffix(QStringLiteral("pdf"));
    connect(exportDialog, &QFileDialog::filterSelected, exportDialog,
            [dialog = exportDialog](const QString& filter) {
                dialog->setDefaultSuffix(filter.section(QLatin1Char('.'), 1).chopped(1));
            });
    return exportDialog;
}

QPrinter& OutputCommands::printer() {
    if (!selectedPrinter)
        selectedPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *selectedPrinter;
}

void OutputCommands::onPrinterSetup() {
    QPrintDialog dialog(&printer(), &window);
    dialog.exec();
}

bool OutputCommands::askExportDpi(int& dpi) {
    std::string text = std::to_string(defaultExportDpi);
    // A resolution out of range is said, and asked for again with what was typed, until one is
    // accepted or the query is cancelled.
    for (;;) {
        if (!ui.inputQuery("导出图形",
                           "PNG 分辨率(dpi)，" + std::to_string(minExportDpi) + " 到 " +
                               std::to_string(maxExportDpi) + ":",
                           text))
            return false;
        int value = 0;
        try {
            value = parseInt(text);
        } catch (const ConversionError&) {
            value = 0;
        }
        if (value >= minExportDpi && value <= maxExportDpi) {
            dpi = value;
            return true;
        }
        ui.messageBox("注意:\n\t分辨率必须是" + std::to_string(minExportDpi) + "到" +
                          std::to_string(maxExportDpi) + "之间的整数！",
                      "警告", MsgButtons::Ok, MsgIcon::Warning);
    }
}

bool OutputCommands::onExport() {
    exportFileDialog();
    // The data file's name with the extension of the type chosen last.
    const QFileInfo data(dataFile);
    if (data.isFile())
        exportDialog->selectFile((exportFolder.isEmpty() ? data.path() : exportFolder) + QLatin1Char('/') +
                                 data.completeBaseName() + QLatin1Char('.') + exportDialog->defaultSuffix());
    const int answer = exportDialog->exec();
    // A name completion list that opened as the dialog closed would keep grabbing the input.
    for (QCompleter* completer : exportDialog->findChildren<QCompleter*>())
        completer->popup()->hide();
    if (answer != QDialog::Accepted || exportDialog->selectedFiles().isEmpty())
        return false;
    QString path = exportDialog->selectedFiles().constFirst();
    // The next export starts in this folder.
    exportFolder = QFileInfo(path).absolutePath();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QStringLiteral("pdf") && suffix != QStringLiteral("svg") && suffix != QStringLiteral("png"))
        path += QLatin1Char('.') + exportDialog->defaultSuffix();

    int dpi = defaultExportDpi;
    if (QFileInfo(path).suffix().toLower() == QStringLiteral("png")) {
        if (!askExportDpi(dpi))
            return false;
        // The same bound as the screen bitmap: a larger one could exhaust the memory.
        const BitmapSize size = prepareSheetBitmap(sheet, dpi, dpi);
        if (size.width <= 0 || size.height <= 0 || size.width > maxSheetBitmapSide ||
            size.height > maxSheetBitmapSide) {
            ui.messageBox("注意:\n\t图纸太大，无法以该分辨率导出！", "警告", MsgButtons::Ok,
                          MsgIcon::Warning);
            return false;
        }
    }

    std::string failure;
    // A PDF is the printed sheet as a file: it names what it shows as the printed page does. The
    // pictures (PNG, SVG) stay as the screen shows the sheet.
    if (QFileInfo(path).suffix().toLower() == QStringLiteral("pdf"))
        sheet.footerText = footerText().toStdString();
    try {
        failure = writeSheetFile(sheet, choices(), path.toStdString(), dpi, ui,
                                 std::filesystem::path(dataFile.toStdU16String()));
    } catch (const std::bad_alloc&) {
        failure = outOfMemoryMessage;
    }
    sheet.footerText.clear();
    if (!failure.empty()) {
        ui.messageBox("无法导出图形文件:\n" + path.toStdString() + "\n" + failure, "错误", MsgButtons::Ok,
                      MsgIcon::Error);
        return false;
    }
    emit statusText(QStringLiteral("图形已导出到 ") + QFileInfo(path).fileName());
    return true;
}
