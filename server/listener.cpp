#include "listener.h"

#include "server_socket.h"

namespace telorad::server {

namespace {

// Dotted text of an address in network order.
std::string AddressText(std::uint32_t addressNetworkOrder) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&addressNetworkOrder);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
           std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
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
    std::uint16_t boundPort = 0;
    std::string reason;
    const SocketHandle socket = ListenTcp(host, port, boundPort, reason);
    if (socket == kNoSocket) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + reason;
        return false;
    }
    listener.socket = socket;
    listener.address = AddressText(host);
    listener.port = boundPort;
    return true;
}

void CloseListener(Listener& listener) {
    CloseListeningSocket(listener.socket);
    listener = Listener{};
}

SocketHandle AcceptClient(Listener& listener, std::string& peer) {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    const SocketHandle client = AcceptTcp(listener.socket, address, port);
    if (client != kNoSocket) peer = AddressText(address) + ":" + std::to_string(port);
    return client;
}

}  // namespace telorad::server
