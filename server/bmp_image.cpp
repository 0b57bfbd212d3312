#include "bmp_image.h"

#include <fstream>
#include <iterator>

#include "net/wire.h"
#include "options.h"
#include "screen/screen_bitmap.h"

namespace telorad::server {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool DecodeBmp24(const std::vector<std::uint8_t>& file, Canvas& canvas, std::string& error) {
    if (file.size() < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' || file[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    const std::uint8_t* info = file.data() + kFileHeaderSize;
    const std::uint32_t pixelOffset = GetU32(file.data() + 10);
    const std::uint32_t infoSize = GetU32(info);
    const std::int64_t width = GetI32(info + 4);
    const std::int64_t signedHeight = GetI32(info + 8);
    const std::uint16_t bits = GetU16(info + 14);
    const std::uint32_t compression = GetU32(info + 16);
    if (infoSize < kInfoHeaderSize || bits != 24 || compression != 0) {
        error = "only uncompressed 24-bit BMP files are supported";
        return false;
    }
    const bool bottomUp = signedHeight > 0;
    const std::int64_t height = bottomUp ? signedHeight : -signedHeight;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
        error = "BMP size out of range";
        return false;
    }
    const std::int64_t stride = RowStride(width, 24);
    if (pixelOffset < kFileHeaderSize + infoSize ||
        static_cast<std::int64_t>(pixelOffset) + stride * height >
            static_cast<std::int64_t>(file.size())) {
        error = "BMP file is truncated";
        return false;
    }

    Canvas decoded;
    if (!ResizeCanvas(decoded, static_cast<int>(width), static_cast<int>(height))) {
        error = "not enough memory for the picture";
        return false;
    }
    for (std::int64_t y = 0; y < height; ++y) {
        const std::int64_t fileRow = bottomUp ? height - 1 - y : y;
        const std::uint8_t* in = file.data() + pixelOffset + fileRow * stride;
        std::uint32_t* out = decoded.rgb.data() + y * width;
        for (std::int64_t x = 0; x < width; ++x, in += 3) out[x] = Rgb(in[2], in[1], in[0]);
    }
    canvas = std::move(decoded);
    return true;
}

bool LoadBmp24(const std::string& path, Canvas& canvas, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    return DecodeBmp24(bytes, canvas, error);
}

}  // namespace telorad::server
