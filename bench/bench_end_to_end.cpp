// Full-screen 1920 × 1080 × 32-bit updates from telorad-server applied by the headless client's
// core over loopback, raw and RLE, plain and encrypted, beside two references measured in the
// same run: a plain reader that only drains the same server's bytes (logged in the same way,
// nothing parsed or decrypted), and the cipher's rate on one core. Server and client run the
// cipher on different cores, so an encrypted stream is bounded by the cipher's rate, not by the
// sum of the two. Last, the viewers' turns on the same stream: drains without a time budget
// beside drains with it (turns MB/s, 20 ms MB/s).
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/client.h"
#include "app/null_window_system.h"
#include "app/session.h"
#include "app/receive_poll.h"
#include "bench_server.h"
#include "crypto/cipher.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kTile = 64;
constexpr int kTilesPerFrame = ((kWidth + kTile - 1) / kTile) * ((kHeight + kTile - 1) / kTile);
constexpr double kSeconds = 3.0;

struct Result {
    double fps = 0;
    double megabytesPerSecond = 0;
    double bytesPerFrame = 0;
};

struct Stream {
    const char* encoding;
    bool encrypt;
};

// Starts the server for the stream and logs a client in; the caller measures from there.
template <typename Measure>
auto OnStream(const Stream& stream, Measure measure) {
    using namespace telorad::bench;
    std::vector<std::string> options = {"--size", "1920x1080", "--depth",        "32",
                                        "--fps",  "0",         "--repeat-frame", "--encoding",
                                        stream.encoding, "--once"};
    if (stream.encrypt) options.push_back("--encrypt");
    std::uint16_t port = 0;
    const pid_t server = StartServer(TELORAD_SERVER_PATH, options, &port);
    telorad::NullWindowSystem window;
    telorad::Client client(window);
    decltype(measure(client)) result{};
    if (ConnectWhenListening(client, port)) {
        while (client.received.screenInfos == 0 && telorad::ReceivePoll(client) >= 0) {
        }
        // Let the first frame pass, then measure.
        while (client.received.updates < kTilesPerFrame && telorad::ReceivePoll(client) >= 0) {
        }
        result = measure(client);
        telorad::DisconnectFromServer(client);
    }
    StopServer(server);
    return result;
}

double Elapsed(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Result MeasureClient(telorad::Client& client) {
    const std::uint64_t updates0 = client.received.updates;
    const std::uint64_t bytes0 = client.connection.bytesReceived;
    const auto start = Clock::now();
    while (Elapsed(start) < kSeconds) {
        if (telorad::ReceivePoll(client) < 0) break;
    }
    const double elapsed = Elapsed(start);
    const double frames = double(client.received.updates - updates0) / kTilesPerFrame;
    const double bytes = double(client.connection.bytesReceived - bytes0);
    return {frames / elapsed, bytes / elapsed / 1e6, frames > 0 ? bytes / frames : 0};
}

// The viewers' turns without the window for `seconds`: DrainNetwork, and a sleep on the socket
// when it found nothing. budgetMs -1: a drain that never stops while messages keep coming.
double TurnsMegabytesPerSecond(telorad::Client& client, int budgetMs, double seconds) {
    client.pollWaitMs = 0;
    client.drainBudgetMs = budgetMs < 0 ? 1 << 30 : budgetMs;
    const std::uint64_t bytes0 = client.connection.bytesReceived;
    const auto start = Clock::now();
    while (Elapsed(start) < seconds) {
        const telorad::DrainResult drained = telorad::DrainNetwork(client);
        if (drained == telorad::DrainResult::Closed) break;
        if (drained == telorad::DrainResult::Idle) telorad::WaitReceivable(client.connection, 100);
    }
    return double(client.connection.bytesReceived - bytes0) / Elapsed(start) / 1e6;
}

struct TurnsResult {
    double unbounded = 0;  // MB/s
    double budgeted = 0;
};

// Drains without a budget and with the viewers' one on the same stream, in alternating slices,
// so that neither gains from the moment it is measured.
TurnsResult MeasureTurns(telorad::Client& client) {
    constexpr int kSlices = 6;
    TurnsResult result;
    for (int slice = 0; slice < kSlices; ++slice) {
        const bool budgeted = slice % 2 == 1;
        const double rate = TurnsMegabytesPerSecond(
            client, budgeted ? telorad::kDrainBudgetMs : -1, 2 * kSeconds / kSlices);
        (budgeted ? result.budgeted : result.unbounded) += rate / (kSlices / 2);
    }
    return result;
}

// Only drains the socket into a buffer: what loopback and the server give at most.
Result MeasureReader(telorad::Client& client) {
    std::vector<std::uint8_t> buffer(256 * 1024);
    const int fd = static_cast<int>(client.connection.socket);
    std::uint64_t total = 0;
    const auto start = Clock::now();
    while (Elapsed(start) < kSeconds) {
        const ssize_t r = ::recv(fd, buffer.data(), buffer.size(), 0);
        if (r <= 0) break;
        total += static_cast<std::uint64_t>(r);
    }
    return {0, double(total) / Elapsed(start) / 1e6, 0};
}

double CipherMegabytesPerSecond(std::size_t piece) {
    telorad::CipherState state;
    const std::uint8_t key[16] = {1, 2, 3};
    telorad::CipherSetKey(state, key, 16);
    std::vector<std::uint8_t> buffer(piece, 0x33);
    std::uint64_t total = 0;
    const auto start = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - start).count() < 1.0) {
        telorad::CipherCrypt(state, buffer.data(), static_cast<int>(piece), buffer.data());
        total += piece;
    }
    return double(total) / std::chrono::duration<double>(Clock::now() - start).count() / 1e6;
}

}  // namespace

int main() {
    ::signal(SIGPIPE, SIG_IGN);
    const std::size_t tileMessage = 8 + 16 + kTile * kTile * 4;
    const double cipher = CipherMegabytesPerSecond(tileMessage);
    std::printf("cipher on one core: %.0f MB/s (pieces of %zu bytes)\n", cipher, tileMessage);
    std::printf("%-4s %-9s %7s %10s %10s %8s %10s %11s %11s\n", "enc", "stream", "fps",
                "client MB/s", "reader MB/s", "/reader", "/cipher", "turns MB/s", "20 ms MB/s");
    for (const char* encoding : {"raw", "rle"}) {
        for (bool encrypt : {false, true}) {
            const Stream stream{encoding, encrypt};
            const Result client = OnStream(stream, MeasureClient);
            const Result reader = OnStream(stream, MeasureReader);
            const double toReader = 100.0 * client.megabytesPerSecond / reader.megabytesPerSecond;
            std::printf("%-4s %-9s %7.1f %10.0f %10.0f %7.0f%%", encoding,
                        encrypt ? "encrypted" : "plain", client.fps, client.megabytesPerSecond,
                        reader.megabytesPerSecond, toReader);
            if (encrypt) {
                std::printf(" %9.0f%%", 100.0 * client.megabytesPerSecond / cipher);
            } else {
                std::printf(" %10s", "");
            }
            // The loop's drains, unbounded and with the viewers' budget, on one stream.
            const TurnsResult turns = OnStream(stream, MeasureTurns);
            std::printf(" %11.0f %11.0f\n", turns.unbounded, turns.budgeted);
        }
    }
    return 0;
}
