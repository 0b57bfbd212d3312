// telorad-cli record and replay: about 5 s of the animated, encrypted server recorded, every
// picture the recording passes through rebuilt by replay and compared with the server's own.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/session_recording.h"
#include "net/wire.h"
#include "support/test_support.h"

namespace telorad {
namespace {

using testing::ReadFileBytes;
using testing::RunProgram;

const std::string kServer = TELORAD_SERVER_PATH;
const std::string kCli = TELORAD_CLI_PATH;
constexpr int kFrames = 25;

TEST(CliRecord, ReplayShowsEachFrameTheServerSentAndRefusesDamage) {
    testing::TempDir dir;
    const auto path = [&](const std::string& name) { return (dir.path() / name).string(); };
    std::ofstream(path("pw")) << "secret\n";
    const std::vector<std::string> picture = {"--size", "160x120", "--tile", "32"};
    std::vector<std::string> serverArgs = picture;
    serverArgs.insert(serverArgs.end(), {"--fps", "10", "--frames", std::to_string(kFrames),
                                         "--auth", "digest", "--encrypt", "--password-file",
                                         path("pw")});
    testing::ServerProcess server(kServer, serverArgs, dir.path());

    // An existing file is replaced and narrowed to its owner.
    std::ofstream(path("session.rec")) << "old";
    std::filesystem::permissions(path("session.rec"), std::filesystem::perms(0644));
    ASSERT_EQ(RunProgram({kCli, "record", "--password-file", path("pw"), "--duration", "5",
                          "127.0.0.1:" + std::to_string(server.port()), path("session.rec")}),
              0);
    EXPECT_EQ(std::filesystem::status(path("session.rec")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    std::vector<std::vector<std::uint8_t>> frames(kFrames + 1);
    for (int k = 1; k <= kFrames; ++k) {
        std::vector<std::string> argv = {kServer, "--dump-frame", path("frame.bmp"), "--frames",
                                         std::to_string(k)};
        argv.insert(argv.end(), picture.begin(), picture.end());
        ASSERT_EQ(RunProgram(argv), 0);
        frames[k] = ReadFileBytes(path("frame.bmp"));
    }

    // A frame's tiles arrive together; the server sends one every 100 ms. Replay at the last
    // message of each burst of updates must show one of the server's frames, each later than
    // the one before (a busy machine may merge bursts, never reorder them).
    const std::vector<std::uint8_t> recording = ReadFileBytes(path("session.rec"));
    std::vector<RecordedMessage> messages;
    std::string error;
    ASSERT_TRUE(ReadRecording(recording, messages, error)) << error;
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(GetU32(recording.data() + messages[0].offset), MSG_SCREEN_INFO);
    std::vector<std::uint64_t> burstEnds;
    for (std::size_t n = 1; n < messages.size(); ++n) {
        if (n + 1 == messages.size() || messages[n + 1].micros - messages[n].micros > 50000) {
            burstEnds.push_back(messages[n].micros);
        }
    }
    ASSERT_GE(burstEnds.size(), 2u);
    int lastFrame = 0;
    for (const std::uint64_t at : burstEnds) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.6f", static_cast<double>(at) / 1e6);
        ASSERT_EQ(RunProgram({kCli, "replay", path("session.rec"), path("replayed.bmp"), "--at",
                              seconds}),
                  0);
        const std::vector<std::uint8_t> replayed = ReadFileBytes(path("replayed.bmp"));
        int found = 0;
        for (int k = lastFrame + 1; k <= kFrames && found == 0; ++k) {
            if (replayed == frames[k]) found = k;
        }
        EXPECT_NE(found, 0) << "at " << seconds << " s, after frame " << lastFrame;
        if (found != 0) lastFrame = found;
    }
    EXPECT_EQ(lastFrame, kFrames);

    // A recording of three frames ends with the third.
    ASSERT_EQ(RunProgram({kCli, "record", "--password-file", path("pw"), "--frames", "3",
                          "127.0.0.1:" + std::to_string(server.port()), path("three.rec")}),
              0);
    ASSERT_EQ(RunProgram({kCli, "replay", path("three.rec"), path("three.bmp")}), 0);
    EXPECT_TRUE(ReadFileBytes(path("three.bmp")) == frames[3]);

    // The end, as PNG; and a recording cut short is refused with its own exit code.
    EXPECT_EQ(RunProgram({kCli, "replay", path("session.rec"), path("end.png")}), 0);
    EXPECT_FALSE(ReadFileBytes(path("end.png")).empty());
    std::vector<std::uint8_t> cut(recording.begin(), recording.end() - 3);
    testing::WriteFileBytes(path("cut.rec"), cut);
    EXPECT_EQ(RunProgram({kCli, "replay", path("cut.rec"), path("cut.bmp")}), 65);
    EXPECT_FALSE(std::filesystem::exists(path("cut.bmp")));
}

}  // namespace
}  // namespace telorad
