#include <winsock2.h>
#include <ws2tcpip.h>
// after winsock2.h
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>

#include "server_socket.h"

namespace telorad::server {

namespace {

SOCKET Sock(SocketHandle socket) { return static_cast<SOCKET>(socket); }

std::string LastErrorText() { return "Winsock error " + std::to_string(WSAGetLastError()); }

}  // namespace

void StartServerPlatform() {
    SocketLibraryStart();
    // The log and the "listening on" line end their lines with LF alone, as on every platform.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

SocketHandle ListenTcp(std::uint32_t addressNetworkOrder, std::uint16_t port,
                       std::uint16_t& boundPort, std::string& error) {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        error = "socket: " + LastErrorText();
        return kNoSocket;
    }
    // Windows lets a second program take a port bound with SO_REUSEADDR; keep it ours alone.
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr.s_addr = addressNetworkOrder;
    int size = sizeof bound;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::listen(s, 16) != 0 || ::getsockname(s, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        error = LastErrorText();
        ::closesocket(s);
        return kNoSocket;
    }
    boundPort = ntohs(bound.sin_port);
    return static_cast<SocketHandle>(s);
}

SocketHandle AcceptTcp(SocketHandle listener, std::uint32_t& peerAddressNetworkOrder,
                       std::uint16_t& peerPort) {
    for (;;) {
        sockaddr_in address{};
        int size = sizeof address;
        const SOCKET s = ::accept(Sock(listener), reinterpret_cast<sockaddr*>(&address), &size);
        if (s != INVALID_SOCKET) {
            BOOL on = TRUE;
            setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
            // Sends must never wait, and Winsock has no per-call flag for that. Receives are
            // unaffected: each one waits in select() first.
            u_long nonBlocking = 1;
            ioctlsocket(s, FIONBIO, &nonBlocking);
            peerAddressNetworkOrder = address.sin_addr.s_addr;
            peerPort = ntohs(address.sin_port);
            return static_cast<SocketHandle>(s);
        }
        const int reason = WSAGetLastError();
        if (reason != WSAEINTR && reason != WSAECONNRESET) return kNoSocket;
    }
}

void CloseListeningSocket(SocketHandle listener) {
    if (listener != kNoSocket) ::closesocket(Sock(listener));
}

int WaitSendOrReceive(SocketHandle socket, bool watchReceive) {
    fd_set sendable;
    fd_set receivable;
    fd_set failed;
    FD_ZERO(&sendable);
    FD_ZERO(&receivable);
    FD_ZERO(&failed);
    FD_SET(Sock(socket), &sendable);
    FD_SET(Sock(socket), &receivable);
    FD_SET(Sock(socket), &failed);
    if (::select(0, watchReceive ? &receivable : nullptr, &sendable, &failed, nullptr) ==
        SOCKET_ERROR) {
        return -1;
    }
    int ready = 0;
    if (FD_ISSET(Sock(socket), &sendable) || FD_ISSET(Sock(socket), &failed)) {
        ready |= kSocketCanSend;
    }
    if (watchReceive && FD_ISSET(Sock(socket), &receivable)) ready |= kSocketCanReceive;
    return ready;
}

int SendWithoutWaiting(SocketHandle socket, const std::uint8_t* data, std::size_t count) {
    const int chunk = static_cast<int>(std::min(count, kLargestSend));
    const int sent = ::send(Sock(socket), reinterpret_cast<const char*>(data), chunk, 0);
    if (sent > 0) return sent;
    if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return kSocketWouldBlock;
    return -1;
}

}  // namespace telorad::server
