// Full-screen 1920 × 1080 × 32-bit updates from telorad-server applied by the headless client's
// core over loopback, raw and RLE, plain and encrypted, in frames per second, beside two limits
// measured in the same run: the same bytes through a plain loopback socket, and the cipher's
// own rate over them.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/client.h"
#include "app/null_window_system.h"
#include "app/session.h"
#include "bench_server.h"
#include "crypto/cipher.h"
#include "app/receive_poll.h"

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

Result MeasureClient(const char* encoding, bool encrypt) {
    using namespace telorad::bench;
    std::vector<std::string> options = {"--size", "1920x1080", "--depth",        "32",
                                        "--fps",  "0",         "--repeat-frame", "--encoding",
                                        encoding, "--once"};
    if (encrypt) options.push_back("--encrypt");
    std::uint16_t port = 0;
    const pid_t server = StartServer(TELORAD_SERVER_PATH, options, &port);
    telorad::NullWindowSystem window;
    telorad::Client client(window);
    Result result;
    if (ConnectWhenListening(client, port)) {
        while (client.received.screenInfos == 0 && telorad::ReceivePoll(client) >= 0) {
        }
        // Let the first frame pass, then count.
        while (client.received.updates < kTilesPerFrame && telorad::ReceivePoll(client) >= 0) {
        }
        const std::uint64_t updates0 = client.received.updates;
        const std::uint64_t bytes0 = client.connection.bytesReceived;
        const auto start = Clock::now();
        while (std::chrono::duration<double>(Clock::now() - start).count() < kSeconds) {
            if (telorad::ReceivePoll(client) < 0) break;
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const double frames = double(client.received.updates - updates0) / kTilesPerFrame;
        const double bytes = double(client.connection.bytesReceived - bytes0);
        result = {frames / elapsed, bytes / elapsed / 1e6, frames > 0 ? bytes / frames : 0};
        telorad::DisconnectFromServer(client);
    }
    StopServer(server);
    return result;
}

// The same bytes through a plain loopback socket: a sender thread, the receiver reads them
// in the same pieces the client asks for (a whole tile message at a time).
double LoopbackMegabytesPerSecond(std::size_t piece) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    ::listen(listener, 1);
    std::thread sender([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        std::vector<std::uint8_t> data(piece, 0x5A);
        while (::send(fd, data.data(), data.size(), MSG_NOSIGNAL) > 0) {
        }
        ::close(fd);
    });
    const int fd = ::accept(listener, nullptr, nullptr);
    std::vector<std::uint8_t> buffer(piece);
    std::uint64_t total = 0;
    const auto start = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - start).count() < kSeconds) {
        std::size_t got = 0;
        while (got < piece) {
            const ssize_t r = ::recv(fd, buffer.data() + got, piece - got, 0);
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
        total += got;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
    sender.join();
    ::close(listener);
    return double(total) / elapsed / 1e6;
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
    const double loopback = LoopbackMegabytesPerSecond(tileMessage);
    const double cipher = CipherMegabytesPerSecond(tileMessage);
    std::printf("limits: loopback %.0f MB/s, cipher %.0f MB/s (pieces of %zu bytes)\n", loopback,
                cipher, tileMessage);
    std::printf("%-4s %-9s %8s %9s %12s %10s %8s\n", "enc", "stream", "fps", "MB/s", "bytes/frame",
                "limit fps", "ratio");
    for (const char* encoding : {"raw", "rle"}) {
        for (bool encrypt : {false, true}) {
            const Result r = MeasureClient(encoding, encrypt);
            // The limit for these bytes: the loopback alone, or with the cipher in series.
            double limitMBps = loopback;
            if (encrypt) limitMBps = 1.0 / (1.0 / loopback + 1.0 / cipher);
            const double limitFps = r.bytesPerFrame > 0 ? limitMBps * 1e6 / r.bytesPerFrame : 0;
            std::printf("%-4s %-9s %8.1f %9.0f %12.0f %10.1f %7.0f%%\n", encoding,
                        encrypt ? "encrypted" : "plain", r.fps, r.megabytesPerSecond,
                        r.bytesPerFrame, limitFps, limitFps > 0 ? 100.0 * r.fps / limitFps : 0.0);
        }
    }
    return 0;
}
