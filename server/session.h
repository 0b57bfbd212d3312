#pragma once
// One client conversation: the login the options ask for, the screen geometry, then a frame of
// changed tiles at every tick, while every message the client sends is logged as it arrives.
#include <string>

#include "event_log.h"
#include "net/socket.h"
#include "options.h"
#include "screen_source.h"

namespace telorad::server {

// Messages whose length field passes this are not read: the client is dropped.
inline constexpr std::uint32_t kMaxClientPayload = 1024 * 1024;
// A client that has not answered the login challenge by then is dropped.
inline constexpr int kLoginTimeoutMs = 30000;

// Serves the connected socket until the client leaves or breaks the protocol, then closes it.
// Logs connect, each client message, the login verdict and disconnect (with a reason).
// Returns false when the peer closed without sending a single byte (a port probe).
bool RunSession(SocketHandle client, const std::string& peer, const ServerOptions& options,
                ScreenSource& source, EventLog& log);

}  // namespace telorad::server
