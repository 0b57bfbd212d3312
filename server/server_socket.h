#pragma once
// What the server needs of the platform beyond the client's socket interface (net/socket.h):
// listening, accepting, and sends that never wait, so a slow client's own messages are still
// read. server_socket_posix.cpp and server_socket_win32.cpp implement it; CMake picks one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "net/socket.h"

namespace telorad::server {

// Starts the socket library and keeps the process alive when a client or the reader of the
// log goes away while something is written to it.
void StartServerPlatform();

// Listens on an IPv4 address (network order) and port (0: the system picks one). Gives the
// port as bound, or kNoSocket and a reason.
SocketHandle ListenTcp(std::uint32_t addressNetworkOrder, std::uint16_t port,
                       std::uint16_t& boundPort, std::string& error);

// Waits for the next client, passing over clients that gave up before they were accepted.
// The socket sends every message at once (no delayed small packets). kNoSocket on failure.
SocketHandle AcceptTcp(SocketHandle listener, std::uint32_t& peerAddressNetworkOrder,
                       std::uint16_t& peerPort);

void CloseListeningSocket(SocketHandle listener);

inline constexpr int kSocketCanSend = 1;
inline constexpr int kSocketCanReceive = 2;

// Waits until the socket can take more bytes or, with watchReceive, has bytes (or the end of
// the stream) to read. Returns kSocketCanSend and/or kSocketCanReceive, or -1 on error.
int WaitSendOrReceive(SocketHandle socket, bool watchReceive);

// Sends what the socket takes now: the byte count, kSocketWouldBlock when it takes nothing
// yet, or -1 when the connection failed. At most kLargestSend bytes go in one call.
inline constexpr std::size_t kLargestSend = std::size_t{1} << 30;
int SendWithoutWaiting(SocketHandle socket, const std::uint8_t* data, std::size_t count);

}  // namespace telorad::server
