#pragma once
// Handing the whole picture to the outside world: a BMP file, and the page rectangle for a print.
#include <cstdint>
#include <string>

#include "screen/screen_bitmap.h"
#include "screen/update_rect.h"

namespace telorad {

// Decides between fitting the width and fitting the height of the printable area.
inline constexpr std::int32_t kPrintFitMargin = 64;

// Writes the BMP file of the framebuffer to `path`, replacing any file there. False when there is
// no picture, the file cannot be created or a write fails.
bool WriteBmpFile(const ScreenBitmap& framebuffer, const std::string& path);

// The rectangle, corner (0, 0), that the picture is stretched onto on a page of the printable
// size: the full width with the height in proportion, unless that height plus 64 exceeds the
// printable height; then the full height with the width in proportion. Divisions truncate.
// Empty for an empty picture.
PixelRect FitPrintRect(std::int32_t pictureWidth, std::int32_t pictureHeight,
                       std::int32_t printableWidth, std::int32_t printableHeight);

}  // namespace telorad
