// Files into the main window beyond the open dialog: opening by name (command line, drag and drop)
// and the status note about what an open read.
#include "app/MainWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

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
