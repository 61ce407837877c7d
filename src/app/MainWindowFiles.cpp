// Files into the main window beyond the open dialog: opening by name (command line, drag and drop).
#include "app/MainWindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/FileCommands.h"

bool MainWindow::takesDrops() const {
    // Not while a dialog or another open is running: the open would run in the middle of it.
    return !openingData && !QApplication::activeModalWidget();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!takesDrops() || FileCommands::droppedDataFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!takesDrops() || FileCommands::droppedDataFile(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = takesDrops() ? FileCommands::droppedDataFile(event->mimeData()) : QString();
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop has ended, so that the dragging program is not kept waiting by the
    // open command's messages.
    QTimer::singleShot(0, this, [this, path] {
        if (takesDrops())
            openDataAfterAsking(path, FileCommands::dataFileKindFor(path));
    });
}

void MainWindow::openFromCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty())
        return;
    const QString path = QFileInfo(arguments.constFirst()).absoluteFilePath();
    openDataPath(path, FileCommands::dataFileKindFor(path));
}
