#include "SheetExport.h"

#include "core/FilePath.h"
#include "render/PngEncoder.h"
#include "render/QtCanvas.h"
#include "render/SheetBitmap.h"
#include "sheet/OpenData.h"
#include "sheet/SheetState.h"
#include "sheet/SheetView.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

namespace {

QString extensionOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).suffix().toLower();
}

int dotsPerMetre(int dpi) {
    return static_cast<int>(std::lround(dpi / 0.0254));
}

std::optional<qint64> writeLimitForTests;

// Why a write to `file` failed. Qt words some failures of the system as "Unknown error" (a file over the
// size limit, EFBIG), so the system's own code, taken right after the call, names the cause when it has one.
std::string writeFailure(const QFileDevice& file, int code) {
    if (code != 0)
        return std::generic_category().message(code);
    std::string reason = file.errorString().toStdString();
    return reason.empty() ? "the file could not be written" : reason;
}

// Passes the writes of an image handler, PDF engine or SVG generator on to the temporary file and
// remembers the first one that failed, whatever the writer does with the failure.
class CheckedOutput final : public QIODevice {
public:
    explicit CheckedOutput(QSaveFile& file) : file_(file) { open(QIODevice::WriteOnly); }
    bool failed() const { return !reason_.empty(); }
    const std::string& reason() const { return reason_; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        if (failed())
            return -1;
        if (writeLimitForTests && written_ + length > *writeLimitForTests) {
            reason_ = "No space left on device";
            return -1;
        }
        errno = 0;
        const qint64 done = file_.write(data, length);
        if (done != length) {
            reason_ = writeFailure(file_, errno);
            return -1;
        }
        written_ += done;
        return done;
    }

private:
    QSaveFile& file_;
    qint64 written_ = 0;
    std::string reason_;
};

// Keeps a device that a failed allocation inside Qt left unfit to be destroyed. Qt links a new
// connection into the sending device before it allocates the receiver's side; when that allocation
// fails the connection is freed while the device still lists it, and the device's destructor then
// never returns. The PDF engine and the SVG generator connect to their output device, so an export
// that runs out of memory keeps its device here for the rest of the process (reachable, so leak
// checks stay quiet) instead of hanging.
void keepUndestroyed(std::unique_ptr<CheckedOutput> output) noexcept {
    static std::array<std::atomic<CheckedOutput*>, 16> kept{};
    static std::atomic<std::size_t> count{0};
    const std::size_t slot = count.fetch_add(1);
    CheckedOutput* const device = output.release();
    if (slot < kept.size())
        kept[slot].store(device);
}

// The bitmap size of the sheet at `dpi`, or a reason when it is too large to be made.
std::string bitmapSizeProblem(const BitmapSize& size) {
    if (size.width <= 0 || size.height <= 0 || size.width > maxSheetBitmapSide ||
        size.height > maxSheetBitmapSide)
        return sheetTooLargeForExportMessage;
    return {};
}

// Paints the sheet into a white bitmap of the paper at `dpi`; null when the memory cannot be had.
QImage paintedSheet(SheetState& state, const PlotChoices& choices, const BitmapSize& size, int dpi, Ui& ui) {
    QImage image = makeSheetBitmap(size.width, size.height);
    if (image.isNull())
        return image;
    image.setDotsPerMeterX(dotsPerMetre(dpi));
    image.setDotsPerMeterY(dotsPerMetre(dpi));
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, dpi, dpi);
        paintSheet(state, choices, canvas, size.width, size.height, ui);
    }
    return image;
}

// The sheet painted on a bitmap at `dpi`, or why there is none (too large for a bitmap).
std::string paintBitmap(SheetState& state, const PlotChoices& choices, int dpi, Ui& ui, QImage& image) {
    const BitmapSize size = prepareSheetBitmap(state, dpi, dpi);
    if (std::string tooLarge = bitmapSizeProblem(size); !tooLarge.empty())
        return tooLarge;
    image = paintedSheet(state, choices, size, dpi, ui);
    if (image.isNull())
        return "the sheet is too large for a bitmap at this resolution";
    return {};
}

// The sheet's own PNG encoder: a few colours and many repeated rows make it far quicker than a general one.
std::string writePng(SheetState& state, const PlotChoices& choices, const QString& path, int dpi, Ui& ui,
                     const std::filesystem::path& dataFile) {
    QImage image;
    if (std::string problem = paintBitmap(state, choices, dpi, ui, image); !problem.empty())
        return problem;
    return writePngImage(image, path.toStdString(), dpi, dataFile);
}

std::string writeBmp(SheetState& state, const PlotChoices& choices, const QString& path, int dpi, Ui& ui,
                     const std::filesystem::path& dataFile) {
    QImage image;
    if (std::string problem = paintBitmap(state, choices, dpi, ui, image); !problem.empty())
        return problem;
    return writeFileWhole(path.toStdString(), dataFile, [&](QIODevice& out) -> std::string {
        QImageWriter writer(&out, "bmp");
        if (!writer.write(image))
            return "the file could not be written";
        return {};
    });
}

QPageLayout paperLayout(const SheetState& state) {
    const QPageSize page(QSizeF(state.sheetWidthCm * 10.0, state.sheetHeightCm * 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    return QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

std::string writeSvg(SheetState& state, const PlotChoices& choices, const QString& path, Ui& ui,
                     const std::filesystem::path& dataFile) {
    const BitmapSize size = prepareSheetBitmap(state, svgUnitsPerInch, svgUnitsPerInch);
    return writeFileWhole(path.toStdString(), dataFile, [&](QIODevice& out) -> std::string {
        QSvgGenerator generator;
        generator.setOutputDevice(&out);
        generator.setResolution(svgUnitsPerInch);
        generator.setSize(QSize(size.width, size.height));
        generator.setViewBox(QRect(0, 0, size.width, size.height));
        generator.setTitle(QStringLiteral("电测深观测数据"));
        QPainter painter;
        if (!painter.begin(&generator))
            return "the SVG file could not be started";
        painter.fillRect(QRect(0, 0, size.width, size.height), Qt::white);
        {
            QtCanvas canvas(painter, svgUnitsPerInch, svgUnitsPerInch);
            paintSheet(state, choices, canvas, size.width, size.height, ui);
        }
        if (!painter.end())
            return "the SVG file could not be finished";
        return {};
    });
}

} // namespace

bool isSheetFileFormat(const std::string& path) {
    const QString extension = extensionOf(path);
    return extension == "png" || extension == "bmp" || extension == "pdf" || extension == "svg";
}

void failSheetFileWritesAfter(std::optional<std::int64_t> bytes) {
    writeLimitForTests = bytes;
}

std::string writeSheetFile(SheetState& state, const PlotChoices& choices, const std::string& path, int dpi,
                           Ui& ui, const std::filesystem::path& dataFile) {
    const QString target = QString::fromStdString(path);
    const QString extension = extensionOf(path);
    if (!sheetDrawable(state))
        return rangeTooLargeMessage;
    if (extension == "png")
        return writePng(state, choices, target, dpi, ui, dataFile);
    if (extension == "bmp")
        return writeBmp(state, choices, target, dpi, ui, dataFile);
    if (extension == "pdf")
        return writeSheetPdfPages(
            state, choices, path, 1, [](std::size_t) {}, ui, dataFile);
    if (extension == "svg")
        return writeSvg(state, choices, target, ui, dataFile);
    return "unknown output format '" + extension.toStdString() + "' (use .png, .bmp, .pdf or .svg)";
}

std::string writeSheetPdfPages(SheetState& state, const PlotChoices& choices, const std::string& path,
                               std::size_t count, const std::function<void(std::size_t)>& composePage, Ui& ui,
                               const std::filesystem::path& dataFile) {
    return writeFileWhole(path, dataFile, [&](QIODevice& out) -> std::string {
        QPdfWriter writer(&out);
        writer.setResolution(pdfPageResolution);
        writer.setCreator(QStringLiteral("vesplot"));
        QPainter painter;
        for (std::size_t i = 0; i < count; ++i) {
            composePage(i);
            if (!sheetDrawable(state))
                return rangeTooLargeMessage;
            // Grows the paper to fit the figure.
            prepareSheetBitmap(state, pdfPageResolution, pdfPageResolution);
            writer.setPageLayout(paperLayout(state));
            if (i == 0) {
                if (!painter.begin(&writer))
                    return "the PDF file could not be started";
            } else if (!writer.newPage()) {
                return "cannot add page " + std::to_string(i + 1);
            }
            QtCanvas canvas(painter, pdfPageResolution, pdfPageResolution);
            paintSheet(state, choices, canvas, writer.width(), writer.height(), ui);
        }
        if (painter.isActive() && !painter.end())
            return "the PDF file could not be finished";
        return {};
    });
}

std::string writeFileWhole(const std::string& path, const std::filesystem::path& dataFile,
                           const std::function<std::string(QIODevice&)>& write) {
    const std::string refused = outputTargetProblem(pathFromUtf8(path), dataFile);
    if (!refused.empty())
        return refused;
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return "cannot create the file: " + file.errorString().toStdString();
    auto output = std::make_unique<CheckedOutput>(file);
    std::string failure;
    try {
        failure = write(*output);
    } catch (const std::bad_alloc&) {
        keepUndestroyed(std::move(output));
        throw; // the temporary file is removed when `file` goes
    }
    if (output->failed()) // the device's reason says more than the writer's
        failure = output->reason();
    errno = 0;
    if (failure.empty() && !file.flush())
        failure = writeFailure(file, errno);
    if (!failure.empty()) {
        file.cancelWriting(); // the temporary is removed when `file` goes
        return failure;
    }
    errno = 0;
    if (!file.commit())
        return writeFailure(file, errno);
    return {};
}

std::string writePngImage(const QImage& image, const std::string& path, int dpi,
                          const std::filesystem::path& dataFile) {
    std::vector<unsigned char> png;
    try {
        png = encodePng({reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(),
                         image.height(), image.bytesPerLine() / 4, dotsPerMetre(dpi)});
    } catch (const std::bad_alloc&) {
        return "not enough memory to encode the picture as PNG";
    }
    if (png.empty())
        return "the picture is too large for a PNG file";
    return writeFileWhole(path, dataFile, [&](QIODevice& out) -> std::string {
        if (out.write(reinterpret_cast<const char*>(png.data()), static_cast<qint64>(png.size())) !=
            static_cast<qint64>(png.size()))
            return "the file could not be written";
        return {};
    });
}
