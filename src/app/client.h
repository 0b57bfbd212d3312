#pragma once
// Everything the client keeps while it runs, in one record the front end owns.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/text_encoding.h"
#include "app/window_system.h"
#include "hosts/connect_params.h"
#include "hosts/host_history.h"
#include "net/message_parser.h"
#include "net/transport.h"
#include "net/wire.h"
#include "screen/screen_bitmap.h"
#include "screen/viewport.h"

namespace telorad {

// A drain's share of a loop turn while messages keep coming: the window gets its events at
// least 50 times a second, and the loop's overhead stays far below a percent of throughput.
inline constexpr int kDrainBudgetMs = 20;

struct Client {
    // Starts the transport (no socket, both ciphers off), allocates the RLE scratch buffer once
    // and creates the white start-up picture.
    explicit Client(WindowSystem& windowSystem);
    // Closes an open connection without a word to the server.
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    WindowSystem& window;
    Connection connection;
    // The message that is only partly here, continued by the next ReceivePoll.
    MessageParser parser;
    // How long one ReceivePoll waits when nothing has arrived.
    int pollWaitMs = 1;
    // How long one DrainNetwork may go on reading before the loop turns to the window again.
    int drainBudgetMs = kDrainBudgetMs;
    // Sees every message received whole, decrypted, before it is acted on: where a recording
    // of the session taps in.
    std::function<void(const ReceivedMessage&)> onMessageReceived;
    ConnectParams connectParams;
    ScreenInfo screenInfo;  // the last one received
    // What the dispatcher has applied on this client so far (geometries, update rectangles),
    // for headless runs and benchmarks that wait for the picture.
    struct ReceiveCounters {
        std::uint64_t screenInfos = 0;
        std::uint64_t updates = 0;
    } received;
    std::vector<std::uint8_t> rleScratch;
    ScreenBitmap framebuffer;
    ScreenBitmap tile;
    // The most memory one announced bitmap (picture or tile) may take; a geometry above it is
    // refused. Tools that feed the client arbitrary bytes lower it.
    std::int64_t pictureLimitBytes = kMaxPictureBytes;
    ViewState view;
    std::array<std::uint32_t, 256> sentKeyState{};
    std::uint32_t lastSyncTick = 0;
    HostHistory hostHistory;
    std::string settingsPath;  // remote.ini, chosen at start-up
    // The code page the server reads passwords and commands in (settings: Client/CodePage).
    std::uint32_t wireCodePage = kDefaultWireCodePage;
};

}  // namespace telorad
