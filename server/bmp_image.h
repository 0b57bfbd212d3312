#pragma once
// Reading a 24-bit uncompressed BMP file as the server's screen.
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace telorad::server {

// Decodes the bytes of a 24-bit BI_RGB BMP (rows bottom-up, or top-down with a negative height)
// into canvas. On failure returns false with a reason in error; canvas is then unchanged.
bool DecodeBmp24(const std::vector<std::uint8_t>& file, Canvas& canvas, std::string& error);

bool LoadBmp24(const std::string& path, Canvas& canvas, std::string& error);

}  // namespace telorad::server
