#include "SheetExport.h"

#include "render/PngEncoder.h"
#include "render/QtCanvas.h"
#include "render/SheetBitmap.h"
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

#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

namespace {

// PDF pages are laid out at this resolution; the sheet mapping makes the drawing size independent of it.
constexpr int pdfResolution = 1200;
// SVG user units of 0.1 mm: the sheet's own unit, so coordinates stay whole numbers.
constexpr int svgResolution = 254;

QString extensionOf(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).suffix().toLower();
}

int dotsPerMetre(int dpi)
{
    return static_cast<int>(std::lround(dpi / 0.0254));
}

// Paints the sheet into a white bitmap of the paper at `dpi`; null when the memory cannot be had.
QImage paintedSheet(SheetState& state, const PlotChoices& choices, int dpi, Ui& ui)
{
    const BitmapSize size = prepareSheetBitmap(state, dpi, dpi);
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

// The sheet's own PNG encoder: a few colours and many repeated rows make it far quicker than a general one.
// The file is replaced only once it is completely written.
std::string writePng(SheetState& state, const PlotChoices& choices, const QString& path, int dpi, Ui& ui)
{
    const QImage image = paintedSheet(state, choices, dpi, ui);
    if (image.isNull())
        return "the sheet is too large for a bitmap at this resolution";
    std::vector<unsigned char> png;
    try {
        png = encodePng({reinterpret_cast<const std::uint32_t*>(image.constBits()), image.width(), image.height(),
                         image.bytesPerLine() / 4, dotsPerMetre(dpi)});
    } catch (const std::bad_alloc&) {
        return "not enough memory to encode the sheet as PNG";
    }
    if (png.empty())
        return "the sheet is too large for a PNG file";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(png.data()), static_cast<qint64>(png.size())) !=
            static_cast<qint64>(png.size()) ||
        !file.commit())
        return "cannot write " + path.toStdString() + ": " + file.errorString().toStdString();
    return {};
}

std::string writeBmp(SheetState& state, const PlotChoices& choices, const QString& path, int dpi, Ui& ui)
{
    const QImage image = paintedSheet(state, choices, dpi, ui);
    if (image.isNull())
        return "the sheet is too large for a bitmap at this resolution";
    QImageWriter writer(path, "bmp");
    if (!writer.write(image))
        return writer.errorString().toStdString();
    return {};
}

QPageLayout paperLayout(const SheetState& state)
{
    const QPageSize page(QSizeF(state.sheetWidthCm * 10.0, state.sheetHeightCm * 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    return QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

std::string writeSvg(SheetState& state, const PlotChoices& choices, const QString& path, Ui& ui)
{
    const BitmapSize size = prepareSheetBitmap(state, svgResolution, svgResolution);
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setResolution(svgResolution);
    generator.setSize(QSize(size.width, size.height));
    generator.setViewBox(QRect(0, 0, size.width, size.height));
    generator.setTitle(QStringLiteral("电测深观测数据"));
    QPainter painter;
    if (!painter.begin(&generator))
        return "cannot write " + path.toStdString();
    painter.fillRect(QRect(0, 0, size.width, size.height), Qt::white);
    {
        QtCanvas canvas(painter, svgResolution, svgResolution);
        paintSheet(state, choices, canvas, size.width, size.height, ui);
    }
    painter.end();
    if (!QFileInfo::exists(path))
        return "cannot write " + path.toStdString();
    return {};
}

} // namespace

bool isSheetFileFormat(const std::string& path)
{
    const QString extension = extensionOf(path);
    return extension == "png" || extension == "bmp" || extension == "pdf" || extension == "svg";
}

std::string writeSheetFile(SheetState& state, const PlotChoices& choices, const std::string& path, int dpi, Ui& ui)
{
    const QString target = QString::fromStdString(path);
    const QString extension = extensionOf(path);
    if (extension == "png")
        return writePng(state, choices, target, dpi, ui);
    if (extension == "bmp")
        return writeBmp(state, choices, target, dpi, ui);
    if (extension == "pdf")
        return writeSheetPdfPages(state, choices, path, 1, [](std::size_t) {}, ui);
    if (extension == "svg")
        return writeSvg(state, choices, target, ui);
    return "unknown output format '" + extension.toStdString() + "' (use .png, .bmp, .pdf or .svg)";
}

std::string writeSheetPdfPages(SheetState& state, const PlotChoices& choices, const std::string& path,
                               std::size_t count, const std::function<void(std::size_t)>& composePage, Ui& ui)
{
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(pdfResolution);
    writer.setCreator(QStringLiteral("vesplot"));
    QPainter painter;
    for (std::size_t i = 0; i < count; ++i) {
        composePage(i);
        prepareSheetBitmap(state, pdfResolution, pdfResolution); // grows the paper to fit the figure
        writer.setPageLayout(paperLayout(state));
        if (i == 0) {
            if (!painter.begin(&writer))
                return "cannot write " + path;
        } else if (!writer.newPage()) {
            return "cannot add page " + std::to_string(i + 1) + " to " + path;
        }
        QtCanvas canvas(painter, pdfResolution, pdfResolution);
        paintSheet(state, choices, canvas, writer.width(), writer.height(), ui);
    }
    if (painter.isActive())
        painter.end();
    return {};
}
