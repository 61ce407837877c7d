#pragma once

#include <functional>

#include <QObject>
#include <QString>

#include "sheet/OpenData.h"

class QFileDialog;
class QImage;
class QMimeData;
class QWidget;
class Ui;

// The files of the main window: the open dialog and the folder it starts in, the save dialog of the
// sheet bitmap, and what a file's name says about how to read it. A child of the main window; its
// file dialogs are children of the window too.
class FileCommands : public QObject {
    Q_OBJECT

public:
    // `open` opens a chosen data file with the reader of its kind (after asking about unsaved models);
    // false when the user cancelled.
    FileCommands(QWidget& window, Ui& ui, std::function<bool(const QString&, DataFileKind)> open);

    // Where the open dialog starts: the data folder beside the program's folder.
    QString dataFolder;
    // The file dialogs of open and save, made when first used.
    QFileDialog* openFileDialog();
    QFileDialog* saveFileDialog();
    // A data file was read: the next open dialog starts in its folder.
    void followOpenedFile(const QString& path);
    // Asks for the bitmap's name (proposing the data file's stem) and writes `picture` there as BMP;
    // false when cancelled or not written (after a message).
    bool saveBitmap(const QImage& picture, const QString& dataFile);

    // The reader for a file opened by name (command line, drop): ".ves" (any case) is a tagged file,
    // everything else a column file.
    static DataFileKind dataFileKindFor(const QString& path);
    // The one local ".dat" or ".ves" file (any case) that `data` carries, or an empty text when it
    // carries anything else (several files, another extension, no file).
    static QString droppedDataFile(const QMimeData* data);
    // Status panel 1 after an open: stations, points, rows skipped as invalid and missing values.
    static QString qualityNote(const DataQuality& quality);

public slots:
    // The open dialog; the file chosen is read with the reader of the file type picked.
    void onOpenData();

private:
    QWidget& window;
    Ui& ui;
    std::function<bool(const QString&, DataFileKind)> open;
    QFileDialog* openDialog = nullptr;
    QFileDialog* saveDialog = nullptr;
    // Where the open dialog starts while it has not been made.
    QString openFolder;
};
