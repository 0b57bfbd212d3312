#include "screen/bmp_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "screen/screen_bitmap.h"

namespace telorad {
namespace {

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The 54 header bytes of an uncompressed bottom-up BMP, spelled out field by field.
std::vector<std::uint8_t> ExpectedHeaders(std::uint32_t width, std::uint32_t height,
                                          std::uint16_t bits, std::uint32_t imageSize) {
    std::vector<std::uint8_t> h;
    auto u16 = [&h](std::uint32_t v) {
        h.push_back(static_cast<std::uint8_t>(v));
        h.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&u16](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    h.push_back('B');
    h.push_back('M');
    u32(imageSize + 54);
    u16(0);
    u16(0);
    u32(54);
    u32(40);
    u32(width);
    u32(height);
    u16(1);
    u16(bits);
    for (std::uint32_t v : {0u, imageSize, 0u, 0u, 0u, 0u}) u32(v);
    return h;
}

TEST(BmpFile, StartupPicture) {
    ScreenBitmap fb;
    CreateStartupPicture(fb);
    const std::vector<std::uint8_t> file = EncodeBmpFile(fb);
    ASSERT_EQ(file.size(), 230454u);
    EXPECT_EQ(U32At(file, 2), 230454u);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 54),
              ExpectedHeaders(320, 240, 24, 230400));
    EXPECT_TRUE(std::all_of(file.begin() + 54, file.end(), [](auto b) { return b == 0xFF; }));
}

TEST(BmpFile, RowsGoBottomUpWithPadding) {
    ScreenBitmap fb;
    ASSERT_TRUE(CreateScreenBitmap(fb, 1366, 768, 24, RowOrder::TopDown));
    ASSERT_EQ(fb.stride, 4100);
    // Every byte of picture row y (counted from the top), padding included, holds y's mark.
    auto mark = [](std::int64_t y, std::int64_t k) {
        return static_cast<std::uint8_t>(y * 3 + k % 7);
    };
    for (std::int64_t y = 0; y < 768; ++y) {
        for (std::int64_t k = 0; k < 4100; ++k) fb.pixels[y * 4100 + k] = mark(y, k);
    }

    const std::vector<std::uint8_t> file = EncodeBmpFile(fb);
    ASSERT_EQ(file.size(), 3148854u);
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 54),
              ExpectedHeaders(1366, 768, 24, 3148800));
    for (std::int64_t fileRow = 0; fileRow < 768; ++fileRow) {
        const std::int64_t pictureRow = 767 - fileRow;
        for (std::int64_t k = 0; k < 4100; ++k) {
            ASSERT_EQ(file[54 + fileRow * 4100 + k], mark(pictureRow, k))
                << "file row " << fileRow << " byte " << k;
        }
    }
}

TEST(BmpFile, BottomUpMemoryIsWrittenAsItIs) {
    // 16 bits, 3 pixels: 6 bytes of pixels and 2 of padding per row.
    ScreenBitmap tile;
    ASSERT_TRUE(CreateScreenBitmap(tile, 3, 2, 16, RowOrder::BottomUp));
    for (std::size_t k = 0; k < tile.pixels.size(); ++k)
        tile.pixels[k] = static_cast<std::uint8_t>(k);
    const std::vector<std::uint8_t> file = EncodeBmpFile(tile);
    std::vector<std::uint8_t> expected = ExpectedHeaders(3, 2, 16, 16);
    expected.insert(expected.end(), tile.pixels.begin(), tile.pixels.end());
    EXPECT_EQ(file, expected);
}

TEST(BmpFile, NoPictureGivesNoBytes) {
    ScreenBitmap none;
    EXPECT_TRUE(EncodeBmpFile(none).empty());
    ScreenBitmap cut;
    ASSERT_TRUE(CreateScreenBitmap(cut, 4, 4, 32, RowOrder::TopDown));
    cut.pixels.pop_back();
    EXPECT_TRUE(EncodeBmpFile(cut).empty());
}

TEST(BmpFile, InfoHeaderFieldOffsets) {
    BitmapInfoHeader h;
    h.biSize = 0x04030201;
    h.biWidth = -2;
    h.biHeight = 0x14131211;
    h.biPlanes = 0x2221;
    h.biBitCount = 0x2423;
    h.biCompression = 0x34333231;
    h.biSizeImage = 0x44434241;
    h.biXPelsPerMeter = 0x54535251;
    h.biYPelsPerMeter = 0x64636261;
    h.biClrUsed = 0x74737271;
    h.biClrImportant = 0x84838281;
    std::vector<std::uint8_t> out(41, 0xEE);
    EncodeBitmapInfoHeader(h, out.data());
    EXPECT_EQ(
        out, (std::vector<std::uint8_t>{
                 0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF, 0xFF, 0xFF, 0x11, 0x12, 0x13, 0x14, 0x21, 0x22,
                 0x23, 0x24, 0x31, 0x32, 0x33, 0x34, 0x41, 0x42, 0x43, 0x44, 0x51, 0x52, 0x53, 0x54,
                 0x61, 0x62, 0x63, 0x64, 0x71, 0x72, 0x73, 0x74, 0x81, 0x82, 0x83, 0x84, 0xEE}));
}

}  // namespace
}  // namespace telorad
