#include <winsock2.h>
#include <ws2tcpip.h>
// after winsock2.h, which it needs
#include <mstcpip.h>

#include "net/socket.h"

namespace telorad {

namespace {

SOCKET Sock(SocketHandle socket) { return static_cast<SOCKET>(socket); }

void EnableKeepAlive(SOCKET s) {
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
    tcp_keepalive settings{};
    settings.onoff = 1;
    settings.keepalivetime = 30000;
    settings.keepaliveinterval = 5000;
    DWORD returned = 0;
    WSAIoctl(s, SIO_KEEPALIVE_VALS, &settings, sizeof settings, nullptr, 0, &returned, nullptr,
             nullptr);
}

bool SetBlocking(SOCKET s, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

// True once the socket can take bytes (a connect has completed); false when it failed or the
// limit (none: no limit) passed first.
bool WaitWritable(SOCKET s, timeval* limit) {
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    return ::select(0, nullptr, &writable, &failed, limit) > 0 && !FD_ISSET(s, &failed);
}

}  // namespace

void SocketLibraryStart() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

void SocketLibraryStop() { WSACleanup(); }

bool ResolveIPv4(const char* host, std::uint32_t* addressNetworkOrder) {
    const unsigned long dotted = inet_addr(host);
    if (dotted != INADDR_NONE) {
        *addressNetworkOrder = dotted;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &result) != 0 || result == nullptr) return false;
    const auto* address = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    *addressNetworkOrder = address->sin_addr.s_addr;
    freeaddrinfo(result);
    return true;
}

SocketHandle SocketCreateTcp() {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return kNoSocket;
    return static_cast<SocketHandle>(s);
}

bool SocketConnect(SocketHandle socket, std::uint32_t addressNetworkOrder, std::uint16_t port,
                   int timeoutMs) {
    const SOCKET s = Sock(socket);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = addressNetworkOrder;

    if (!SetBlocking(s, false)) return false;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
        timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        if (!WaitWritable(s, &limit)) return false;
    }
    if (!SetBlocking(s, true)) return false;
    EnableKeepAlive(s);
    // Messages go out at once, without waiting for the peer's delayed acknowledgement.
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    return true;
}

int SocketSend(SocketHandle socket, const std::uint8_t* data, int count) {
    if (socket == kNoSocket) return -1;
    for (;;) {
        const int sent = ::send(Sock(socket), reinterpret_cast<const char*>(data), count, 0);
        // A socket tied to an event object (WSAEventSelect, as the viewer's loop does) is
        // non-blocking: a full send buffer is waited out, as a blocking socket would.
        if (sent != SOCKET_ERROR || WSAGetLastError() != WSAEWOULDBLOCK) return sent;
        if (!WaitWritable(Sock(socket), nullptr)) return -1;
    }
}

int SocketReceive(SocketHandle socket, std::uint8_t* buffer, int count, int timeoutMs) {
    if (socket == kNoSocket) return -1;
    const int ready = SocketWaitReadable(socket, timeoutMs);
    if (ready < 0) return -1;
    if (ready == 0) return kSocketTimedOut;
    return ::recv(Sock(socket), reinterpret_cast<char*>(buffer), count, 0);
}

int SocketReceiveAvailable(SocketHandle socket, std::uint8_t* first, int firstCount,
                           std::uint8_t* second, int secondCount) {
    if (socket == kNoSocket) return -1;
    const int ready = SocketWaitReadable(socket, 0);
    if (ready < 0) return -1;
    if (ready == 0) return kSocketWouldBlock;
    WSABUF parts[2] = {{static_cast<ULONG>(firstCount), reinterpret_cast<CHAR*>(first)},
                       {static_cast<ULONG>(secondCount), reinterpret_cast<CHAR*>(second)}};
    DWORD received = 0;
    DWORD flags = 0;
    if (::WSARecv(Sock(socket), parts, secondCount > 0 ? 2 : 1, &received, &flags, nullptr,
                  nullptr) == SOCKET_ERROR) {
        return -1;
    }
    return static_cast<int>(received);
}

int SocketWaitReadable(SocketHandle socket, int timeoutMs) {
    if (socket == kNoSocket) return -1;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(Sock(socket), &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int rc = ::select(1, &readable, nullptr, nullptr, &limit);
    if (rc == SOCKET_ERROR) return -1;
    return rc > 0 ? 1 : 0;
}

void SocketShutdownAndClose(SocketHandle socket) {
    if (socket == kNoSocket) return;
    ::shutdown(Sock(socket), SD_BOTH);
    ::closesocket(Sock(socket));
}

}  // namespace telorad
