#include "screen/rgb_image.h"

#include <cstdlib>
#include <cstring>

#include "net/wire.h"
#include "screen/bmp_file.h"

namespace telorad {

namespace {

// One pixel of a row at `depth` as R, G, B.
void PixelToRgb(const std::uint8_t* p, int depth, std::uint8_t* out) {
    if (depth == 16) {
        const unsigned v = p[0] | p[1] << 8;
        const auto expand = [](unsigned five) { return static_cast<std::uint8_t>(five << 3 | five >> 2); };
        out[0] = expand(v >> 10 & 0x1F);
        out[1] = expand(v >> 5 & 0x1F);
        out[2] = expand(v & 0x1F);
    } else {
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
    }
}

std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

}  // namespace

bool CopyBitmapRegion(const ScreenBitmap& picture, std::int32_t x, std::int32_t y, std::int32_t w,
                      std::int32_t h, ScreenBitmap& out) {
    DestroyScreenBitmap(out);
    if (picture.flags == 0 || w <= 0 || h <= 0 || x < 0 || y < 0 ||
        std::int64_t{x} + w > picture.width || std::int64_t{y} + h > picture.height) {
        return false;
    }
    if (!CreateScreenBitmap(out, w, h, picture.bitsPerPixel, RowOrder::TopDown)) return false;
    const int bytesPerPixel = picture.bitsPerPixel / 8;
    for (std::int32_t row = 0; row < h; ++row) {
        const std::int32_t sourceRow =
            picture.rowOrder == RowOrder::TopDown ? y + row : picture.height - 1 - (y + row);
        std::memcpy(out.pixels.data() + static_cast<std::size_t>(row) * out.stride,
                    picture.pixels.data() + static_cast<std::size_t>(sourceRow) * picture.stride +
                        static_cast<std::size_t>(x) * bytesPerPixel,
                    static_cast<std::size_t>(w) * bytesPerPixel);
    }
    return true;
}

RgbImage BitmapToRgb(const ScreenBitmap& picture) {
    RgbImage image;
    if (picture.flags == 0) return image;
    image.width = picture.width;
    image.height = picture.height;
    image.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    const int bytesPerPixel = picture.bitsPerPixel / 8;
    std::uint8_t* out = image.rgb.data();
    for (std::int32_t y = 0; y < picture.height; ++y) {
        const std::int32_t row = picture.rowOrder == RowOrder::TopDown ? y : picture.height - 1 - y;
        const std::uint8_t* in = picture.pixels.data() + static_cast<std::size_t>(row) * picture.stride;
        for (std::int32_t x = 0; x < picture.width; ++x, out += 3) {
            PixelToRgb(in + static_cast<std::size_t>(x) * bytesPerPixel, picture.bitsPerPixel, out);
        }
    }
    return image;
}

bool DecodeBmpFile(const std::vector<std::uint8_t>& bytes, RgbImage& image, std::string& error) {
    constexpr std::size_t kHeaders = kBmpFileHeaderSize + 40;
    if (bytes.size() < kHeaders || bytes[0] != 'B' || bytes[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    const std::uint8_t* info = bytes.data() + kBmpFileHeaderSize;
    const std::uint32_t offset = GetU32(bytes.data() + 10);
    const std::int32_t width = GetI32(info + 4);
    const std::int32_t signedHeight = GetI32(info + 8);
    const int depth = GetU16(info + 14);
    const std::uint32_t compression = GetU32(info + 16);
    if (GetU32(info) < 40 || compression != 0 || (depth != 16 && depth != 24 && depth != 32)) {
        error = "only uncompressed BMP files of 16, 24 or 32 bits per pixel are read";
        return false;
    }
    const std::int64_t height = std::llabs(std::int64_t{signedHeight});
    if (width <= 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        error = "the BMP file's size is out of range";
        return false;
    }
    const std::int64_t stride = RowStride(width, depth);
    if (offset < kHeaders || offset > bytes.size() ||
        (bytes.size() - offset) / static_cast<std::uint64_t>(stride) < static_cast<std::uint64_t>(height)) {
        error = "the BMP file is cut short";
        return false;
    }
    ScreenBitmap picture;
    picture.flags = 1;
    picture.bitsPerPixel = depth;
    picture.width = width;
    picture.height = static_cast<std::int32_t>(height);
    picture.stride = static_cast<std::int32_t>(stride);
    picture.rowOrder = signedHeight < 0 ? RowOrder::TopDown : RowOrder::BottomUp;
    picture.pixels.assign(bytes.begin() + offset, bytes.begin() + offset + stride * height);
    image = BitmapToRgb(picture);
    return true;
}

int LargestChannelDifference(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return -1;
    int largest = 0;
    for (std::size_t n = 0; n < a.rgb.size(); ++n) {
        const int difference = std::abs(int{a.rgb[n]} - int{b.rgb[n]});
        if (difference > largest) largest = difference;
    }
    return largest;
}

}  // namespace telorad
