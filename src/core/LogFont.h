#pragma once

#include <cstdint>
#include <string>

// A font as the canvas draws text with it. Heights and widths are in the logical units of the
// surface the font is used on (0.1 mm under the sheet mapping): a positive height is the
// character cell height, a negative one the character height. The escapement turns the text
// counter-clockwise, in tenths of a degree.
struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0; // average character width; 0 = the face's natural width
    std::int32_t escapement = 0;
    std::int32_t weight = 0; // 100 thin … 400 normal … 700 bold … 900 heavy
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::string faceName; // UTF-8; at most 31 bytes are kept, as in the 32-byte record

    void setFaceName(const std::string& name) { faceName = name.substr(0, 31); }
    friend bool operator==(const LogFont&, const LogFont&) = default;
};
