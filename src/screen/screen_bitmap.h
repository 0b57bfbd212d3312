#pragma once
// A picture in memory: the framebuffer (top-down rows, which every front end can draw as it is)
// and the update tile (bottom-up rows, the protocol's layout that the server writes into).
// Rows are padded to a multiple of 4 bytes in both.
#include <cstdint>
#include <vector>

#include "net/wire.h"

namespace telorad {

enum class RowOrder { BottomUp, TopDown };

// The 40-byte header of the BMP format, describing the picture with rows bottom-up.
struct BitmapInfoHeader {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct ScreenBitmap {
    std::uint32_t flags = 0;  // 1 while the bitmap exists
    std::int32_t bitsPerPixel = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;  // bytes per row, a multiple of 4
    RowOrder rowOrder = RowOrder::TopDown;
    std::vector<std::uint8_t> pixels;  // stride × height bytes
    BitmapInfoHeader header;
};

// Geometry a server may announce: no side above this, no bitmap above kMaxPictureBytes.
inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPictureBytes = std::int64_t{1} << 30;
// A tile is a small square; this keeps one geometry from asking for a second gigabyte.
inline constexpr std::int64_t kMaxTileSide = 4096;
inline constexpr int kStartupWidth = 320;
inline constexpr int kStartupHeight = 240;

// ((width × bitsPerPixel + 31) / 32) × 4, in 64 bits; -1 for an argument outside 0 .. 2^31 - 1.
std::int64_t RowStride(std::int64_t width, std::int64_t bitsPerPixel);

// Depth 0 stands for 24. Fills the record (one in use is destroyed first); the new pixels are
// zero (black).
// Returns false, leaving the record empty, for a depth other than 16, 24 or 32, a side that is
// negative or above kMaxPictureSide, a size above kMaxPictureBytes, or a failed allocation.
bool CreateScreenBitmap(ScreenBitmap& bitmap, std::int64_t width, std::int64_t height,
                        std::int64_t depth, RowOrder rowOrder);
void DestroyScreenBitmap(ScreenBitmap& bitmap);

// The white 320 × 240, 24-bit picture shown before any server has sent one.
void CreateStartupPicture(ScreenBitmap& framebuffer);

// Rebuilds tile (T × T, bottom-up) and framebuffer (black, top-down) for a new geometry.
// A geometry that breaks a bound (depth not 0/16/24/32, tile side 0, sides above the caps, a
// bitmap above maxBytes, which is at most kMaxPictureBytes) is refused before anything is
// allocated: returns false and both records stay as they were.
bool ApplyScreenInfo(ScreenBitmap& framebuffer, ScreenBitmap& tile, const ScreenInfo& info,
                     std::int64_t maxBytes = kMaxPictureBytes);

}  // namespace telorad
