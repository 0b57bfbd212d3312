// The Windows implementations of the core's platform files, exercised for real: Winsock over
// loopback, the settings file's path and its atomic replacement, the code-page converter.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <vector>

#include "hosts/settings_file.h"
#include "hosts/settings_path.h"
#include "hosts/utf16_win32.h"
#include "net/transport.h"
#include "screen/snapshot_export.h"
#include "support/test_support.h"

namespace telorad {
namespace {

TEST(WinsockTransportTest, MovesBytesBothWaysAndNoticesTheClose) {
    Connection connection;
    TransportStartup(connection);
    std::uint16_t port = 0;
    const int listener = testing::ListenLoopback(&port);
    ASSERT_GE(listener, 0);
    ASSERT_TRUE(OpenConnection(connection, "127.0.0.1", port));
    const int peer = testing::AcceptWithTimeout(listener, 5000);
    ASSERT_GE(peer, 0);

    // More than two send chunks, so the split and the order are both seen.
    std::vector<std::uint8_t> out(2 * kSendChunk + 7);
    std::iota(out.begin(), out.end(), std::uint8_t{1});
    EXPECT_EQ(SendBytes(connection, out.data(), static_cast<int>(out.size())),
              static_cast<int>(out.size()));
    EXPECT_EQ(testing::ReadExactly(peer, out.size()), out);

    std::uint8_t in[4] = {};
    EXPECT_EQ(ReceiveAvailable(connection, in, 4), 0) << "nothing sent yet, and no wait";
    ASSERT_TRUE(testing::WriteAll(peer, {9, 8, 7, 6}));
    ASSERT_EQ(WaitReceivable(connection, 5000), 1);
    EXPECT_EQ(ReceiveAvailable(connection, in, 4), 4);
    EXPECT_EQ(std::vector<std::uint8_t>(in, in + 4), (std::vector<std::uint8_t>{9, 8, 7, 6}));

    closesocket(static_cast<SOCKET>(peer));
    ASSERT_EQ(WaitReceivable(connection, 5000), 1);
    EXPECT_EQ(ReceiveAvailable(connection, in, 4), -1) << "the peer closed";
    closesocket(static_cast<SOCKET>(listener));
    TransportShutdown(connection);
}

TEST(WinsockTransportTest, RefusedOrUnresolvableServersHoldNoSocket) {
    Connection connection;
    TransportStartup(connection);
    const testing::RefusingPort refusing;
    connection.connectTimeoutMs = 5000;
    for (const char* host : {"127.0.0.1", "255.255.255.255"}) {
        EXPECT_FALSE(OpenConnection(connection, host, refusing.port())) << host;
        EXPECT_EQ(connection.socket, kNoSocket) << host;
    }
    TransportShutdown(connection);
}

TEST(WindowsSettingsFileTest, LivesBesideTheExecutable) {
    wchar_t exe[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    const std::filesystem::path expected = std::filesystem::path(exe).parent_path() / "remote.ini";
    EXPECT_EQ(SettingsFilePath(), NarrowToUtf8(expected.wstring()));
}

TEST(WindowsSettingsFileTest, ReplacesWholeAndLeavesNoTemporaryFile) {
    const testing::TempDir temp;
    // A folder name no ANSI code page holds whole: the wide API takes it all the same.
    const std::filesystem::path dir = temp.path() / L"設定 ☃ Ω";
    ASSERT_TRUE(std::filesystem::create_directory(dir));
    const std::string path = NarrowToUtf8((dir / L"remote.ini").wstring());
    const struct {
        const char* name;
        std::string bytes;
    } saves[] = {
        {"new file", "[Client]\r\nHost00=a\r\n"},
        {"replaces a longer file", std::string(70000, 'x')},
        {"replaces with less", "[Client]\r\nPasswd00=\x83\x70\x83\x58\\\r\n"},
        {"empty", ""},
    };
    for (const auto& save : saves) {
        ASSERT_TRUE(ReplaceSettingsFile(path, save.bytes)) << save.name;
        std::string read;
        EXPECT_EQ(ReadSettingsFile(path, read), SettingsFileStatus::kRead) << save.name;
        EXPECT_EQ(read, save.bytes) << save.name;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                                std::filesystem::directory_iterator()),
                  1)
            << save.name;
    }
    std::string read;
    EXPECT_EQ(ReadSettingsFile(path + ".missing", read), SettingsFileStatus::kMissing);
    EXPECT_EQ(ReadSettingsFile(NarrowToUtf8(dir.wstring()), read),
              SettingsFileStatus::kUnreadable);
}

TEST(WindowsSnapshotTest, SavesUnderANameNoAnsiCodePageHolds) {
    const testing::TempDir dir;
    ScreenBitmap picture;
    CreateStartupPicture(picture);
    const std::filesystem::path file = dir.path() / L"画面 ☃.bmp";
    ASSERT_TRUE(WriteBmpFile(picture, NarrowToUtf8(file.wstring())));
    EXPECT_EQ(std::filesystem::file_size(file), 230454u);
}

}  // namespace
}  // namespace telorad
