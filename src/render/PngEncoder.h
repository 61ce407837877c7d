#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A bitmap of 32-bit pixels 0xffRRGGBB (the layout of QImage::Format_RGB32), rows `stride` pixels apart.
struct PngPixels {
    const std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    int dotsPerMetre = 0; // 0 leaves the resolution out of the file
};

// Encodes a bitmap handed over in bands of rows, top to bottom, as a PNG file image, so that a large sheet
// never needs one bitmap of its whole size. A sheet is drawn without antialiasing in a handful of pens: the
// file gets a palette at the smallest bit depth that holds its colours (1, 2, 4 or 8 bits), and the many rows
// equal to the row above (between horizontal grid lines) cost next to nothing. A bitmap of more than 256
// colours is written as 8-bit RGB. Every pixel decodes to exactly its colour; the top byte is ignored.
class PngEncoder {
public:
    PngEncoder(int width, int height, int dotsPerMetre = 0);

    // Takes the next `count` rows, `stride` pixels apart; rows beyond the height are left out.
    void addRows(const std::uint32_t* rows, int count, std::ptrdiff_t stride);

    // The file image; empty when the size is unusable or fewer rows than the height were given.
    std::vector<unsigned char> finish();

private:
    // A row that differs from the row above, as runs of one colour.
    struct Run {
        std::uint32_t colour;
        std::uint32_t length;
    };

    int width_;
    int height_;
    int dotsPerMetre_;
    int rowsTaken_ = 0;
    std::vector<std::uint32_t> lastRow_;
    std::vector<unsigned char> repeats_;  // per row: 1 when equal to the row above
    std::vector<Run> runs_;               // the runs of the rows that differ, one after another
    std::vector<std::uint32_t> runCount_; // per differing row: how many runs it has
};

// Encodes a whole bitmap at once; empty when it has no pixels or is too large for one PNG.
std::vector<unsigned char> encodePng(const PngPixels& image);
