#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "screen/screen_bitmap.h"

namespace telorad {
namespace {

ScreenInfo Info(std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                std::uint32_t tileSize) {
    ScreenInfo info;
    info.width = width;
    info.height = height;
    info.bitsPerPixel = depth;
    info.tileSize = tileSize;
    return info;
}

TEST(ScreenBitmap, StartupPictureIsWhite320x240) {
    ScreenBitmap fb;
    CreateStartupPicture(fb);
    EXPECT_EQ(fb.flags, 1u);
    EXPECT_EQ(fb.width, 320);
    EXPECT_EQ(fb.height, 240);
    EXPECT_EQ(fb.bitsPerPixel, 24);
    EXPECT_EQ(fb.stride, 960);
    ASSERT_EQ(fb.pixels.size(), 230400u);
    EXPECT_TRUE(std::all_of(fb.pixels.begin(), fb.pixels.end(), [](auto b) { return b == 0xFF; }));
}

TEST(ScreenBitmap, DestroyIsSafeTwiceAndOnNew) {
    ScreenBitmap bitmap;
    DestroyScreenBitmap(bitmap);
    EXPECT_EQ(bitmap.flags, 0u);
    ASSERT_TRUE(CreateScreenBitmap(bitmap, 4, 4, 16, RowOrder::TopDown));
    DestroyScreenBitmap(bitmap);
    DestroyScreenBitmap(bitmap);
    EXPECT_EQ(bitmap.flags, 0u);
    EXPECT_TRUE(bitmap.pixels.empty());
}

TEST(ScreenBitmap, RowStridePadsToFourBytes) {
    const struct {
        std::int64_t width, bits, stride;
    } cases[] = {{1, 16, 4},
                 {2, 16, 4},
                 {3, 16, 8},
                 {1, 24, 4},
                 {1366, 24, 4100},
                 {320, 24, 960},
                 {5, 32, 20},
                 {0, 24, 0},
                 {16384, 32, 65536},
                 {-1, 24, -1},
                 {1, std::int64_t{1} << 31, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(RowStride(c.width, c.bits), c.stride) << c.width << " × " << c.bits;
    }
}

TEST(ApplyScreenInfo, RebuildsBothBlack) {
    ScreenBitmap fb, tile;
    CreateStartupPicture(fb);
    ASSERT_TRUE(ApplyScreenInfo(fb, tile, Info(1366, 768, 0, 64)));

    EXPECT_EQ(fb.bitsPerPixel, 24);  // depth 0 stands for 24
    EXPECT_EQ(fb.width, 1366);
    EXPECT_EQ(fb.height, 768);
    EXPECT_EQ(fb.rowOrder, RowOrder::TopDown);
    EXPECT_EQ(fb.pixels.size(), 4100u * 768);
    EXPECT_TRUE(std::all_of(fb.pixels.begin(), fb.pixels.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(fb.header.biHeight, 768);
    EXPECT_EQ(fb.header.biBitCount, 24);
    EXPECT_EQ(fb.header.biSizeImage, 4100u * 768);

    EXPECT_EQ(tile.flags, 1u);
    EXPECT_EQ(tile.bitsPerPixel, 24);
    EXPECT_EQ(tile.width, 64);
    EXPECT_EQ(tile.height, 64);
    EXPECT_EQ(tile.rowOrder, RowOrder::BottomUp);
    EXPECT_EQ(tile.pixels.size(), 12288u);
}

struct GeometryCase {
    const char* name;
    ScreenInfo info;
    bool accepted;
    std::int64_t limit = kMaxPictureBytes;  // the client's pictureLimitBytes
};

class GeometryTable : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(GeometryTable, RefusedGeometryKeepsBothRecords) {
    const GeometryCase& c = GetParam();
    ScreenBitmap fb, tile;
    ASSERT_TRUE(ApplyScreenInfo(fb, tile, Info(10, 10, 32, 4)));
    std::fill(fb.pixels.begin(), fb.pixels.end(), 0x5A);
    std::fill(tile.pixels.begin(), tile.pixels.end(), 0xA5);

    EXPECT_EQ(ApplyScreenInfo(fb, tile, c.info, c.limit), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(fb.width, static_cast<std::int32_t>(c.info.width));
        EXPECT_EQ(tile.width, static_cast<std::int32_t>(c.info.tileSize));
        return;
    }
    EXPECT_EQ(fb.flags, 1u);
    EXPECT_EQ(fb.width, 10);
    EXPECT_EQ(fb.bitsPerPixel, 32);
    EXPECT_EQ(fb.pixels, std::vector<std::uint8_t>(400, 0x5A));
    EXPECT_EQ(tile.flags, 1u);
    EXPECT_EQ(tile.width, 4);
    EXPECT_EQ(tile.pixels, std::vector<std::uint8_t>(64, 0xA5));
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, GeometryTable,
    ::testing::Values(GeometryCase{"Depth16", Info(3, 2, 16, 2), true},
                      GeometryCase{"Depth24", Info(3, 2, 24, 2), true},
                      GeometryCase{"Depth32", Info(3, 2, 32, 2), true},
                      GeometryCase{"LargestSideAccepted", Info(16384, 1, 32, 16384 / 64), true},
                      GeometryCase{"EmptyFramebufferAccepted", Info(0, 0, 24, 8), true},
                      GeometryCase{"Depth8", Info(3, 2, 8, 2), false},
                      GeometryCase{"Depth1", Info(3, 2, 1, 2), false},
                      GeometryCase{"Depth15", Info(3, 2, 15, 2), false},
                      GeometryCase{"Depth64", Info(3, 2, 64, 2), false},
                      GeometryCase{"DepthAllOnes", Info(3, 2, 0xFFFFFFFF, 2), false},
                      GeometryCase{"TileZero", Info(3, 2, 24, 0), false},
                      GeometryCase{"Width16385", Info(16385, 1, 16, 2), false},
                      GeometryCase{"Height16385", Info(1, 16385, 16, 2), false},
                      GeometryCase{"Tile16385", Info(1, 1, 16, 16385), false},
                      GeometryCase{"LargestTileAccepted", Info(8, 8, 32, 4096), true},
                      GeometryCase{"Tile4097", Info(8, 8, 32, 4097), false},
                      GeometryCase{"WidthAllOnes", Info(0xFFFFFFFF, 1, 32, 2), false},
                      GeometryCase{"HeightAllOnes", Info(1, 0xFFFFFFFF, 32, 2), false},
                      GeometryCase{"TileAllOnes", Info(1, 1, 32, 0xFFFFFFFF), false},
                      GeometryCase{"SignBitSides", Info(0x80000000, 0x80000000, 32, 0x80000000),
                                   false},
                      // 0x10000 × 0x10000 × 4 wraps to 0 in 32 bits.
                      GeometryCase{"WrapsTo0In32Bits", Info(0x10000, 0x10000, 32, 2), false},
                      GeometryCase{"PictureAtALoweredLimit", Info(16, 16, 32, 4), true, 1024},
                      GeometryCase{"PictureAboveALoweredLimit", Info(16, 17, 32, 4), false, 1024},
                      GeometryCase{"TileAboveALoweredLimit", Info(4, 4, 32, 32), false, 1024}),
    [](const ::testing::TestParamInfo<GeometryCase>& info) { return info.param.name; });

TEST(CreateScreenBitmap, RefusesBadRequestsLeavingRecordEmpty) {
    const struct {
        std::int64_t width, height, depth;
    } cases[] = {{-1, 1, 24}, {1, -1, 24},        {16385, 1, 24},     {1, 16385, 24},   {1, 1, 8},
                 {1, 1, -24}, {INT64_MAX, 1, 32}, {1, INT64_MIN, 32}, {1, 1, INT64_MAX}};
    for (const auto& c : cases) {
        ScreenBitmap bitmap;
        ASSERT_TRUE(CreateScreenBitmap(bitmap, 2, 2, 24, RowOrder::TopDown));
        EXPECT_FALSE(CreateScreenBitmap(bitmap, c.width, c.height, c.depth, RowOrder::TopDown))
            << c.width << " × " << c.height << " × " << c.depth;
        EXPECT_EQ(bitmap.flags, 0u);
        EXPECT_TRUE(bitmap.pixels.empty());
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define TELORAD_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TELORAD_UNDER_ASAN 1
#endif
#endif

// A geometry within the caps that the system cannot allocate: in a child process limited to a
// little address space, ApplyScreenInfo reports failure and leaves both records empty.
TEST(ApplyScreenInfo, FailedAllocationLeavesBothEmpty) {
#ifdef TELORAD_UNDER_ASAN
    GTEST_SKIP() << "the address-space limit cannot be combined with AddressSanitizer";
#else
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ScreenBitmap fb, tile;
        CreateStartupPicture(fb);
        const rlimit limit{256u << 20, 256u << 20};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
        // A small tile fits; the 1 GiB framebuffer after it does not.
        const bool applied = ApplyScreenInfo(fb, tile, Info(16384, 16384, 32, 64));
        const bool empty =
            fb.flags == 0 && fb.pixels.empty() && tile.flags == 0 && tile.pixels.empty();
        _exit(!applied && empty ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

}  // namespace
}  // namespace telorad
