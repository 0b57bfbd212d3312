#include "screen/update_rect.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

#include "screen/rle.h"
#include "screen/screen_bitmap.h"

namespace telorad {
namespace {

struct Screen {
    ScreenBitmap framebuffer;
    ScreenBitmap tile;
};

Screen MakeScreen(std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                  std::uint32_t tileSize) {
    Screen screen;
    ScreenInfo info;
    info.width = width;
    info.height = height;
    info.bitsPerPixel = depth;
    info.tileSize = tileSize;
    EXPECT_TRUE(ApplyScreenInfo(screen.framebuffer, screen.tile, info));
    return screen;
}

// Payload bytes as the server sends them: byte k lands at tile memory offset k.
void ReceiveRaw(ScreenBitmap& tile, const std::vector<std::uint8_t>& payload) {
    ASSERT_LE(payload.size(), tile.pixels.size());
    std::memcpy(tile.pixels.data(), payload.data(), payload.size());
}

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t k = 0; k < size; ++k) bytes[k] = static_cast<std::uint8_t>(k % 251 + 1);
    return bytes;
}

// The framebuffer's bytes of pixels [x0, x0 + count) of picture row y (top-down layout).
std::vector<std::uint8_t> FramebufferBytes(const ScreenBitmap& fb, int x0, int y, int count) {
    const int bpp = fb.bitsPerPixel / 8;
    const auto* row = fb.pixels.data() + static_cast<std::size_t>(y) * fb.stride;
    return {row + x0 * bpp, row + (x0 + count) * bpp};
}

bool PixelRectIs(const PixelRect& r, int x, int y, int w, int h) {
    return r.x == x && r.y == y && r.width == w && r.height == h;
}

TEST(ApplyUpdateRect, WorkedExample) {
    // T = 64 at 24 bits: S = 192, tile memory 12288 bytes; a 10 × 2 rectangle at (100, 50).
    Screen s = MakeScreen(200, 100, 24, 64);
    ASSERT_EQ(s.tile.stride, 192);
    ASSERT_EQ(s.tile.pixels.size(), 12288u);
    const std::vector<std::uint8_t> payload = Pattern(12288);
    ReceiveRaw(s.tile, payload);

    EXPECT_TRUE(
        PixelRectIs(ApplyUpdateRect(s.framebuffer, s.tile, 100, 50, 10, 2), 100, 50, 10, 2));

    EXPECT_EQ(FramebufferBytes(s.framebuffer, 100, 50, 10),
              std::vector<std::uint8_t>(payload.begin() + 12096, payload.begin() + 12126));
    EXPECT_EQ(FramebufferBytes(s.framebuffer, 100, 51, 10),
              std::vector<std::uint8_t>(payload.begin() + 11904, payload.begin() + 11934));
    // The 20 pixels are all that changed: the rest of the new framebuffer is still black.
    std::size_t nonZero = 0;
    for (std::uint8_t b : s.framebuffer.pixels) nonZero += b != 0;
    EXPECT_EQ(nonZero, 60u);
}

TEST(ApplyUpdateRect, ShortPayloadShowsOlderTileBytes) {
    Screen s = MakeScreen(200, 100, 24, 64);
    ReceiveRaw(s.tile, std::vector<std::uint8_t>(12288, 0x11));
    // A later payload reaches row 62 and the first 5 pixels of row 63 (the rectangle's top).
    ReceiveRaw(s.tile, std::vector<std::uint8_t>(12096 + 15, 0x22));
    ApplyUpdateRect(s.framebuffer, s.tile, 0, 0, 10, 2);

    std::vector<std::uint8_t> top(15, 0x22);
    top.resize(30, 0x11);
    EXPECT_EQ(FramebufferBytes(s.framebuffer, 0, 0, 10), top);
    EXPECT_EQ(FramebufferBytes(s.framebuffer, 0, 1, 10), std::vector<std::uint8_t>(30, 0x22));
}

TEST(ApplyUpdateRect, EmptyRectangleChangesNothing) {
    Screen s = MakeScreen(16, 16, 24, 8);
    ReceiveRaw(s.tile, Pattern(s.tile.pixels.size()));
    for (auto [w, h] : {std::pair{0, 4}, {4, 0}, {0, 0}, {-1, 4}, {4, -3}}) {
        EXPECT_TRUE(ApplyUpdateRect(s.framebuffer, s.tile, 2, 2, w, h).Empty());
    }
    EXPECT_EQ(s.framebuffer.pixels, std::vector<std::uint8_t>(s.framebuffer.pixels.size(), 0));
}

TEST(ApplyUpdateRect, SixteenBitLayout) {
    // 5 × 4 framebuffer: rows of 10 pixel bytes padded to 12. Tile T = 4: rows of 8 bytes.
    Screen s = MakeScreen(5, 4, 16, 4);
    ASSERT_EQ(s.framebuffer.stride, 12);
    ASSERT_EQ(s.tile.stride, 8);
    // Tile picture row 0 is memory row 3 (offset 24), picture row 1 is memory row 2 (offset 16).
    std::vector<std::uint8_t> payload(32, 0);
    const std::uint8_t top[] = {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C};     // blue, green, red
    const std::uint8_t second[] = {0xFF, 0x7F, 0x00, 0x00, 0x34, 0x12};  // white, black, other
    std::memcpy(payload.data() + 24, top, sizeof top);
    std::memcpy(payload.data() + 16, second, sizeof second);
    ReceiveRaw(s.tile, payload);

    EXPECT_TRUE(PixelRectIs(ApplyUpdateRect(s.framebuffer, s.tile, 2, 1, 3, 2), 2, 1, 3, 2));
    // Row 1 of the framebuffer starts at byte 12; column 2 at byte 4 of the row.
    EXPECT_EQ(std::vector<std::uint8_t>(s.framebuffer.pixels.begin() + 16,
                                        s.framebuffer.pixels.begin() + 22),
              std::vector<std::uint8_t>(top, top + 6));
    EXPECT_EQ(std::vector<std::uint8_t>(s.framebuffer.pixels.begin() + 28,
                                        s.framebuffer.pixels.begin() + 34),
              std::vector<std::uint8_t>(second, second + 6));
    EXPECT_EQ(s.framebuffer.pixels[10], 0);  // padding of row 0
}

TEST(ApplyUpdateRect, ThirtyTwoBitLayoutFromRleWords) {
    // At 32 bits a pixel is two code words: B,G then R,unused.
    Screen s = MakeScreen(3, 3, 32, 2);
    ASSERT_EQ(s.tile.stride, 8);
    // Bottom tile row (memory row 0): 2 pixels of 0x0A0B0C0D; top (memory row 1): literal.
    const std::uint8_t code[] = {0x04, 0x80, 0x0D, 0x0C,                          // run of 4
                                 0x04, 0x00, 0x01, 0x02, 0x03, 0x00, 0x04, 0x05,  // literal 4
                                 0x06, 0x00};
    ASSERT_TRUE(DecodeRle16(code, sizeof code >> 1, s.tile.pixels.data(), s.tile.pixels.size()));

    ApplyUpdateRect(s.framebuffer, s.tile, 1, 1, 2, 2);
    EXPECT_EQ(FramebufferBytes(s.framebuffer, 1, 1, 2),
              (std::vector<std::uint8_t>{0x01, 0x02, 0x03, 0x00, 0x04, 0x05, 0x06, 0x00}));
    EXPECT_EQ(FramebufferBytes(s.framebuffer, 1, 2, 2),
              (std::vector<std::uint8_t>{0x0D, 0x0C, 0x0D, 0x0C, 0x0D, 0x0C, 0x0D, 0x0C}));
    EXPECT_EQ(FramebufferBytes(s.framebuffer, 0, 0, 3), std::vector<std::uint8_t>(12, 0));
}

struct ClipCase {
    const char* name;
    std::int32_t x, y, w, h;
    PixelRect expected;
};

class ClipTable : public ::testing::TestWithParam<ClipCase> {};

// Framebuffer 8 × 6, tile 4 × 4, 24 bits. Every framebuffer pixel is checked against a
// pixel-by-pixel model: inside the expected rectangle it shows tile pixel (px − x, py − y).
TEST_P(ClipTable, CopiesOnlyTheClippedRectangle) {
    const ClipCase& c = GetParam();
    Screen s = MakeScreen(8, 6, 24, 4);
    ReceiveRaw(s.tile, Pattern(s.tile.pixels.size()));

    const PixelRect r = ApplyUpdateRect(s.framebuffer, s.tile, c.x, c.y, c.w, c.h);
    if (c.expected.Empty()) {
        EXPECT_TRUE(r.Empty());
    } else {
        EXPECT_TRUE(
            PixelRectIs(r, c.expected.x, c.expected.y, c.expected.width, c.expected.height));
    }

    for (int py = 0; py < 6; ++py) {
        for (int px = 0; px < 8; ++px) {
            const bool inside = !c.expected.Empty() && px >= c.expected.x &&
                                px < c.expected.x + c.expected.width && py >= c.expected.y &&
                                py < c.expected.y + c.expected.height;
            std::vector<std::uint8_t> want(3, 0);
            if (inside) {
                const std::int64_t tx = px - std::int64_t{c.x};
                const std::int64_t ty = py - std::int64_t{c.y};
                const std::int64_t offset = (4 - 1 - ty) * s.tile.stride + tx * 3;
                want.assign(s.tile.pixels.begin() + offset, s.tile.pixels.begin() + offset + 3);
            }
            ASSERT_EQ(FramebufferBytes(s.framebuffer, px, py, 1), want)
                << "pixel " << px << "," << py;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clipping, ClipTable,
    ::testing::Values(ClipCase{"Inside", 1, 1, 3, 2, {1, 1, 3, 2}},
                      ClipCase{"WiderAndTallerThanTile", 2, 1, 100, 100, {2, 1, 4, 4}},
                      ClipCase{"LeftEdge", -2, 1, 4, 4, {0, 1, 2, 4}},
                      ClipCase{"TopEdge", 1, -3, 4, 4, {1, 0, 4, 1}},
                      ClipCase{"RightEdge", 6, 0, 4, 4, {6, 0, 2, 4}},
                      ClipCase{"BottomEdge", 0, 4, 4, 4, {0, 4, 4, 2}},
                      ClipCase{"AllEdgesAtOnce", -1, -1, 100, 100, {0, 0, 3, 3}},
                      ClipCase{"JustLeftOfFramebuffer", -4, 0, 4, 4, {}},
                      ClipCase{"JustBelowFramebuffer", 0, 6, 4, 4, {}},
                      ClipCase{"JustRightOfFramebuffer", 8, 0, 4, 4, {}},
                      ClipCase{"MinX", INT32_MIN, 0, 4, 4, {}},
                      ClipCase{"MinY", 0, INT32_MIN, INT32_MAX, INT32_MAX, {}},
                      ClipCase{"MaxX", INT32_MAX, 0, INT32_MAX, 4, {}},
                      ClipCase{"MaxY", 0, INT32_MAX, 4, INT32_MAX, {}},
                      ClipCase{"MinSizes", 0, 0, INT32_MIN, INT32_MIN, {}},
                      ClipCase{"MaxSizes", 5, 3, INT32_MAX, INT32_MAX, {5, 3, 3, 3}},
                      ClipCase{"NegativeWidthOnLeft", -3, 0, -4, 4, {}}),
    [](const ::testing::TestParamInfo<ClipCase>& info) { return info.param.name; });

TEST(ApplyUpdateRect, NeedsBothBitmapsOfOneDepth) {
    Screen s = MakeScreen(8, 8, 24, 4);
    ReceiveRaw(s.tile, Pattern(s.tile.pixels.size()));

    ScreenBitmap noTile;
    EXPECT_TRUE(ApplyUpdateRect(s.framebuffer, noTile, 0, 0, 4, 4).Empty());
    ScreenBitmap noFramebuffer;
    EXPECT_TRUE(ApplyUpdateRect(noFramebuffer, s.tile, 0, 0, 4, 4).Empty());

    ScreenBitmap tile16;
    ASSERT_TRUE(CreateScreenBitmap(tile16, 4, 4, 16, RowOrder::BottomUp));
    std::fill(tile16.pixels.begin(), tile16.pixels.end(), 0x77);
    EXPECT_TRUE(ApplyUpdateRect(s.framebuffer, tile16, 0, 0, 4, 4).Empty());

    // A record whose memory is shorter than its geometry says is not read.
    s.tile.pixels.resize(s.tile.pixels.size() - 1);
    EXPECT_TRUE(ApplyUpdateRect(s.framebuffer, s.tile, 0, 0, 4, 4).Empty());
    EXPECT_EQ(s.framebuffer.pixels, std::vector<std::uint8_t>(s.framebuffer.pixels.size(), 0));
}

}  // namespace
}  // namespace telorad
