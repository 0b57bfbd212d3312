// The helpers built on Windows calls: temporary directories and Winsock loopback sockets. Socket
// handles travel as int, as on POSIX; Windows hands out small handle values.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/test_support.h"

namespace telorad::testing {
namespace {

void StartWinsockOnce() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) ADD_FAILURE() << "WSAStartup failed";
}

bool WaitReadable(int fd, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(fd), &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return select(0, &readable, nullptr, nullptr, &limit) > 0;
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

}  // namespace

TempDir::TempDir() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / ("telorad-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(GetTickCount()) + "-" + std::to_string(attempt));
        if (CreateDirectoryW(candidate.wstring().c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    ADD_FAILURE() << "cannot create a temporary directory under " << base.string();
    path_ = base / "nonexistent-telorad-test";
}

int ListenLoopback(std::uint16_t* port, int backlog) {
    StartWinsockOnce();
    const SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd == INVALID_SOCKET) return -1;
    sockaddr_in address = Loopback(*port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, backlog) != 0) {
        closesocket(fd);
        return -1;
    }
    int length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return static_cast<int>(fd);
}

RefusingPort::RefusingPort() {
    StartWinsockOnce();
    const SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    int length = sizeof address;
    if (fd == INVALID_SOCKET ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot bind a loopback socket: " << WSAGetLastError();
        if (fd != INVALID_SOCKET) closesocket(fd);
        return;
    }
    fd_ = static_cast<int>(fd);
    port_ = ntohs(address.sin_port);
}

RefusingPort::~RefusingPort() {
    if (fd_ >= 0) closesocket(static_cast<SOCKET>(fd_));
}

int AcceptWithTimeout(int listener, int timeoutMs) {
    if (!WaitReadable(listener, timeoutMs)) return -1;
    const SOCKET accepted = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    return accepted == INVALID_SOCKET ? -1 : static_cast<int>(accepted);
}

std::vector<std::uint8_t> ReadExactly(int fd, std::size_t count, int timeoutMs) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    char buffer[4096];
    while (bytes.size() < count) {
        if (!WaitReadable(fd, timeoutMs)) break;
        const int want = static_cast<int>(std::min(sizeof buffer, count - bytes.size()));
        const int got = recv(static_cast<SOCKET>(fd), buffer, want, 0);
        if (got <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const int chunk = static_cast<int>(std::min<std::size_t>(count - done, 1 << 20));
        const int put =
            send(static_cast<SOCKET>(fd), reinterpret_cast<const char*>(bytes + done), chunk, 0);
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace telorad::testing
