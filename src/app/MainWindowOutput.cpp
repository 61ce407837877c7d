// Output commands of the main window: print and copy to the clipboard.
#include "app/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

#include "app/InterpretationController.h"
#include "app/PrinterRenewal.h"
#include "app/SheetImageWidget.h"
#include "render/QtCanvas.h"
#include "sheet/SheetView.h"

void MainWindow::onPrint() {
    QPrinter& page = printer();
    // The job keeps the window's own title; the file and station are on the page's footer.
    page.setDocName(QStringLiteral("Brindlefox: ") + QString::fromUtf8("电测深曲线图"));
    // No printer, or a job that cannot start: the command ends with a word why.
    QPainter painter;
    if (!page.isValid() || !painter.begin(&page)) {
        selectedPrinter = renewedPrinter(page);
        ui().messageBox("注意:\n\t没有可用的打印机，无法打印！", "警告", MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    try {
        checkPaperSize(page.width(), page.height(), page.logicalDpiX(), page.logicalDpiY());
        QtCanvas canvas(painter, page.logicalDpiX(), page.logicalDpiY());
        // A printed sheet names what it shows, so that it can be traced.
        sheet->footerText = sheetFooterText().toStdString();
        paintSheet(*sheet, choices(), canvas, page.width(), page.height(), ui());
        sheet->footerText.clear();
    } catch (...) {
        // A page that could not be painted still ends its job; there is nothing more to tell.
        sheet->footerText.clear();
    }
    painter.end();
}

void MainWindow::checkPaperSize(int pageWidth, int pageHeight, int dpiX, int dpiY) {
    if (dpiX > 0 && dpiY > 0) {
        // Whole inches of the printable page.
        const double widthCm = (pageWidth / dpiX) * 2.54;
        const double heightCm = (pageHeight / dpiY) * 2.54;
        if (sheet->xLengthCm > widthCm)
            ui().messageBox("注意:\n\t图形宽度超过指定大小的纸张！", "警告", MsgButtons::Ok, MsgIcon::None);
        if (sheet->yLengthCm > heightCm)
            ui().messageBox("注意:\n\t图形高度超过指定大小的纸张！", "警告", MsgButtons::Ok, MsgIcon::None);
    }
    sheet->xLength = sheet->xLengthCm * 100.0f;
    sheet->yLength = sheet->yLengthCm * 100.0f;
}

QRect MainWindow::copyRectangle(int dpiX, int dpiY) const {
    const SheetState& s = *sheet;
    const int width = static_cast<int>((s.xLengthCm + 3.0) * dpiX / 2.54);
    const int height = static_cast<int>((s.yLengthCm + s.titleGapCm + 2.0) * dpiY / 2.54);
    const int left = static_cast<int>((s.sheetWidthCm - s.xLengthCm - 3.0) * 0.5 * dpiX / 2.54);
    const int top = static_cast<int>((s.sheetHeightCm - s.yLengthCm - 2.0) * 0.5 * dpiY / 2.54);
    return {left, top, width, height};
}

void MainWindow::onCopy() {
    // Cut from what the sheet image shows now; parts outside the picture stay blank.
    const QRect area = copyRectangle(screenDpiX(), screenDpiY());
    if (area.width() <= 0 || area.height() <= 0)
        return;
    QImage copy(area.size(), QImage::Format_RGB32);
    copy.fill(QtCanvas::toQColor(colors::systemWindow));
    {
        QPainter painter(&copy);
        painter.drawImage(QPoint(0, 0), sheetImage->picture(), area);
    }
    QApplication::clipboard()->setImage(copy);
}

QString MainWindow::sheetFooterText() const {
    const std::optional<std::size_t> shown = interpretationController->shownStation();
    if (!shown || *shown >= sheet->stations.size() || lastDataFile.isEmpty())
        return {};
    return QString::fromUtf8("文件：%1    测点：%2    日期：%3")
        .arg(QFileInfo(lastDataFile).fileName())
        .arg(sheet->stations[*shown].stationNumber.front())
        .arg(QDate::currentDate().toString(Qt::ISODate));
}
