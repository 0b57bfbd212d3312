// Full-screen 1920 × 1080 × 32-bit updates from telorad-server applied by the headless client's
// core over loopback, raw and RLE, plain and encrypted, beside two references measured in the
// same run: a plain reader that only drains the same server's bytes (logged in the same way,
// nothing parsed or decrypted), and the cipher's rate on one core. Server and client run the
// cipher on different cores, so an encrypted stream is bounded by the cipher's rate, not by the
// sum of the two. Last, the viewers' turns on the same stream: drains without a time budget
// beside drains with it (turns MB/s, 20 ms MB/s).
//
// Beside each rate: the share of the time the client and the server ran on a core, and waited for
// one while they had work, and the load average: on a shared machine other processes take cores
// from both, and a side that neither runs nor waits is waiting for the other.
// The cipher's one-core rate is counted in processor time, so others' load does not lower it.
// Arguments: raw, rle, plain, encrypted pick streams (for profiling one at a time); --rounds N
// measures client and reader N times each, alternately, and keeps the best of each.
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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
    // Shares of the measured time, 0..1: running on a core, and runnable but waiting for one.
    double clientCpu = 0;
    double serverCpu = 0;
    double clientQueued = 0;
    double serverQueued = 0;
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
    decltype(measure(client, server)) result{};
    if (ConnectWhenListening(client, port)) {
        while (client.received.screenInfos == 0 && telorad::ReceivePoll(client) >= 0) {
        }
        // Let the first frame pass, then measure.
        while (client.received.updates < kTilesPerFrame && telorad::ReceivePoll(client) >= 0) {
        }
        result = measure(client, server);
        telorad::DisconnectFromServer(client);
    }
    StopServer(server);
    return result;
}

double Elapsed(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds a process has run on a core, and has waited for one while runnable, so far
// (/proc/PID/schedstat: its main thread, the only one of the client and the server).
struct CoreTime {
    double running = 0;
    double queued = 0;
};

CoreTime CoreTimeOf(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/schedstat");
    double runningNs = 0;
    double queuedNs = 0;
    in >> runningNs >> queuedNs;
    return {runningNs / 1e9, queuedNs / 1e9};
}

// Times one measurement and the cores both sides had, or waited for, meanwhile.
template <typename Body>
Result Timed(pid_t server, Body body) {
    const std::string serverPid = std::to_string(server);
    const CoreTime own0 = CoreTimeOf("self");
    const CoreTime server0 = CoreTimeOf(serverPid);
    const auto start = Clock::now();
    Result result = body(start);
    const double elapsed = Elapsed(start);
    const CoreTime own1 = CoreTimeOf("self");
    const CoreTime server1 = CoreTimeOf(serverPid);
    result.clientCpu = (own1.running - own0.running) / elapsed;
    result.serverCpu = (server1.running - server0.running) / elapsed;
    result.clientQueued = (own1.queued - own0.queued) / elapsed;
    result.serverQueued = (server1.queued - server0.queued) / elapsed;
    return result;
}

double LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double load = 0;
    in >> load;
    return load;
}

Result MeasureClient(telorad::Client& client, pid_t server) {
    return Timed(server, [&](Clock::time_point start) {
        const std::uint64_t updates0 = client.received.updates;
        const std::uint64_t bytes0 = client.connection.bytesReceived;
        while (Elapsed(start) < kSeconds) {
            if (telorad::ReceivePoll(client) < 0) break;
        }
        const double elapsed = Elapsed(start);
        const double frames = double(client.received.updates - updates0) / kTilesPerFrame;
        const double bytes = double(client.connection.bytesReceived - bytes0);
        return Result{frames / elapsed, bytes / elapsed / 1e6, frames > 0 ? bytes / frames : 0};
    });
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
TurnsResult MeasureTurns(telorad::Client& client, pid_t) {
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

// Only drains the socket into a buffer: what loopback and the server give at most. It never
// sleeps: on loopback the sender pays for waking a sleeping reader, and a reader that blocks
// in recv after every piece made the server slower than it is for a busy client.
Result MeasureReader(telorad::Client& client, pid_t server) {
    return Timed(server, [&](Clock::time_point start) {
        std::vector<std::uint8_t> buffer(256 * 1024);
        const int fd = static_cast<int>(client.connection.socket);
        std::uint64_t total = 0;
        while (Elapsed(start) < kSeconds) {
            const ssize_t r = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) continue;
            if (r <= 0) break;
            total += static_cast<std::uint64_t>(r);
        }
        return Result{0, double(total) / Elapsed(start) / 1e6, 0};
    });
}

// With no arguments every stream; otherwise those whose encoding and kind are named (a missing
// half means both).
bool Wanted(int argc, char** argv, const Stream& stream) {
    bool anyEncoding = false, anyKind = false, encoding = false, kind = false;
    for (int n = 1; n < argc; ++n) {
        const std::string word = argv[n];
        if (word == "raw" || word == "rle") {
            anyEncoding = true;
            encoding = encoding || word == stream.encoding;
        } else if (word == "plain" || word == "encrypted") {
            anyKind = true;
            kind = kind || (word == "encrypted") == stream.encrypt;
        }
    }
    return (!anyEncoding || encoding) && (!anyKind || kind);
}

struct CipherRate {
    double wall = 0;       // MB/s by the clock, whatever else the machine ran meanwhile
    double oneCore = 0;    // MB per second of processor time: the rate with a core of its own
};

CipherRate CipherMegabytesPerSecond(std::size_t piece) {
    telorad::CipherState state;
    const std::uint8_t key[16] = {1, 2, 3};
    telorad::CipherSetKey(state, key, 16);
    std::vector<std::uint8_t> buffer(piece, 0x33);
    std::uint64_t total = 0;
    const double cpu0 = CoreTimeOf("self").running;
    const auto start = Clock::now();
    while (Elapsed(start) < 1.0) {
        telorad::CipherCrypt(state, buffer.data(), static_cast<int>(piece), buffer.data());
        total += piece;
    }
    const double elapsed = Elapsed(start);
    const double cpu = CoreTimeOf("self").running - cpu0;
    return {double(total) / elapsed / 1e6, cpu > 0 ? double(total) / cpu / 1e6 : 0};
}

// The better of two measurements: on a shared machine a slower one lost its core to others.
Result Better(const Result& a, const Result& b) {
    return a.megabytesPerSecond >= b.megabytesPerSecond ? a : b;
}

}  // namespace

int main(int argc, char** argv) {
    ::signal(SIGPIPE, SIG_IGN);
    int rounds = 1;
    for (int n = 1; n + 1 < argc; ++n) {
        if (std::string(argv[n]) == "--rounds") rounds = std::max(1, std::atoi(argv[n + 1]));
    }
    const std::size_t tileMessage = 8 + 16 + kTile * kTile * 4;
    std::printf("load average before: %.2f\n", LoadAverage());
    const CipherRate cipher = CipherMegabytesPerSecond(tileMessage);
    std::printf("cipher on one core: %.0f MB per processor second, %.0f MB/s by the clock "
                "(pieces of %zu bytes)\n",
                cipher.oneCore, cipher.wall, tileMessage);
    if (rounds > 1) std::printf("best of %d rounds each\n", rounds);
    std::printf("%-4s %-9s %7s %10s %10s %8s %8s  %-17s %-17s %-17s %15s %11s %11s\n", "enc",
                "stream", "fps", "client MB/s", "reader MB/s", "/reader", "/cipher",
                "cpu client+server", "queued cl.+server", "cpu reader+server", "client MB/cpu-s",
                "turns MB/s", "20 ms MB/s");
    for (const char* encoding : {"raw", "rle"}) {
        for (bool encrypt : {false, true}) {
            const Stream stream{encoding, encrypt};
            if (!Wanted(argc, argv, stream)) continue;
            Result client;
            Result reader;
            for (int round = 0; round < rounds; ++round) {
                client = Better(client, OnStream(stream, MeasureClient));
                reader = Better(reader, OnStream(stream, MeasureReader));
            }
            const double toReader = 100.0 * client.megabytesPerSecond / reader.megabytesPerSecond;
            std::printf("%-4s %-9s %7.1f %10.0f %10.0f %7.0f%%", encoding,
                        encrypt ? "encrypted" : "plain", client.fps, client.megabytesPerSecond,
                        reader.megabytesPerSecond, toReader);
            if (encrypt) {
                std::printf(" %7.0f%%", 100.0 * client.megabytesPerSecond / cipher.oneCore);
            } else {
                std::printf(" %8s", "");
            }
            std::printf("  %3.0f%% + %3.0f%%       %3.0f%% + %3.0f%%       %3.0f%% + %3.0f%%       "
                        "%15.0f",
                        100 * client.clientCpu, 100 * client.serverCpu, 100 * client.clientQueued,
                        100 * client.serverQueued, 100 * reader.clientCpu, 100 * reader.serverCpu,
                        client.clientCpu > 0 ? client.megabytesPerSecond / client.clientCpu : 0);
            // The loop's drains, unbounded and with the viewers' budget, on one stream.
            const TurnsResult turns = OnStream(stream, MeasureTurns);
            std::printf(" %11.0f %11.0f\n", turns.unbounded, turns.budgeted);
        }
    }
    std::printf("load average after: %.2f\n", LoadAverage());
    return 0;
}
