#include "SheetBitmap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

void fillPaper(uchar* pixels, std::size_t bytes, QRgb paper) {
    const QRgb pixel = paper | 0xff000000u;
    if (pixel == 0xffffffffu)
        std::memset(pixels, 0xff, bytes);
    else
        std::fill_n(reinterpret_cast<QRgb*>(pixels), bytes / sizeof(QRgb), pixel);
}

#ifdef __linux__
constexpr std::size_t hugePageBytes = std::size_t{2} << 20;

// One anonymous mapping, released with the image that paints into it.
struct Mapping {
    void* base;
    std::size_t bytes;
};

void releaseMapping(void* info) {
    auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->base, mapping->bytes);
    delete mapping;
}

// The bitmap in a mapping of its own, aligned to huge pages; null when the system refuses the mapping.
QImage mappedBitmap(int width, int height, std::size_t bytes, QRgb paper) {
    const std::size_t mapped = (bytes + 2 * hugePageBytes - 1) / hugePageBytes * hugePageBytes;
    void* base = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return {};
    const auto address = reinterpret_cast<std::uintptr_t>(base);
    auto* pixels = reinterpret_cast<uchar*>((address + hugePageBytes - 1) / hugePageBytes * hugePageBytes);
    const std::size_t used = mapped - static_cast<std::size_t>(pixels - static_cast<uchar*>(base));
    // Advice only: a system without huge pages or prefaulting (before Linux 5.14) still gives the memory.
    madvise(pixels, used, MADV_HUGEPAGE);
    madvise(pixels, used, MADV_POPULATE_WRITE);
    fillPaper(pixels, bytes, paper);
    auto* mapping = new Mapping{base, mapped};
    QImage image(pixels, width, height, static_cast<qsizetype>(width) * 4, QImage::Format_RGB32,
                 releaseMapping, mapping);
    if (image.isNull())
        releaseMapping(mapping);
    return image;
}
#endif

} // namespace

QImage makeSheetBitmap(int width, int height, QRgb paper) {
    if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() / 4)
        return {};
    const std::size_t bytes = static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height);
#ifdef __linux__
    if (bytes >= hugePageBytes) {
        QImage image = mappedBitmap(width, height, bytes, paper);
        if (!image.isNull())
            return image;
    }
#endif
    QImage image(width, height, QImage::Format_RGB32);
    if (!image.isNull())
        image.fill(paper | 0xff000000u);
    return image;
}
