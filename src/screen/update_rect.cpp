#include "screen/update_rect.h"

#include <algorithm>
#include <cstring>

namespace telorad {
namespace {

// A record whose memory really holds stride × height bytes at a depth we draw.
bool Usable(const ScreenBitmap& bitmap) {
    if (bitmap.flags == 0 || bitmap.width < 0 || bitmap.height < 0) return false;
    if (bitmap.bitsPerPixel != 16 && bitmap.bitsPerPixel != 24 && bitmap.bitsPerPixel != 32) {
        return false;
    }
    if (bitmap.stride != RowStride(bitmap.width, bitmap.bitsPerPixel)) return false;
    return bitmap.pixels.size() >=
           static_cast<std::size_t>(std::int64_t{bitmap.stride} * bitmap.height);
}

// Offset of picture row `row` (counted from the top) in the bitmap's memory.
std::int64_t RowOffset(const ScreenBitmap& bitmap, std::int64_t row) {
    const std::int64_t memoryRow =
        bitmap.rowOrder == RowOrder::BottomUp ? bitmap.height - 1 - row : row;
    return memoryRow * bitmap.stride;
}

}  // namespace

PixelRect ApplyUpdateRect(ScreenBitmap& framebuffer, const ScreenBitmap& tile, std::int32_t x,
                          std::int32_t y, std::int32_t w, std::int32_t h) {
    if (!Usable(framebuffer) || !Usable(tile)) return {};
    if (framebuffer.bitsPerPixel != tile.bitsPerPixel) return {};

    // The tile's top-left corner, at most the whole tile, placed at (x, y) and cut to the
    // framebuffer. 64-bit throughout: x + w and friends may pass the 32-bit range.
    const std::int64_t width = std::min<std::int64_t>(w, tile.width);
    const std::int64_t height = std::min<std::int64_t>(h, tile.height);
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, framebuffer.width);
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{y} + height, framebuffer.height);
    if (left >= right || top >= bottom) return {};

    const std::int64_t bytesPerPixel = framebuffer.bitsPerPixel / 8;
    const std::int64_t rowBytes = (right - left) * bytesPerPixel;
    const std::int64_t sourceColumnOffset = (left - x) * bytesPerPixel;
    const std::int64_t targetColumnOffset = left * bytesPerPixel;
    for (std::int64_t row = top; row < bottom; ++row) {
        const std::uint8_t* from =
            tile.pixels.data() + RowOffset(tile, row - y) + sourceColumnOffset;
        std::uint8_t* to =
            framebuffer.pixels.data() + RowOffset(framebuffer, row) + targetColumnOffset;
        std::memcpy(to, from, static_cast<std::size_t>(rowBytes));
    }
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
            static_cast<std::int32_t>(right - left), static_cast<std::int32_t>(bottom - top)};
}

}  // namespace telorad
