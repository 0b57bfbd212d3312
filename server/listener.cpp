#include "listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace telorad::server {

namespace {

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

}  // namespace

bool OpenListener(Listener& listener, const std::string& address, std::uint16_t port,
                  std::string& error) {
    CloseListener(listener);
    std::uint32_t host = 0;
    if (!ResolveIPv4(address.c_str(), &host)) {
        error = "cannot resolve " + address;
        return false;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    bound.sin_addr.s_addr = host;
    socklen_t size = sizeof bound;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &size) != 0) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " +
                std::strerror(errno);
        ::close(fd);
        return false;
    }
    listener.fd = fd;
    listener.address = AddressText(bound);
    listener.port = ntohs(bound.sin_port);
    return true;
}

void CloseListener(Listener& listener) {
    if (listener.fd >= 0) ::close(listener.fd);
    listener = Listener{};
}

SocketHandle AcceptClient(Listener& listener, std::string& peer) {
    for (;;) {
        sockaddr_in address{};
        socklen_t size = sizeof address;
        const int fd =
            ::accept4(listener.fd, reinterpret_cast<sockaddr*>(&address), &size, SOCK_CLOEXEC);
        if (fd >= 0) {
            // Replies and tiles go out at once, never held back for a delayed acknowledgement.
            int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            peer = AddressText(address) + ":" + std::to_string(ntohs(address.sin_port));
            return fd;
        }
        // A client that gave up before we got to it is no reason to stop serving.
        if (errno != EINTR && errno != ECONNABORTED && errno != EPROTO) return kNoSocket;
    }
}

}  // namespace telorad::server
