#include "app/FileCommands.h"

#include <utility>

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QMimeData>
#include <QUrl>

#include "core/Paths.h"
#include "core/Ui.h"

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

FileCommands::FileCommands(QWidget& window, Ui& ui, std::function<bool(const QString&, DataFileKind)> open)
    : QObject(&window), window(window), ui(ui), open(std::move(open)) {
    dataFolder = QString::fromStdString(dataFolderFor(QCoreApplication::applicationDirPath().toStdString()));
    openFolder = dataFolder;
}

void FileCommands::onOpenData() {
    openFileDialog();
    const int answer = openDialog->exec();
    // A name completion list that opened as the dialog closed would keep grabbing the input.
    for (QCompleter* completer : openDialog->findChildren<QCompleter*>())
        completer->popup()->hide();
    if (answer != QDialog::Accepted || openDialog->selectedFiles().isEmpty())
        return;
    // The reader follows the file type picked in the dialog, never the file name.
    const qsizetype filter = openDialog->nameFilters().indexOf(openDialog->selectedNameFilter());
    const DataFileKind kind = filter == 1 ? DataFileKind::Tagged : DataFileKind::Column;
    open(openDialog->selectedFiles().constFirst(), kind);
}

QFileDialog* FileCommands::openFileDialog() {
    if (openDialog)
        return openDialog;
    openDialog = new QFileDialog(&window, text("打开数据文件"));
    openDialog->setObjectName(QStringLiteral("OpenDialog"));
    openDialog->setAcceptMode(QFileDialog::AcceptOpen);
    openDialog->setFileMode(QFileDialog::ExistingFile);
    // Filter 1 is the column data file, filter 2 the tagged sounding file.
    openDialog->setNameFilters({text("Dat格式文件(*.dat)"), text("VES格式文件(*.ves)")});
    openDialog->setDirectory(openFolder);
    return openDialog;
}

QFileDialog* FileCommands::saveFileDialog() {
    if (saveDialog)
        return saveDialog;

    saveDialog = new QFileDialog(&window, text("保存平面剖面图为"));
    saveDialog->setObjectName(QStringLiteral("SaveDialog"));
    saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog->setFileMode(QFileDialog::AnyFile);
    saveDialog->setNameFilters({text("位图文件(*.bmp)")});
    saveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
    return saveDialog;
}

DataFileKind FileCommands::dataFileKindFor(const QString& path) {
    return QFileInfo(path).suffix().compare(QStringLiteral("ves"), Qt::CaseInsensitive) == 0
               ? DataFileKind::Tagged
               : DataFileKind::Column;
}

QString FileCommands::droppedDataFile(const QMimeData* data) {
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

QString FileCommands::qualityNote(const DataQuality& quality) {
    return QStringLiteral("测点 %1，数据点 %2，无效行 %3，缺失值 %4")
        .arg(quality.stations)
        .arg(quality.points)
        .arg(quality.skippedRows)
        .arg(quality.missingValues);
}

void FileCommands::followOpenedFile(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile())
        return;
    openFolder = file.absolutePath();
    if (openDialog)
        openDialog->setDirectory(openFolder);
}

bool FileCommands::saveBitmap(const QImage& picture, const QString& dataFile) {
    // The data file of the last open, whichever way it was opened.
    saveFileDialog();
    const QFileInfo info(dataFile);
    if (info.isFile()) {
        saveDialog->selectFile(info.path() + QLatin1Char('/') + info.completeBaseName() +
                               QStringLiteral(".bmp"));
    }
    if (saveDialog->exec() != QDialog::Accepted || saveDialog->selectedFiles().isEmpty())
        return false;
    const QFileInfo chosen(saveDialog->selectedFiles().constFirst());
    const QString name =
        chosen.path() + QLatin1Char('/') + chosen.completeBaseName() + QStringLiteral(".bmp");
    if (!picture.save(name, "BMP")) {
        ui.messageBox("无法写入位图文件:\n" + name.toStdString(), applicationTitle, MsgButtons::Ok,
                      MsgIcon::Error);
        return false;
    }
    return true;
}
