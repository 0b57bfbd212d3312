#include "screen/bmp_file.h"

#include <cstring>
#include <exception>

#include "net/wire.h"

namespace telorad {
namespace {

constexpr int kInfoHeaderSize = 40;

void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

void EncodeBitmapInfoHeader(const BitmapInfoHeader& header, std::uint8_t* out) {
    PutU32(out, header.biSize);
    PutI32(out + 4, header.biWidth);
    PutI32(out + 8, header.biHeight);
    PutU16(out + 12, header.biPlanes);
    PutU16(out + 14, header.biBitCount);
    PutU32(out + 16, header.biCompression);
    PutU32(out + 20, header.biSizeImage);
    PutI32(out + 24, header.biXPelsPerMeter);
    PutI32(out + 28, header.biYPelsPerMeter);
    PutU32(out + 32, header.biClrUsed);
    PutU32(out + 36, header.biClrImportant);
}

// Empty when there is no picture to write (no bitmap, or no memory for the file's bytes).
std::vector<std::uint8_t> EncodeBmpFile(const ScreenBitmap& framebuffer) {
    if (framebuffer.flags == 0 || framebuffer.width < 0 || framebuffer.height < 0) return {};
    const std::int64_t stride = RowStride(framebuffer.width, framebuffer.bitsPerPixel);
    const std::int64_t imageSize = stride * framebuffer.height;
    if (stride != framebuffer.stride ||
        framebuffer.pixels.size() < static_cast<std::size_t>(imageSize)) {
        return {};
    }

    constexpr std::int64_t kPixelOffset = kBmpFileHeaderSize + kInfoHeaderSize;
    std::vector<std::uint8_t> file;
    try {
        file.resize(static_cast<std::size_t>(kPixelOffset + imageSize));
    } catch (const std::exception&) {
        return {};
    }
    std::uint8_t* out = file.data();
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out + 2, static_cast<std::uint32_t>(imageSize + kPixelOffset));
    PutU16(out + 6, 0);
    PutU16(out + 8, 0);
    PutU32(out + 10, static_cast<std::uint32_t>(kPixelOffset));
    EncodeBitmapInfoHeader(framebuffer.header, out + kBmpFileHeaderSize);

    // The file stores the bottom row first, whatever order the memory keeps.
    std::uint8_t* row = out + kPixelOffset;
    for (std::int64_t fileRow = 0; stride > 0 && fileRow < framebuffer.height; ++fileRow) {
        const std::int64_t memoryRow =
            framebuffer.rowOrder == RowOrder::BottomUp ? fileRow : framebuffer.height - 1 - fileRow;
        std::memcpy(row, framebuffer.pixels.data() + memoryRow * stride,
                    static_cast<std::size_t>(stride));
        row += stride;
    }
    return file;
}

}  // namespace telorad
