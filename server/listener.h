#pragma once
// The listening socket: one client is served at a time, the next waits in the backlog.
#include <cstdint>
#include <string>

#include "net/socket.h"

namespace telorad::server {

struct Listener {
    SocketHandle socket = kNoSocket;
    std::string address;     // as bound, e.g. "127.0.0.1"
    std::uint16_t port = 0;  // as bound (the chosen one for port 0)
};

// Binds address (dotted IPv4 or a host name) and port, and listens. False with a reason.
bool OpenListener(Listener& listener, const std::string& address, std::uint16_t port,
                  std::string& error);
void CloseListener(Listener& listener);

// Waits for the next client. kNoSocket on failure; peer receives "ADDR:PORT".
SocketHandle AcceptClient(Listener& listener, std::string& peer);

}  // namespace telorad::server
