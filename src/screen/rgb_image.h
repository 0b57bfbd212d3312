#pragma once
// Pictures as plain 8-bit RGB, top row first: what image files hold and what a script compares
// the screen with, whatever depth the server sends.
#include <cstdint>
#include <string>
#include <vector>

#include "screen/screen_bitmap.h"

namespace telorad {

struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb;  // width × height × 3 bytes
};

// The region (x, y, w, h) of a picture at its own depth. False, leaving `out` empty, when the
// region is empty or does not lie wholly inside the picture.
bool CopyBitmapRegion(const ScreenBitmap& picture, std::int32_t x, std::int32_t y, std::int32_t w,
                      std::int32_t h, ScreenBitmap& out);

// 16-bit pixels are 5-5-5 (top bit unused), 24-bit B, G, R, 32-bit B, G, R, unused.
RgbImage BitmapToRgb(const ScreenBitmap& picture);

// An uncompressed BMP file of 16, 24 or 32 bits per pixel, bottom-up or top-down. False with
// `error` set for anything else or a file cut short.
bool DecodeBmpFile(const std::vector<std::uint8_t>& bytes, RgbImage& image, std::string& error);

// The largest difference of one colour channel between two pictures of the same size; -1 when
// the sizes differ.
int LargestChannelDifference(const RgbImage& a, const RgbImage& b);

}  // namespace telorad
