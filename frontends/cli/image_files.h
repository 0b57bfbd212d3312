#pragma once
// Pictures in files: BMP or PNG, chosen by the file name's ending (".png", any case, is PNG).
#include <string>

#include "screen/rgb_image.h"
#include "screen/screen_bitmap.h"

namespace telorad::cli {

bool IsPngName(const std::string& path);

// Writes the picture; a BMP keeps the picture's depth, a PNG is 8-bit RGB. On failure the file
// is removed and `error` says why.
bool WritePicture(const std::string& path, const ScreenBitmap& picture, std::string& error);

// Reads a BMP (16, 24 or 32 bits, uncompressed) or any PNG, as RGB.
bool ReadPicture(const std::string& path, RgbImage& image, std::string& error);

}  // namespace telorad::cli
