#pragma once
// The drawing surface of the screen sources: top-down rows of 0xRRGGBB pixels, independent of
// the depth a client is sent. ConvertCanvas turns it into the protocol's pixel layout.
#include <cstdint>
#include <vector>

#include "screen/screen_bitmap.h"

namespace telorad::server {

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;  // width × height, row 0 at the top
};

inline constexpr std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF);
}

// False (and an empty canvas) when the memory cannot be had.
bool ResizeCanvas(Canvas& canvas, int width, int height);
// Clipped to the canvas; any coordinates are safe.
void FillRect(Canvas& canvas, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
              std::uint32_t rgb);
void FillCircle(Canvas& canvas, std::int64_t cx, std::int64_t cy, std::int64_t radius,
                std::uint32_t rgb);

// Writes the canvas into picture (created bottom-up at the canvas size and the given depth if
// its geometry differs). At 16 bits: 5 bits each of red, green, blue; at 32: B, G, R, 0.
// Row padding stays zero. False when the picture cannot be created.
bool ConvertCanvas(const Canvas& canvas, int bitsPerPixel, ScreenBitmap& picture);

}  // namespace telorad::server
