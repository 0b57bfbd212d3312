#pragma once
// The bytes of a BMP file of the framebuffer: 14-byte file header, the 40-byte info header,
// then the pixel rows bottom-up, each padded to 4 bytes.
#include <cstdint>
#include <vector>

#include "screen/screen_bitmap.h"

namespace telorad {

inline constexpr int kBmpFileHeaderSize = 14;

std::vector<std::uint8_t> EncodeBmpFile(const ScreenBitmap& framebuffer);
// The 40 bytes of a BitmapInfoHeader, little-endian.
void EncodeBitmapInfoHeader(const BitmapInfoHeader& header, std::uint8_t* out);

}  // namespace telorad
