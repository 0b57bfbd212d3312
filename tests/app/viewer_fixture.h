#pragma once
// A client on the recording window system, started with its settings file in a temp directory,
// and a loopback listener standing in for the server: connects go through the real connect
// command, and the bytes the client sent are read back from the accepted socket.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/client.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/recording_window_system.h"
#include "app/session.h"
#include "app/view.h"
#include "hosts/connect_form.h"
#include "net/wire.h"
#include "support/test_support.h"

namespace telorad::testing {

using telorad::testing::SentMessage;

class ViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.onClientSizeChanged = [this] { OnClientSizeChanged(client); };
        settingsPath = (dir.path() / "remote.ini").string();
        StartClientWithSettings(client, {1920, 1080}, settingsPath);
        listener = ListenLoopback(&port);
        ASSERT_GE(listener, 0);
    }
    void TearDown() override {
        if (server >= 0) ::close(server);
        if (listener >= 0) ::close(listener);
    }

    // The connect dialog confirmed with host 127.0.0.1, the listener's port and a password.
    void ScriptConnectDialog(std::uint16_t toPort, const std::string& password = "") {
        window.onConnectDialog = [toPort, password](ConnectForm& form) {
            form.hostText = "127.0.0.1";
            form.portText = std::to_string(toPort);
            form.passwordText = password;
            return kConnectFormOk;
        };
    }

    // Connect through the menu; true when the listener accepted the client.
    bool Connect() {
        ScriptConnectDialog(port);
        HandleCommand(client, IDM_CONNECT);
        if (client.connection.socket == kNoSocket) return false;
        if (server >= 0) ::close(server);
        server = AcceptWithTimeout(listener, 5000);
        return server >= 0;
    }

    // Disconnects (nothing is sent on disconnect) and returns every message the server received.
    std::vector<SentMessage> Sent() {
        DisconnectFromServer(client);
        if (server < 0) return {};
        std::vector<SentMessage> messages =
            telorad::testing::SplitMessages(ReadExactly(server, std::size_t{1} << 20));
        ::close(server);
        server = -1;
        return messages;
    }

    void PressKeys(std::initializer_list<int> codes, bool down) {
        for (int code : codes) window.keysDown[static_cast<std::size_t>(code)] = down;
    }

    TempDir dir;
    RecordingWindowSystem window;
    Client client{window};
    std::string settingsPath;
    int listener = -1;
    std::uint16_t port = 0;
    int server = -1;
};

// A key message (type, released, code) or mouse message (type, event, position).
inline std::vector<std::vector<std::uint32_t>> Describe(const std::vector<SentMessage>& sent) {
    std::vector<std::vector<std::uint32_t>> out;
    for (const SentMessage& message : sent) {
        std::vector<std::uint32_t> words{message.type};
        for (std::size_t i = 0; i + 4 <= message.payload.size(); i += 4) {
            words.push_back(GetU32(message.payload.data() + i));
        }
        out.push_back(words);
    }
    return out;
}

}  // namespace telorad::testing
