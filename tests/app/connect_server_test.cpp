// The connect command against the development server: a password typed in UTF-8 passes the
// handshake because the server gets it in its own code page.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "app/viewer_fixture.h"

namespace telorad {
namespace {

using testing::ChildProcess;
using testing::ViewerTest;

class ConnectServerTest : public ViewerTest {
  protected:
    // A server whose password file holds the CP932 bytes of "パス".
    void StartServer() {
#ifndef TELORAD_SERVER_PATH
        GTEST_SKIP() << "telorad-server is not built";
#else
        const auto passwordFile = dir.path() / "password";
        testing::WriteFileBytes(passwordFile, {0x83, 0x70, 0x83, 0x58});
        process = std::make_unique<testing::ServerProcess>(
            TELORAD_SERVER_PATH,
            std::vector<std::string>{"--password-file", passwordFile.string(), "--encrypt",
                                     "--size", "640x480", "--static", "--log",
                                     (dir.path() / "server.log").string()},
            dir.path());
        serverPort = process->port();
        ASSERT_NE(serverPort, 0);
#endif
    }

    // Main-loop turns until the server's picture arrived or the connection ended.
    void RunLoopUntilPicture() {
        for (int turn = 0; turn < 500 && client.connection.socket != kNoSocket; ++turn) {
            DrainNetwork(client);
            if (client.framebuffer.width == 640) return;
            ::usleep(10000);
        }
    }

    std::uint16_t serverPort = 0;
    std::unique_ptr<testing::ServerProcess> process;
};

TEST_F(ConnectServerTest, TypedKanaPasswordPassesTheHandshake) {
    StartServer();
    if (IsSkipped()) return;
    ScriptConnectDialog(serverPort, "パス");
    HandleCommand(client, IDM_CONNECT);
    ASSERT_NE(client.connection.socket, kNoSocket);
    RunLoopUntilPicture();
    EXPECT_EQ(client.framebuffer.width, 640);
    EXPECT_EQ(client.framebuffer.height, 480);
    EXPECT_EQ(client.connection.receiveCipher.enabled, 1) << "the cipher was keyed";
    for (const auto& box : window.messageBoxes) ADD_FAILURE() << box.text << " / " << box.caption;
    EXPECT_NE(client.connection.socket, kNoSocket);
}

TEST_F(ConnectServerTest, TheSameTextSentAsUtf8BytesIsRejected) {
    StartServer();
    if (IsSkipped()) return;
    client.wireCodePage = kUtf8CodePage;  // a misconfigured code page: the server sees other bytes
    ScriptConnectDialog(serverPort, "パス");
    HandleCommand(client, IDM_CONNECT);
    ASSERT_NE(client.connection.socket, kNoSocket);
    RunLoopUntilPicture();
    EXPECT_NE(client.framebuffer.width, 640);
    EXPECT_EQ(client.connection.socket, kNoSocket);
    ASSERT_FALSE(window.messageBoxes.empty());
    EXPECT_EQ(window.messageBoxes.back().text, "切断されました");
}

}  // namespace
}  // namespace telorad
