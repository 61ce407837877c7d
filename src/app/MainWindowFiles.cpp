// Files in and out of the main window beyond the open dialog: opening by name (command line, drag
// and drop), the status note about what an open read, and the export of the sheet as PDF, SVG or PNG.
#include "app/MainWindow.h"

#include <filesystem>
#include <new>
#include <string>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "core/ConversionError.h"
#include "core/Conversions.h"
#include "render/SheetExport.h"
#include "sheet/SheetView.h"

DataFileKind MainWindow::dataFileKindFor(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("ves"), Qt::CaseInsensitive) == 0
               ? DataFileKind::Tagged
               : DataFileKind::Column;
}

QString MainWindow::droppedDataFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    const QFileInfo file(urls.constFirst().toLocalFile());
    const QString suffix = file.suffix();
    const bool known = suffix.compare(QStringLiteral("dat"), Qt::CaseInsensitive) == 0 ||
                       suffix.compare(QStringLiteral("ves"), Qt::CaseInsensitive) == 0;
    return known && file.isFile() ? file.absoluteFilePath() : QString();
}

bool MainWindow::takesDrops() const {
    // Not while a dialog or another open is running: the open would run in the middle of it.
    return !openingData && !QApplication::activeModalWidget();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!takesDrops() || droppedDataFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!takesDrops() || droppedDataFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = takesDrops() ? droppedDataFile(event->mimeData()) : QString();
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has ended, so that the dragging program is not kept waiting by the
    // open command's messages.
    QTimer::singleShot(0, this, [this, path] {
        if (takesDrops())
            openDataAfterAsking(path, dataFileKindFor(path));
    });
}

void MainWindow::openFromCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty())
        return;
    const QString path = QFileInfo(arguments.constFirst()).absoluteFilePath();
    openDataPath(path, dataFileKindFor(path));
}

QString MainWindow::qualityNote(const DataQuality& quality) {
    return QStringLiteral("测点 %1，数据点 %2，无效行 %3，缺失值 %4")
        .arg(quality.stations)
        .arg(quality.points)
        .arg(quality.skippedRows)
        .arg(quality.missingValues);
}

bool MainWindow::askExportDpi(int& dpi) {
    std::string text = std::to_string(defaultExportDpi);
    // A resolution out of range is said, and asked for again with what was typed, until one is
    // accepted or the query is cancelled.
    for (;;) {
        if (!ui().inputQuery("导出图形",
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
        ui().messageBox("注意:\n\t分辨率必须是" + std::to_string(minExportDpi) + "到" +
                            std::to_string(maxExportDpi) + "之间的整数！",
                        "警告", MsgButtons::Ok, MsgIcon::Warning);
    }
}

bool MainWindow::onExport() {
    exportFileDialog();
    // The data file's name with the extension of the type chosen last.
    const QFileInfo data(lastDataFile);
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
        const BitmapSize size = prepareSheetBitmap(*sheet, dpi, dpi);
        if (size.width <= 0 || size.height <= 0 || size.width > maxBitmapSide ||
            size.height > maxBitmapSide) {
            ui().messageBox("注意:\n\t图纸太大，无法以该分辨率导出！", "警告", MsgButtons::Ok,
                            MsgIcon::Warning);
            return false;
        }
    }

    // Writing maps the sheet onto the file; the screen mapping (click editing) is kept.
    const int viewportX = sheet->viewportX;
    const int viewportY = sheet->viewportY;
    std::string failure;
    // A PDF is the printed sheet as a file: it names what it shows as the printed page does. The
    // pictures (PNG, SVG) stay as the screen shows the sheet.
    if (QFileInfo(path).suffix().toLower() == QStringLiteral("pdf"))
        sheet->footerText = sheetFooterText().toStdString();
    try {
        failure = writeSheetFile(*sheet, choices(), path.toStdString(), dpi, ui(),
                                 std::filesystem::path(lastDataFile.toStdU16String()));
    } catch (const std::bad_alloc&) {
        failure = outOfMemoryMessage;
    }
    sheet->footerText.clear();
    sheet->viewportX = viewportX;
    sheet->viewportY = viewportY;
    if (!failure.empty()) {
        ui().messageBox("无法导出图形文件:\n" + path.toStdString() + "\n" + failure, "错误", MsgButtons::Ok,
                        MsgIcon::Error);
        return false;
    }
    setStatusText(QStringLiteral("图形已导出到 ") + QFileInfo(path).fileName());
    return true;
}
