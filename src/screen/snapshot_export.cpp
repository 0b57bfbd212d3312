#include "screen/snapshot_export.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "screen/bmp_file.h"

namespace telorad {

bool WriteBmpFile(const ScreenBitmap& framebuffer, const std::string& path) {
    const std::vector<std::uint8_t> bytes = EncodeBmpFile(framebuffer);
    if (bytes.empty()) return false;  // nothing to write: leave any existing file alone
    // The path is UTF-8; std::filesystem hands it to Windows' wide API, to POSIX as it is.
    const std::u8string utf8(reinterpret_cast<const char8_t*>(path.data()), path.size());
    std::ofstream file(std::filesystem::path(utf8), std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

namespace {

// a × b / c, truncating, in 64 bits so that no picture or printer size can overflow; the
// result is held to the 32-bit range a page rectangle has.
std::int32_t ScaleTruncating(std::int64_t a, std::int64_t b, std::int64_t c) {
    const std::int64_t value = a * b / c;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

PixelRect FitPrintRect(std::int32_t pictureWidth, std::int32_t pictureHeight,
                       std::int32_t printableWidth, std::int32_t printableHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return {};
    std::int32_t width = printableWidth;
    std::int32_t height = ScaleTruncating(pictureHeight, printableWidth, pictureWidth);
    // The margin only decides which side is fitted; the height fit uses the whole height.
    if (std::int64_t{height} + kPrintFitMargin > printableHeight) {
        height = printableHeight;
        width = ScaleTruncating(pictureWidth, printableHeight, pictureHeight);
    }
    return {0, 0, width, height};
}

}  // namespace telorad
