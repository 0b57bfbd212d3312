#include "screen/screen_bitmap.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace telorad {
namespace {

// Depth 0 stands for 24; anything but 16, 24 or 32 gives 0 (refused).
std::int64_t EffectiveDepth(std::int64_t depth) {
    if (depth == 0) return 24;
    if (depth == 16 || depth == 24 || depth == 32) return depth;
    return 0;
}

// The memory of a width × height bitmap at an effective depth, or -1 when it breaks a cap.
// Sides are checked first, so the products below stay far from overflowing.
std::int64_t CheckedImageSize(std::int64_t width, std::int64_t height, std::int64_t bits,
                              std::int64_t maxBytes = kMaxPictureBytes) {
    if (bits == 0) return -1;
    if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide) return -1;
    const std::int64_t size = RowStride(width, bits) * height;
    return size <= std::min(maxBytes, kMaxPictureBytes) ? size : -1;
}

}  // namespace

std::int64_t RowStride(std::int64_t width, std::int64_t bitsPerPixel) {
    // Outside these ranges the product could overflow; no picture we accept comes near them.
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    if (width < 0 || bitsPerPixel < 0 || width >= kLimit || bitsPerPixel >= kLimit) return -1;
    return (width * bitsPerPixel + 31) / 32 * 4;
}

bool CreateScreenBitmap(ScreenBitmap& bitmap, std::int64_t width, std::int64_t height,
                        std::int64_t depth, RowOrder rowOrder) {
    DestroyScreenBitmap(bitmap);
    const std::int64_t bits = EffectiveDepth(depth);
    const std::int64_t size = CheckedImageSize(width, height, bits);
    if (size < 0) return false;

    std::vector<std::uint8_t> pixels;
    try {
        pixels.resize(static_cast<std::size_t>(size));  // zero bytes: black
    } catch (const std::exception&) {
        return false;
    }

    bitmap.pixels = std::move(pixels);
    bitmap.flags = 1;
    bitmap.bitsPerPixel = static_cast<std::int32_t>(bits);
    bitmap.width = static_cast<std::int32_t>(width);
    bitmap.height = static_cast<std::int32_t>(height);
    bitmap.stride = static_cast<std::int32_t>(RowStride(width, bits));
    bitmap.rowOrder = rowOrder;
    bitmap.header = BitmapInfoHeader{};
    bitmap.header.biWidth = bitmap.width;
    bitmap.header.biHeight = bitmap.height;  // positive: the BMP form is bottom-up
    bitmap.header.biBitCount = static_cast<std::uint16_t>(bits);
    bitmap.header.biSizeImage = static_cast<std::uint32_t>(size);
    return true;
}

void DestroyScreenBitmap(ScreenBitmap& bitmap) {
    if (bitmap.flags == 0 && bitmap.pixels.empty()) return;
    bitmap = ScreenBitmap{};  // also releases the memory, unlike clear()
}

void CreateStartupPicture(ScreenBitmap& framebuffer) {
    if (CreateScreenBitmap(framebuffer, kStartupWidth, kStartupHeight, 0, RowOrder::TopDown)) {
        std::fill(framebuffer.pixels.begin(), framebuffer.pixels.end(), std::uint8_t{0xFF});
    }
}

bool ApplyScreenInfo(ScreenBitmap& framebuffer, ScreenBitmap& tile, const ScreenInfo& info,
                     std::int64_t maxBytes) {
    // Everything is checked before either record is touched, so a refused geometry keeps the
    // current picture.
    const std::int64_t bits = EffectiveDepth(info.bitsPerPixel);
    if (info.tileSize == 0 || info.tileSize > kMaxTileSide) return false;
    if (CheckedImageSize(info.tileSize, info.tileSize, bits, maxBytes) < 0) return false;
    if (CheckedImageSize(info.width, info.height, bits, maxBytes) < 0) return false;

    // The old bitmaps go first so that their memory is free for the new ones.
    DestroyScreenBitmap(tile);
    if (!CreateScreenBitmap(tile, info.tileSize, info.tileSize, bits, RowOrder::BottomUp)) {
        DestroyScreenBitmap(framebuffer);
        return false;
    }
    DestroyScreenBitmap(framebuffer);
    if (!CreateScreenBitmap(framebuffer, info.width, info.height, bits, RowOrder::TopDown)) {
        DestroyScreenBitmap(tile);
        return false;
    }
    return true;
}

}  // namespace telorad
