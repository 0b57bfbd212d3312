#pragma once
// Applying one update rectangle from the tile to the framebuffer.
#include <cstdint>

#include "screen/screen_bitmap.h"

namespace telorad {

// A rectangle in framebuffer pixels, top-left origin.
struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

// Copies the tile's top-left w × h pixels into the framebuffer with their corner at (x, y),
// clipped to the tile and to the framebuffer (any x, y, w, h, negative or huge, is safe).
// Returns the framebuffer rectangle that changed; empty when nothing did.
PixelRect ApplyUpdateRect(ScreenBitmap& framebuffer, const ScreenBitmap& tile, std::int32_t x,
                          std::int32_t y, std::int32_t w, std::int32_t h);

}  // namespace telorad
