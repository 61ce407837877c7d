#pragma once

namespace model {

// The layer counts a block model may have, for every fit, command and window: one place, so that what a
// command line or a spin box accepts is what the fit takes.
inline constexpr int kMinLayers = 1;
inline constexpr int kMaxLayers = 10;

// The counts the automatic choice of the number of layers tries (fewer when a station has too few points).
inline constexpr int kMinAutoLayers = 2;
inline constexpr int kMaxAutoLayers = 6;

inline constexpr bool isLayerCount(int layers) {
    return layers >= kMinLayers && layers <= kMaxLayers;
}

} // namespace model
