#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "server_socket.h"

namespace telorad::server {

void StartServerPlatform() {
    // Sends say MSG_NOSIGNAL; this covers the event log on a pipe whose reader has gone.
    std::signal(SIGPIPE, SIG_IGN);
}

SocketHandle ListenTcp(std::uint32_t addressNetworkOrder, std::uint16_t port,
                       std::uint16_t& boundPort, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return kNoSocket;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr.s_addr = addressNetworkOrder;
    socklen_t size = sizeof bound;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return kNoSocket;
    }
    boundPort = ntohs(bound.sin_port);
    return fd;
}

SocketHandle AcceptTcp(SocketHandle listener, std::uint32_t& peerAddressNetworkOrder,
                       std::uint16_t& peerPort) {
    for (;;) {
        sockaddr_in address{};
        socklen_t size = sizeof address;
        const int fd = ::accept4(static_cast<int>(listener), reinterpret_cast<sockaddr*>(&address),
                                 &size, SOCK_CLOEXEC);
        if (fd >= 0) {
            int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            peerAddressNetworkOrder = address.sin_addr.s_addr;
            peerPort = ntohs(address.sin_port);
            return fd;
        }
        if (errno != EINTR && errno != ECONNABORTED && errno != EPROTO) return kNoSocket;
    }
}

void CloseListeningSocket(SocketHandle listener) {
    if (listener != kNoSocket) ::close(static_cast<int>(listener));
}

int WaitSendOrReceive(SocketHandle socket, bool watchReceive) {
    pollfd waiter{static_cast<int>(socket), static_cast<short>(POLLOUT | (watchReceive ? POLLIN : 0)),
                  0};
    for (;;) {
        if (::poll(&waiter, 1, -1) >= 0) break;
        if (errno != EINTR) return -1;
    }
    // An error or hang-up shows to the send, or to the receive when that is watched.
    int ready = 0;
    if ((waiter.revents & (POLLOUT | POLLERR | POLLHUP)) != 0) ready |= kSocketCanSend;
    if (watchReceive && (waiter.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        ready |= kSocketCanReceive;
    }
    return ready;
}

int SendWithoutWaiting(SocketHandle socket, const std::uint8_t* data, std::size_t count) {
    count = std::min<std::size_t>(count, kLargestSend);
    for (;;) {
        const ssize_t sent =
            ::send(static_cast<int>(socket), data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) return static_cast<int>(sent);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kSocketWouldBlock;
        return -1;
    }
}

}  // namespace telorad::server
