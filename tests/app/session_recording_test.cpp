// Recording files: what the reader refuses, what a replay rebuilds, and the viewer opening one.
#include "app/session_recording.h"

#include <gtest/gtest.h>

#include "app/client.h"
#include "app/open_recording.h"
#include "app/recording_window_system.h"
#include "net/wire.h"
#include "support/test_support.h"

namespace telorad {
namespace {

std::vector<std::uint8_t> Message(std::uint32_t type, std::vector<std::uint8_t> payload) {
    std::vector<std::uint8_t> message(kHeaderSize);
    EncodeHeader({type, static_cast<std::uint32_t>(payload.size())}, message.data());
    message.insert(message.end(), payload.begin(), payload.end());
    return message;
}

std::vector<std::uint8_t> Update(std::uint32_t type, UpdateRect rect, std::vector<std::uint8_t> pixels) {
    std::vector<std::uint8_t> payload(kUpdateRectSize);
    EncodeUpdateRect(rect, payload.data());
    payload.insert(payload.end(), pixels.begin(), pixels.end());
    return Message(type, payload);
}

// A 2 x 1 picture at 32 bits with a 2-pixel tile: geometry at 0 s, a raw update at 1 s painting
// the left pixel, a run-length update at 2 s painting both pixels.
std::vector<std::uint8_t> SmallRecording() {
    std::vector<std::uint8_t> info(kScreenInfoSize);
    EncodeScreenInfo({0, 2, 1, 32, 2, 0}, info.data());
    std::vector<std::uint8_t> file = EncodeRecordingHeader();
    const auto add = [&](std::uint64_t micros, const std::vector<std::uint8_t>& message) {
        const auto record = EncodeRecord(micros, message.data(), message.size());
        file.insert(file.end(), record.begin(), record.end());
    };
    add(0, Message(MSG_SCREEN_INFO, info));
    // The tile is bottom-up: its first row is its last, so a 1-row update takes row 1's bytes.
    std::vector<std::uint8_t> raw(16, 0);
    raw[8] = 0x11;
    add(1000000, Update(MSG_SCREEN_RAW, {0, 0, 1, 1}, raw));
    // 8 words of 0x2222, then the end.
    add(2000000, Update(MSG_SCREEN_RLE, {0, 0, 2, 1}, {0x08, 0x80, 0x22, 0x22, 0, 0}));
    return file;
}

TEST(SessionRecordingTest, ReplaysUpToEachMoment) {
    const std::vector<std::uint8_t> file = SmallRecording();
    std::vector<RecordedMessage> messages;
    std::string error;
    ASSERT_TRUE(ReadRecording(file, messages, error)) << error;
    ASSERT_EQ(messages.size(), 3u);
    const struct {
        std::uint64_t micros;
        std::uint8_t left, right;
    } cases[] = {{0, 0, 0}, {999999, 0, 0}, {1000000, 0x11, 0}, {UINT64_MAX, 0x22, 0x22}};
    for (const auto& c : cases) {
        ScreenBitmap framebuffer, tile;
        ASSERT_TRUE(ReplayRecording(file, messages, c.micros, framebuffer, tile, error)) << error;
        ASSERT_EQ(framebuffer.width, 2);
        EXPECT_EQ(framebuffer.pixels[0], c.left) << c.micros;
        EXPECT_EQ(framebuffer.pixels[4], c.right) << c.micros;
    }
}

TEST(SessionRecordingTest, DamagedFilesAreRefusedWithAReason) {
    const std::vector<std::uint8_t> good = SmallRecording();
    const std::size_t firstRecord = kRecordingHeaderSize;
    const std::size_t secondRecord = firstRecord + kRecordHeaderSize + 32;
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const auto cut = [&](std::size_t size) {
        return std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(size));
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* reason;  // the start of the message, or nullptr: read, then refused in replay
    } cases[] = {
        {"empty", {}, "not a recording"},
        {"wrong magic", changed(0, 'X'), "not a recording"},
        {"version 2", changed(8, 2), "recording version 2"},
        {"cut in a record header", cut(firstRecord + 5), "damaged recording: message 1"},
        {"cut in a message", cut(secondRecord - 1), "damaged recording: message 1"},
        {"size beyond the file", changed(firstRecord + 11, 0x7F), "damaged recording: message 1"},
        {"time going back", changed(secondRecord + 3, 0xFF), "damaged recording: message 3"},
        {"unknown type", changed(firstRecord + kRecordHeaderSize, 9), "damaged recording: message 1"},
        {"update length off", changed(secondRecord + kRecordHeaderSize + 4, 31),
         "damaged recording: message 2"},
        {"depth 12", changed(firstRecord + kRecordHeaderSize + 8 + 12, 12), nullptr},
        {"tile side 0", changed(firstRecord + kRecordHeaderSize + 8 + 16, 0), nullptr},
    };
    for (const auto& c : cases) {
        std::vector<RecordedMessage> messages;
        std::string error;
        ScreenBitmap framebuffer, tile;
        const bool read = ReadRecording(c.bytes, messages, error);
        const bool replayed =
            read && ReplayRecording(c.bytes, messages, UINT64_MAX, framebuffer, tile, error);
        EXPECT_FALSE(replayed) << c.what;
        EXPECT_EQ(read, c.reason == nullptr) << c.what << ": " << error;
        if (c.reason != nullptr) {
            EXPECT_EQ(error.rfind(c.reason, 0), 0u) << c.what << ": " << error;
        }
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(SessionRecordingTest, TheViewerShowsARecordingOrSaysWhyNot) {
    testing::TempDir dir;
    RecordingWindowSystem window;
    Client client{window};
    const auto path = (dir.path() / "session.rec").string();
    const std::vector<std::uint8_t> good = SmallRecording();
    testing::WriteFileBytes(path, std::vector<std::uint8_t>(good.begin(), good.end() - 1));
    EXPECT_FALSE(OpenRecording(client, path));
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_NE(window.messageBoxes[0].text.find("damaged recording"), std::string::npos);
    EXPECT_EQ(client.framebuffer.width, kStartupWidth);  // the picture is left as it was

    testing::WriteFileBytes(path, good);
    EXPECT_TRUE(OpenRecording(client, path));
    EXPECT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_EQ(client.framebuffer.width, 2);
    EXPECT_EQ(client.framebuffer.pixels[0], 0x22);
}

}  // namespace
}  // namespace telorad
