// The headless client against the bundled server over loopback: every login scheme, with and
// without the cipher, at every depth and encoding, the snapshot compared byte for byte with the
// server's own picture; then the client's exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace telorad {
namespace {

using testing::ChildProcess;
using testing::ReadFileBytes;
using testing::RunProgram;
using testing::TempDir;

const std::string kServer = TELORAD_SERVER_PATH;
const std::string kCli = TELORAD_CLI_PATH;

struct Login {
    const char* name;
    std::vector<std::string> serverArgs;
};

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        passwordFile = (dir.path() / "password").string();
        std::ofstream(passwordFile) << "s\xE9same \\ 42\n";
        wrongFile = (dir.path() / "wrong").string();
        std::ofstream(wrongFile) << "nope\n";
    }

    // Starts the server with the picture options plus extra ones; returns its port.
    std::uint16_t StartServer(std::vector<std::string> args) {
        std::vector<std::string> argv = {"--password-file", passwordFile, "--log",
                                         (dir.path() / "server.log").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        server = std::make_unique<testing::ServerProcess>(kServer, argv, dir.path());
        return server->port();
    }

    std::vector<std::uint8_t> ServerPicture(const std::vector<std::string>& pictureArgs) {
        const std::string path = (dir.path() / "expected.bmp").string();
        std::vector<std::string> argv = {kServer, "--dump-frame", path};
        argv.insert(argv.end(), pictureArgs.begin(), pictureArgs.end());
        EXPECT_EQ(RunProgram(argv), 0);
        return ReadFileBytes(path);
    }

    int Snapshot(std::uint16_t port, const std::string& output, const std::string& password,
                 std::vector<std::string> extra = {}) {
        std::vector<std::string> argv = {kCli, "snapshot", "--settle", "200"};
        if (!password.empty()) {
            argv.push_back("--password-file");
            argv.push_back(password);
        }
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.push_back("127.0.0.1:" + std::to_string(port));
        argv.push_back(output);
        return RunProgram(argv, 60000, {"HOME=" + dir.path().string()});
    }

    TempDir dir;
    std::string passwordFile;
    std::string wrongFile;
    std::unique_ptr<testing::ServerProcess> server;
};

TEST_F(EndToEnd, SnapshotMatchesTheServersPictureForEveryLoginDepthAndEncoding) {
    const Login logins[] = {
        {"digest", {"--auth", "digest"}},
        {"digest+cipher", {"--auth", "digest", "--encrypt"}},
        {"legacy", {"--auth", "legacy"}},
        {"none", {"--auth", "none"}},
    };
    for (const Login& login : logins) {
        for (const char* depth : {"16", "24", "32"}) {
            for (const char* encoding : {"raw", "rle"}) {
                SCOPED_TRACE(std::string(login.name) + " " + depth + " " + encoding);
                const std::vector<std::string> picture = {"--size",  "203x97", "--tile",  "64",
                                                          "--depth", depth,    "--static"};
                std::vector<std::string> args = picture;
                args.insert(args.end(), login.serverArgs.begin(), login.serverArgs.end());
                args.insert(args.end(), {"--encoding", encoding, "--once"});
                const std::uint16_t port = StartServer(args);
                const std::string output = (dir.path() / "snapshot.bmp").string();
                ASSERT_EQ(Snapshot(port, output, passwordFile), 0);
                const std::vector<std::uint8_t> got = ReadFileBytes(output);
                const std::vector<std::uint8_t> expected = ServerPicture(picture);
                ASSERT_FALSE(expected.empty());
                EXPECT_EQ(got.size(), expected.size());
                EXPECT_TRUE(got == expected);
                EXPECT_EQ(server->process().Wait(10000), 0);
            }
        }
    }
}

TEST_F(EndToEnd, AnimatedFullScreenSettlesAndWrites) {
    const std::uint16_t port = StartServer({"--size", "1920x1080", "--depth", "32", "--encrypt"});
    const std::string output = (dir.path() / "big.bmp").string();
    ASSERT_EQ(Snapshot(port, output, passwordFile), 0);
    EXPECT_EQ(ReadFileBytes(output).size(), 54u + 1920u * 1080u * 4u);
}

TEST_F(EndToEnd, ExitCodes) {
    // A wrong password, for both schemes.
    for (const char* scheme : {"digest", "legacy"}) {
        SCOPED_TRACE(scheme);
        const std::uint16_t port = StartServer({"--auth", scheme, "--static", "--size", "64x64"});
        const std::string output = (dir.path() / "refused.bmp").string();
        EXPECT_EQ(Snapshot(port, output, wrongFile), 3);
        EXPECT_FALSE(std::filesystem::exists(output));
        server.reset();
    }
    // Nothing listening.
    const testing::RefusingPort refusing;
    EXPECT_EQ(Snapshot(refusing.port(), (dir.path() / "x.bmp").string(), ""), 2);
    // An output that cannot be written.
    {
        const std::uint16_t port = StartServer({"--static", "--size", "64x64"});
        EXPECT_EQ(Snapshot(port, (dir.path() / "no" / "such" / "dir.bmp").string(), passwordFile),
                  5);
        server.reset();
    }
    // A server that accepts and then says nothing: the run's time-out ends it.
    {
        std::uint16_t port = 0;
        const int listener = testing::ListenLoopback(&port);
        EXPECT_EQ(Snapshot(port, (dir.path() / "silent.bmp").string(), "", {"--timeout", "1"}), 4);
        ::close(listener);
    }
    // Usage errors.
    EXPECT_EQ(RunProgram({kCli}), 64);
    EXPECT_EQ(RunProgram({kCli, "snapshot", "127.0.0.1:99999", "out.bmp"}), 64);
    EXPECT_EQ(RunProgram({kCli, "snapshot", "--timeout", "x", "h", "out.bmp"}), 64);
    EXPECT_EQ(RunProgram({kCli, "frobnicate"}), 64);
    EXPECT_EQ(RunProgram({kCli, "snapshot", "--help"}), 0);
    EXPECT_EQ(RunProgram({kCli, "--version"}), 0);
}

TEST_F(EndToEnd, PasswordFromTheEnvironment) {
    const std::uint16_t port = StartServer({"--static", "--size", "64x64", "--once"});
    const std::string output = (dir.path() / "env.bmp").string();
    const int code = RunProgram(
        {kCli, "snapshot", "--settle", "100", "127.0.0.1:" + std::to_string(port), output}, 60000,
        {"TELORAD_PASSWORD=s\xE9same \\ 42", "HOME=" + dir.path().string()});
    EXPECT_EQ(code, 0);
}

TEST_F(EndToEnd, RememberedPasswordIsSentByteForByte) {
    // The server knows the password as CP932 bytes, and so does the settings file, as Windows'
    // profile functions write it: CRLF lines, a backslash inside the value.
    const std::string serverPassword = (dir.path() / "cp932").string();
    std::ofstream(serverPassword) << "\x83\x70\x83\x58\\\n";  // パス and a backslash
    const std::uint16_t port =
        StartServer({"--static", "--size", "64x64", "--password-file", serverPassword, "--once"});
    // A copy of the client, so that remote.ini beside it is this test's own.
    const auto bin = dir.path() / "bin";
    std::filesystem::create_directory(bin);
    std::filesystem::copy_file(kCli, bin / "telorad-cli");
    std::ofstream(bin / "remote.ini") << "[Client]\r\nHost00=127.0.0.1\r\nPort00=" << port
                                      << "\r\nPasswd00=\x83\x70\x83\x58\\\r\n";
    const std::string output = (dir.path() / "remembered.bmp").string();
    const std::string cli = (bin / "telorad-cli").string();
    EXPECT_EQ(RunProgram(
                  {cli, "snapshot", "--settle", "100", "127.0.0.1:" + std::to_string(port), output},
                  60000, {"HOME=" + dir.path().string()}),
              0);
    EXPECT_TRUE(std::filesystem::exists(output));
}

TEST_F(EndToEnd, CommandIsDeliveredAndLoggedNotRun) {
    const std::uint16_t port = StartServer({"--static", "--size", "64x64", "--encrypt", "--once"});
    const std::string marker = (dir.path() / "must-not-exist").string();
    const int code = RunProgram({kCli, "command", "--password-file", passwordFile,
                                 "127.0.0.1:" + std::to_string(port), "touch " + marker},
                                60000, {"HOME=" + dir.path().string()});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(server->process().Wait(10000), 0);
    std::ifstream log(dir.path() / "server.log");
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"type\":\"command\""), std::string::npos) << text;
    EXPECT_NE(text.find("touch "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(marker));
}

}  // namespace
}  // namespace telorad
