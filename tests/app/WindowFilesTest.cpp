// Files in and out of the main window beyond the open dialog: the export command, opening by drag
// and drop and from the command line, the open dialog's folder, a cancelled read and the quality note.
#include "SheetWindowFixture.h"
#include "app/OutputCommands.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

using apptest::sampleFile;
using apptest::u;

namespace {

// Answers the next export dialog with `name` under filter `filter` (0 PDF, 1 SVG, 2 PNG), or
// cancels it when `name` is empty.
void answerExportDialog(const QString& name, int filter) {
    QTimer::singleShot(0, [name, filter] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), u("导出图形"));
        if (name.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->selectNameFilter(dialog->nameFilters().at(filter));
        // selectNameFilter does not emit filterSelected; the user's choice in the box does.
        emit dialog->filterSelected(dialog->nameFilters().at(filter));
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        nameField->setText(name);
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the export dialog did not take " << name.toStdString();
            dialog->reject();
        }
    });
}

// A ScriptedUi that also keeps the proposals of the input queries.
class ProposalUi : public ScriptedUi {
public:
    bool inputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
        proposals.push_back(value);
        return ScriptedUi::inputQuery(caption, prompt, value);
    }
    std::vector<std::string> proposals;
};

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class WindowFiles : public apptest::SheetWindowTest {
protected:
    // Sends a drag over the window and the drop of `urls`; returns whether the window took them.
    bool drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &enter);
        QDropEvent dropped(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &dropped);
        EXPECT_EQ(enter.isAccepted(), dropped.isAccepted());
        // The open runs once the drop has ended.
        QCoreApplication::processEvents();
        return dropped.isAccepted();
    }

    // A copy of a sample file under another name in the test's folder.
    QString copyOf(const char* sample, const QString& name) {
        const QString path = folder.filePath(name);
        EXPECT_TRUE(QFile::copy(sampleFile(sample), path));
        return path;
    }

    QString note() const { return form.statusPanels[1]->text(); }
};

// A column file with the sample's three header lines.
std::string columnFile(const std::string& rows) {
    return "样例测区 激电测深数据 2023\n电测深 对称四极 激电测深\n"
           "点号 AB/2 MN/2 视电阻率 M1 R TH TD ZP 标志 备用 备用\n" +
           rows;
}

} // namespace

TEST_F(WindowFiles, ExportIsOfferedWithTheOtherCommandsAfterTheFirstOpen) {
    EXPECT_EQ(form.exportAction->text(), u("导出图形(&E)..."));
    EXPECT_FALSE(form.exportAction->isEnabled());
    EXPECT_FALSE(form.exportToolAction->isVisible());
    // A file without stations switches on nothing.
    form.openDataPath(sampleFile("sample-ip.dat"), DataFileKind::Tagged);
    EXPECT_FALSE(form.exportAction->isEnabled());

    openTaggedSample();
    EXPECT_TRUE(form.exportAction->isEnabled());
    EXPECT_TRUE(form.exportToolAction->isVisible());
    EXPECT_EQ(form.exportToolAction->toolTip(), u("导出图形"));
    EXPECT_EQ(form.output().exportFileDialog()->nameFilters(),
              QStringList({QStringLiteral("PDF (*.pdf)"), QStringLiteral("SVG (*.svg)"),
                           QStringLiteral("PNG (*.png)")}));
}

// The tagged sample spans AB/2 1.5 to 500 m and 48 to 420 ohm-m: 3 decades of 6.25 cm wide
// (18.75 cm, more than 85 % of 21 cm: the paper becomes 28 cm) and 2 decades high (12.5 cm on the
// 29.7 cm paper, whose bitmaps take 29 whole cm).
TEST_F(WindowFiles, ExportWritesTheSheetAsPdfSvgAndPngAndLeavesSavedAlone) {
    openTaggedSample();
    ASSERT_FALSE(form.saved);

    answerExportDialog(folder.filePath(QStringLiteral("sheet")), 0);
    ASSERT_TRUE(form.output().onExport());
    const QByteArray pdf = contentsOf(folder.filePath(QStringLiteral("sheet.pdf")));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    // The paper in whole points: 28 cm wide (793.7), 29.7 cm high (841.9).
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 794.000000 842.000000]"));
    EXPECT_FALSE(form.saved);

    form.saved = true;
    answerExportDialog(folder.filePath(QStringLiteral("sheet.svg")), 1);
    ASSERT_TRUE(form.output().onExport());
    const QByteArray svg = contentsOf(folder.filePath(QStringLiteral("sheet.svg")));
    EXPECT_TRUE(svg.contains("width=\"280mm\" height=\"290mm\"")) << svg.left(600).toStdString();
    EXPECT_TRUE(form.saved);

    auto proposals = std::make_unique<ProposalUi>();
    ProposalUi& askUi = *proposals;
    form.setUi(std::move(proposals));
    askUi.queueInput("100");
    answerExportDialog(folder.filePath(QStringLiteral("sheet")), 2);
    ASSERT_TRUE(form.output().onExport());
    ASSERT_EQ(askUi.proposals, std::vector<std::string>{"300"});
    EXPECT_TRUE(askUi.messages.empty());
    QImageReader png(folder.filePath(QStringLiteral("sheet.png")));
    EXPECT_EQ(png.format(), "png");
    // 28 cm and 29 cm at 100 dpi: 1102.4 and 1141.7 pixels.
    EXPECT_EQ(png.size(), QSize(1102, 1141));
    EXPECT_EQ(png.read().dotsPerMeterX(), 3937);
    EXPECT_TRUE(form.saved);
}

// A resolution out of range is said and asked for again; the export goes on with the next one.
TEST_F(WindowFiles, AnOutOfRangeResolutionIsAskedForAgain) {
    openTaggedSample();
    ui->messages.clear();
    ui->queueInput("5000");
    ui->queueInput("100");
    answerExportDialog(folder.filePath(QStringLiteral("again.png")), 2);
    EXPECT_TRUE(form.output().onExport());
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "注意:\n\t分辨率必须是50到2400之间的整数！");
    EXPECT_EQ(ui->inputPrompts.size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(folder.filePath(QStringLiteral("again.png"))));
}

TEST_F(WindowFiles, ExportRefusesResolutionsOutsideTheRangeAndReportsWriteFailures) {
    openTaggedSample();
    ui->messages.clear();
    const QString png = folder.filePath(QStringLiteral("sheet.png"));
    for (const char* typed : {"49", "2401", "abc", ""}) {
        SCOPED_TRACE(typed);
        ui->messages.clear();
        ui->queueInput(typed);
        answerExportDialog(png, 2);
        EXPECT_FALSE(form.output().onExport());
        ASSERT_EQ(ui->messages.size(), 1u);
        EXPECT_EQ(ui->messages[0].text, "注意:\n\t分辨率必须是50到2400之间的整数！");
        EXPECT_EQ(ui->messages[0].icon, MsgIcon::Warning);
        EXPECT_FALSE(QFileInfo::exists(png));
    }
    // The limits themselves are accepted. 2400 dpi makes the 28 cm paper 26456 pixels wide: more
    // than a bitmap may have.
    ui->messages.clear();
    ui->queueInput("2400");
    answerExportDialog(png, 2);
    EXPECT_FALSE(form.output().onExport());
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text, "注意:\n\t图纸太大，无法以该分辨率导出！");
    ui->messages.clear();
    ui->queueInput("50");
    answerExportDialog(png, 2);
    EXPECT_TRUE(form.output().onExport());
    EXPECT_EQ(QImageReader(png).size(), QSize(551, 570));

    // Cancelling the resolution or the dialog writes nothing and says nothing.
    ui->messages.clear();
    ui->queueInput("300", false);
    answerExportDialog(folder.filePath(QStringLiteral("other.png")), 2);
    EXPECT_FALSE(form.output().onExport());
    answerExportDialog({}, 0);
    EXPECT_FALSE(form.output().onExport());
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("other.png"))));

    const QString unwritable = folder.filePath(QStringLiteral("missing/sheet.pdf"));
    answerExportDialog(unwritable, 0);
    EXPECT_FALSE(form.output().onExport());
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].text.rfind("无法导出图形文件:\n" + unwritable.toStdString() + "\n", 0), 0u)
        << ui->messages[0].text;
    EXPECT_EQ(ui->messages[0].caption, "错误");
    EXPECT_EQ(ui->messages[0].icon, MsgIcon::Error);
}

TEST_F(WindowFiles, ExportKeepsTheScreenMappingForClickEditing) {
    openTaggedSample();
    answerExportDialog(folder.filePath(QStringLiteral("sheet.pdf")), 0);
    ASSERT_TRUE(form.output().onExport());
    titleAccepts = false;
    clickAt(form.sheet->titleText.x1 + 40, form.sheet->titleText.y1 - 10);
    EXPECT_EQ(titleCalls, 1) << "a click on the title still finds it";
}

TEST_F(WindowFiles, ADroppedSoundingFileOpensWithTheReaderOfItsExtension) {
    ASSERT_TRUE(drop({QUrl::fromLocalFile(sampleFile("sample.ves"))}));
    ASSERT_EQ(form.sheet->stations.size(), 4u);
    EXPECT_EQ(form.sheet->stations[0].stationNumber.front(), 11);
    EXPECT_EQ(form.statusPanels[2]->text(), u("数据剖面图绘制成功。"));
    EXPECT_TRUE(form.saveBitmapToolAction->isVisible());
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_FALSE(form.plotControlWindow()->m1Check->isEnabled())
        << "the tagged reader allows no IP parameter";

    // Upper-case extensions: the column reader for .DAT, the tagged one for .VES.
    ASSERT_TRUE(drop({QUrl::fromLocalFile(copyOf("sample-ip.dat", QStringLiteral("IP.DAT")))}));
    EXPECT_EQ(form.sheet->stations.size(), 6u);
    EXPECT_TRUE(form.plotControlWindow()->m1Check->isEnabled());
    ASSERT_TRUE(drop({QUrl::fromLocalFile(copyOf("sample.ves", QStringLiteral("VES.VES")))}));
    EXPECT_EQ(form.sheet->stations.size(), 4u);
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(WindowFiles, DropsOfAnythingButOneLocalSoundingFileAreRefused) {
    openColumnSample();
    const QString text = copyOf("sample.ves", QStringLiteral("notes.txt"));
    const QString ves = sampleFile("sample.ves");
    EXPECT_FALSE(drop({QUrl::fromLocalFile(text)}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(ves), QUrl::fromLocalFile(ves)}));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/sample.ves"))}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(folder.filePath(QStringLiteral("absent.ves")))}));
    EXPECT_FALSE(drop({}));
    EXPECT_EQ(form.sheet->stations.size(), 6u);
    EXPECT_TRUE(ui->messages.empty());
    EXPECT_EQ(form.lastDataFile, sampleFile("sample-ip.dat"));
}

TEST_F(WindowFiles, NoDropIsTakenWhileADialogIsOpen) {
    bool taken = true;
    QDialog dialog(&form);
    QTimer::singleShot(0, &dialog, [&] {
        taken = drop({QUrl::fromLocalFile(sampleFile("sample.ves"))});
        dialog.reject();
    });
    dialog.exec();
    QCoreApplication::processEvents();
    EXPECT_FALSE(taken);
    EXPECT_TRUE(form.sheet->stations.empty());
}

TEST_F(WindowFiles, TheCommandLineOpensItsFirstArgumentAsTheMenuWould) {
    form.openFromCommandLine({});
    EXPECT_TRUE(form.sheet->stations.empty());
    EXPECT_TRUE(form.saved);

    // A relative name is taken in the current folder; any extension but .ves is a column file.
    const QString other = copyOf("sample-ip.dat", QStringLiteral("survey.txt"));
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    form.openFromCommandLine({QStringLiteral("survey.txt"), QStringLiteral("ignored.ves")});
    QDir::setCurrent(current);
    EXPECT_EQ(form.sheet->stations.size(), 6u);
    EXPECT_EQ(form.lastDataFile, other);
    EXPECT_EQ(form.statusPanels[2]->text(), u("数据剖面图绘制成功。"));
    EXPECT_FALSE(form.saved);

    // A missing file gives the messages of the menu command.
    const QString missing = folder.filePath(QStringLiteral("missing.dat"));
    form.openFromCommandLine({missing});
    ASSERT_EQ(ui->messages.size(), 2u);
    EXPECT_EQ(ui->messages[0].text, "无法打开数据文件:\n" + missing.toStdString());
    EXPECT_EQ(ui->messages[1].text, "加载的数据文件没有电测深数据。");
}

TEST_F(WindowFiles, TheOpenDialogStartsInTheFolderOfTheLastOpenedFile) {
    EXPECT_EQ(QDir(form.files().openFileDialog()->directory()).absolutePath(),
              QDir(form.files().dataFolder).absolutePath());
    const QString copy = copyOf("sample.ves", QStringLiteral("a.ves"));
    form.openDataPath(copy, DataFileKind::Tagged);
    EXPECT_EQ(QDir(form.files().openFileDialog()->directory()).absolutePath(),
              QDir(folder.path()).absolutePath());
    EXPECT_EQ(form.lastDataFile, copy);
    // The bitmap save proposes the data file's name whichever way it was opened.
    openColumnSample();
    EXPECT_EQ(QDir(form.files().openFileDialog()->directory()).absolutePath(),
              QDir(QStringLiteral(VESPLOT_SAMPLE_DATA_DIR)).absolutePath());
}

TEST_F(WindowFiles, ACancelledReadKeepsTheSheetTheStationsAndTheSelector) {
    openColumnSample();
    form.plotControlWindow()->stationCombo->setCurrentIndex(2);
    form.plotControlWindow()->applyButton->click();
    form.saved = true;
    const StationList stations = form.sheet->stations;
    const QImage shown = picture();
    const QString noteBefore = note();
    const float xLength = form.sheet->xLengthCm;

    // Cancel at the first report (before the reader) and at the last (after it).
    for (int cancelAt : {1, 2}) {
        SCOPED_TRACE(cancelAt);
        ui->progressCalls = 0;
        ui->cancelAfterProgressCalls = cancelAt;
        openTaggedSample();
        EXPECT_EQ(ui->progressCalls, cancelAt);
        EXPECT_EQ(form.sheet->stations, stations);
        EXPECT_EQ(picture(), shown);
        EXPECT_EQ(form.sheet->xLengthCm, xLength);
        EXPECT_EQ(form.plotControlWindow()->stationCombo->count(), 6);
        EXPECT_EQ(form.plotControlWindow()->stationCombo->currentIndex(), 2);
        EXPECT_TRUE(form.plotControlWindow()->m1Check->isEnabled());
        EXPECT_TRUE(form.saved);
        EXPECT_EQ(note(), noteBefore);
        EXPECT_EQ(form.lastDataFile, sampleFile("sample-ip.dat"));
        EXPECT_TRUE(ui->messages.empty());
        // Apply still composes from the kept stations.
        form.plotControlWindow()->applyButton->click();
        EXPECT_EQ(form.sheet->resCurve.yValues.front(), stations[2].resistivity.front());
        form.saved = true;
    }

    ui->cancelAfterProgressCalls = -1;
    openTaggedSample();
    EXPECT_EQ(form.sheet->stations.size(), 4u);
}

TEST_F(WindowFiles, StatusNoteCountsStationsPointsSkippedRowsAndMissingValues) {
    openTaggedSample();
    EXPECT_EQ(note(), u("测点 4，数据点 64，无效行 0，缺失值 0"));
    EXPECT_EQ(form.statusPanels[0]->text(), u("Zu电法数据处理软件"));
    EXPECT_GE(form.statusPanels[1]->maximumWidth(),
              form.statusPanels[1]->fontMetrics().horizontalAdvance(note()));

    // Missing M1, R (+9999), TH and ZP markers over two stations.
    form.openDataPath(
        writeFile(QStringLiteral("gaps.dat"), columnFile("1 1.5 0.5 100 -9999 12 477 35 4.2 1 0 0\n"
                                                         "1 2.5 0.5 90 1.2 9999 -9999 35 4.4 1 0 0\n"
                                                         "2 1.5 0.5 80 1.2 12 477 35 -9999 1 0 0\n")),
        DataFileKind::Column);
    EXPECT_EQ(note(), u("测点 2，数据点 3，无效行 0，缺失值 4"));

    // A file without stations clears the note with the sheet it was about.
    form.openDataPath(sampleFile("sample-ip.dat"), DataFileKind::Tagged);
    EXPECT_TRUE(note().isEmpty());
}
