// Interactive latency over loopback, beside references measured in the same run:
// - logins per second: the core's connect, digest login with the cipher and first geometry
//   against telorad-server, beside plain connections that only read the server's first message;
// - key latency: from two key messages sent back to back by the core to a reader holding both,
//   beside the same 32 bytes written by a plain send.
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/client.h"
#include "app/null_window_system.h"
#include "app/receive_poll.h"
#include "app/session.h"
#include "bench_server.h"
#include "net/transport.h"
#include "net/wire.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kLogins = 300;
constexpr int kKeyRounds = 200;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Connect, log in, wait for the geometry, close: kLogins times. Returns seconds per login.
double CoreLogins(std::uint16_t port) {
    telorad::NullWindowSystem window;
    telorad::Client client(window);
    client.connectParams.host = "127.0.0.1";
    client.connectParams.port = port;
    const auto start = Clock::now();
    for (int i = 0; i < kLogins; ++i) {
        if (!telorad::ConnectToServer(client)) return -1;
        telorad::SendSetMode(client.connection, telorad::MODE_MONITOR);
        const std::uint64_t infos = client.received.screenInfos;
        while (client.received.screenInfos == infos) {
            if (telorad::ReceivePoll(client) < 0) return -1;
        }
        telorad::DisconnectFromServer(client);
    }
    return SecondsSince(start) / kLogins;
}

// The reference: a plain socket that connects, reads the server's first message header, closes.
double PlainConnections(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const auto start = Clock::now();
    for (int i = 0; i < kLogins; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const timeval limit{5, 0};  // a server that says nothing first must not hang the run
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
        std::uint8_t header[telorad::kHeaderSize];
        std::size_t got = 0;
        while (got < sizeof header) {
            const ssize_t r = ::recv(fd, header + got, sizeof header - got, 0);
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
        ::close(fd);
    }
    return SecondsSince(start) / kLogins;
}

struct Latency {
    double medianMs = 0;
    double worstMs = 0;
};

// Two key messages from the core, back to back (or the same bytes in one plain send), read whole
// by a plain reader on the other end.
Latency KeyLatency(bool throughCore) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    ::listen(listener, 1);

    telorad::Connection connection;
    telorad::TransportStartup(connection);
    Latency latency;
    if (telorad::OpenConnection(connection, "127.0.0.1", ntohs(address.sin_port))) {
        const int reader = ::accept(listener, nullptr, nullptr);
        std::vector<double> samples;
        std::uint8_t bytes[2 * (telorad::kHeaderSize + 8)] = {};
        for (int round = 0; round < kKeyRounds; ++round) {
            const auto start = Clock::now();
            if (throughCore) {
                telorad::SendKeyEvent(connection, 0, 0x41);
                telorad::SendKeyEvent(connection, 1, 0x41);
            } else {
                ::send(connection.socket, bytes, sizeof bytes, MSG_NOSIGNAL);
            }
            std::size_t got = 0;
            while (got < sizeof bytes) {
                const ssize_t r = ::recv(reader, bytes + got, sizeof bytes - got, 0);
                if (r <= 0) break;
                got += static_cast<std::size_t>(r);
            }
            samples.push_back(SecondsSince(start) * 1000);
        }
        std::sort(samples.begin(), samples.end());
        latency = {samples[samples.size() / 2], samples.back()};
        ::close(reader);
        telorad::CloseConnection(connection);
    }
    ::close(listener);
    return latency;
}

}  // namespace

int main() {
    ::signal(SIGPIPE, SIG_IGN);
    std::uint16_t port = 0;
    const pid_t server = telorad::bench::StartServer(
        TELORAD_SERVER_PATH, {"--auth", "digest", "--encrypt", "--static", "--size", "64x48"},
        &port);
    if (port == 0) {
        std::fprintf(stderr, "bench_latency: the server did not start\n");
        return 1;
    }
    const double plain = PlainConnections(port);
    const double login = CoreLogins(port);
    telorad::bench::StopServer(server);
    std::printf(
        "%d logins: %.3f ms each (%.0f per second); plain connections %.3f ms each; "
        "ratio %.2f\n",
        kLogins, login * 1000, 1 / login, plain * 1000, login / plain);

    const Latency ours = KeyLatency(true);
    const Latency reference = KeyLatency(false);
    std::printf(
        "two key messages, %d rounds: median %.3f ms, worst %.3f ms; one plain send of "
        "the same bytes: median %.3f ms, worst %.3f ms\n",
        kKeyRounds, ours.medianMs, ours.worstMs, reference.medianMs, reference.worstMs);
    return 0;
}
