// Export of the whole picture: the BMP file, the printed page and the clipboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/client.h"
#include "app/recording_window_system.h"
#include "app/snapshot_commands.h"
#include "screen/snapshot_export.h"
#include "support/test_support.h"

namespace telorad {
namespace {

using testing::ReadFileBytes;
using testing::TempDir;

class SnapshotTest : public ::testing::Test {
  protected:
    TempDir dir;
    RecordingWindowSystem window;
    Client client{window};
};

TEST_F(SnapshotTest, SavingTheStartPictureWritesAWhite24BitFileOf230454Bytes) {
    const auto path = dir.path() / "start.bmp";
    window.saveFileName = path.string();
    EXPECT_TRUE(SaveSnapshot(client));
    const std::vector<std::uint8_t> file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), 230454u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(GetU32(file.data() + 2), 230454u);
    EXPECT_EQ(GetU32(file.data() + 10), 54u);
    EXPECT_EQ(GetU32(file.data() + 14), 40u);
    EXPECT_EQ(GetI32(file.data() + 18), 320);
    EXPECT_EQ(GetI32(file.data() + 22), 240);
    EXPECT_EQ(file[28], 24);
    EXPECT_TRUE(
        std::all_of(file.begin() + 54, file.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(SnapshotTest, SavingReplacesAnExistingFileWhole) {
    const auto path = dir.path() / "old.bmp";
    testing::WriteFileBytes(path, std::vector<std::uint8_t>(500000, 0x11));
    window.saveFileName = path.string();
    EXPECT_TRUE(SaveSnapshot(client));
    EXPECT_EQ(std::filesystem::file_size(path), 230454u);
}

TEST_F(SnapshotTest, A1366By768PictureHasPaddedRows) {
    DestroyScreenBitmap(client.framebuffer);
    ASSERT_TRUE(CreateScreenBitmap(client.framebuffer, 1366, 768, 24, RowOrder::TopDown));
    const auto path = dir.path() / "wide.bmp";
    window.saveFileName = path.string();
    EXPECT_TRUE(SaveSnapshot(client));
    const std::vector<std::uint8_t> file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), 3148854u);
    EXPECT_EQ(GetU32(file.data() + 2), 3148854u);
    EXPECT_EQ(GetU32(file.data() + 34), 3148800u);
}

TEST_F(SnapshotTest, CancelledOrUncreatableSavesWriteNothingAndSayFalse) {
    window.saveFileName = std::nullopt;
    EXPECT_FALSE(SaveSnapshot(client));
    window.saveFileName = (dir.path() / "missing-folder" / "x.bmp").string();
    EXPECT_FALSE(SaveSnapshot(client));
    window.saveFileName = dir.path().string();  // a directory
    EXPECT_FALSE(SaveSnapshot(client));
    EXPECT_EQ(window.saveDialogs, 3);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(PrintFitTest, FitsTheWidthUnlessTheHeightPlus64WouldNotFit) {
    const struct {
        std::int32_t pictureWidth, pictureHeight, printableWidth, printableHeight;
        std::int32_t width, height;
    } cases[] = {
        {1024, 768, 4800, 6600, 4800, 3600},
        {768, 1024, 6600, 4800, 3600, 4800},
        {800, 600, 4800, 3650, 4866, 3650},  // 3600 + 64 exceeds 3650
        {800, 600, 4800, 3664, 4800, 3600},  // exactly 3664 still fits the width
        {320, 240, 4961, 7016, 4961, 3720},
        {16384, 1, 100000, 100000, 100000, 6},
        {1, 16384, 100000, 100000, 6, 100000},
        {0, 240, 4800, 6600, 0, 0},
        {320, 0, 4800, 6600, 0, 0},
    };
    for (const auto& c : cases) {
        const PixelRect page =
            FitPrintRect(c.pictureWidth, c.pictureHeight, c.printableWidth, c.printableHeight);
        EXPECT_EQ(page.x, 0);
        EXPECT_EQ(page.y, 0);
        EXPECT_EQ(page.width, c.width) << c.pictureWidth << "x" << c.pictureHeight;
        EXPECT_EQ(page.height, c.height) << c.pictureWidth << "x" << c.pictureHeight;
    }
}

TEST_F(SnapshotTest, PrintStretchesTheWholePictureOntoOnePage) {
    DestroyScreenBitmap(client.framebuffer);
    ASSERT_TRUE(CreateScreenBitmap(client.framebuffer, 1024, 768, 24, RowOrder::TopDown));
    window.printableSize = std::nullopt;
    EXPECT_FALSE(PrintSnapshot(client));
    EXPECT_TRUE(window.printedPages.empty());
    window.printableSize = Size{4800, 6600};
    EXPECT_TRUE(PrintSnapshot(client));
    ASSERT_EQ(window.printedPages.size(), 1u);
    EXPECT_EQ(window.printedPages[0].width, 4800);
    EXPECT_EQ(window.printedPages[0].height, 3600);
}

TEST_F(SnapshotTest, CopyTakesTheWholeFramebufferWhateverTheViewShows) {
    DestroyScreenBitmap(client.framebuffer);
    ASSERT_TRUE(CreateScreenBitmap(client.framebuffer, 1024, 768, 32, RowOrder::TopDown));
    client.framebuffer.pixels[5] = 0x42;
    client.view.scrollX = 200;
    client.view.scrollY = 100;
    CopySnapshot(client);
    ASSERT_EQ(window.clipboard.size(), 1u);
    EXPECT_EQ(window.clipboard[0].width, 1024);
    EXPECT_EQ(window.clipboard[0].height, 768);
    EXPECT_EQ(window.clipboard[0].pixels, client.framebuffer.pixels);
}

}  // namespace
}  // namespace telorad
