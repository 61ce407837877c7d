#pragma once

#include <cstdint>

// Colours are 0x00BBGGRR values; a value with the top bit set names a system colour.
using Color = std::uint32_t;

namespace colors {
inline constexpr Color black = 0x00000000;
inline constexpr Color white = 0x00FFFFFF;
inline constexpr Color red = 0x000000FF;
inline constexpr Color systemWindow = 0x80000005; // window background
inline constexpr Color systemButtonFace = 0x8000000F;

inline constexpr bool isSystem(Color c) {
    return (c & 0x80000000u) != 0;
}
inline constexpr int red8(Color c) {
    return static_cast<int>(c & 0xFF);
}
inline constexpr int green8(Color c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
inline constexpr int blue8(Color c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
inline constexpr Color rgb(int r, int g, int b) {
    return static_cast<Color>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
} // namespace colors
