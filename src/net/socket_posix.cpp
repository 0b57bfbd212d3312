#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/socket.h"

namespace telorad {

namespace {

int Fd(SocketHandle socket) { return static_cast<int>(socket); }

void EnableKeepAlive(int fd) {
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
#ifdef TCP_KEEPIDLE
    int idle = 30;
    int interval = 5;
    int probes = 3;
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#endif
}

// Messages go out as soon as they are written: an interactive protocol cannot wait for the
// peer's delayed acknowledgement of the previous small segment (about 40 ms).
void DisableNagle(int fd) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool SetBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return fcntl(fd, F_SETFL, wanted) == 0;
}

}  // namespace

void SocketLibraryStart() {}
void SocketLibraryStop() {}

bool ResolveIPv4(const char* host, std::uint32_t* addressNetworkOrder) {
    const in_addr_t dotted = inet_addr(host);
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
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return kNoSocket;
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

bool SocketConnect(SocketHandle socket, std::uint32_t addressNetworkOrder, std::uint16_t port,
                   int timeoutMs) {
    const int fd = Fd(socket);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = addressNetworkOrder;

    if (!SetBlocking(fd, false)) return false;
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (rc != 0) {
        if (errno != EINPROGRESS) return false;
        pollfd waiter{fd, POLLOUT, 0};
        do {
            rc = ::poll(&waiter, 1, timeoutMs);
        } while (rc < 0 && errno == EINTR);
        if (rc <= 0) return false;  // time-out or poll failure
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return false;
    }
    if (!SetBlocking(fd, true)) return false;
    EnableKeepAlive(fd);
    DisableNagle(fd);
    return true;
}

int SocketSend(SocketHandle socket, const std::uint8_t* data, int count) {
    if (socket == kNoSocket) return -1;
    ssize_t sent;
    do {
        sent = ::send(Fd(socket), data, static_cast<size_t>(count), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return static_cast<int>(sent);
}

int SocketReceive(SocketHandle socket, std::uint8_t* buffer, int count, int timeoutMs) {
    if (socket == kNoSocket) return -1;
    // Try first and wait only when nothing is there: one system call per read on a busy link.
    for (;;) {
        const ssize_t got = ::recv(Fd(socket), buffer, static_cast<size_t>(count), MSG_DONTWAIT);
        if (got >= 0) return static_cast<int>(got);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        const int ready = SocketWaitReadable(socket, timeoutMs);
        if (ready < 0) return -1;
        if (ready == 0) return kSocketTimedOut;
    }
}

int SocketReceiveAvailable(SocketHandle socket, std::uint8_t* first, int firstCount,
                           std::uint8_t* second, int secondCount) {
    if (socket == kNoSocket) return -1;
    iovec parts[2] = {{first, static_cast<size_t>(firstCount)},
                      {second, static_cast<size_t>(secondCount)}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = secondCount > 0 ? 2 : 1;
    for (;;) {
        const ssize_t got = ::recvmsg(Fd(socket), &message, MSG_DONTWAIT);
        if (got >= 0) return static_cast<int>(got);
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? kSocketWouldBlock : -1;
    }
}

int SocketWaitReadable(SocketHandle socket, int timeoutMs) {
    if (socket == kNoSocket) return -1;
    pollfd waiter{Fd(socket), POLLIN, 0};
    int rc;
    do {
        rc = ::poll(&waiter, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) return -1;
    if (rc == 0) return 0;
    if (waiter.revents & POLLNVAL) return -1;
    return 1;  // data, end of stream or an error: the read that follows tells which
}

void SocketShutdownAndClose(SocketHandle socket) {
    if (socket == kNoSocket) return;
    ::shutdown(Fd(socket), SHUT_RDWR);
    ::close(Fd(socket));
}

}  // namespace telorad
