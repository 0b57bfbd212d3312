#pragma once
// The one socket interface of the core. socket_posix.cpp and socket_win32.cpp implement it;
// CMake picks the file for the platform.
#include <cstdint>

namespace telorad {

using SocketHandle = std::intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// Starts and stops the platform's socket library (a no-op on POSIX).
void SocketLibraryStart();
void SocketLibraryStop();

// Dotted IPv4 text first (the classic inet_addr reading, so 255.255.255.255 counts as "not an
// address"), else a name lookup for an IPv4 address. The address is in network byte order.
bool ResolveIPv4(const char* host, std::uint32_t* addressNetworkOrder);

// An IPv4 TCP socket, or kNoSocket.
SocketHandle SocketCreateTcp();

// Connects, giving up after timeoutMs; the socket is blocking again afterwards. Also turns on
// TCP keep-alive with short timings so a link that dies silently is noticed.
bool SocketConnect(SocketHandle socket, std::uint32_t addressNetworkOrder, std::uint16_t port,
                   int timeoutMs);

// One send() call that never raises SIGPIPE. Returns the bytes accepted, or <= 0 on failure.
int SocketSend(SocketHandle socket, const std::uint8_t* data, int count);

inline constexpr int kSocketTimedOut = -2;

// Receives what is there, up to count bytes, waiting at most timeoutMs for the first byte.
// Returns the bytes received, 0 when the peer closed, kSocketTimedOut, or -1 on error.
int SocketReceive(SocketHandle socket, std::uint8_t* buffer, int count, int timeoutMs);

inline constexpr int kSocketWouldBlock = -3;

// Receives what is there without waiting, in one call: up to firstCount bytes into first, then
// up to secondCount more into second (which may be null with secondCount 0). Returns the bytes
// received in all, 0 when the peer closed, kSocketWouldBlock when nothing is there yet, or -1 on
// error.
int SocketReceiveAvailable(SocketHandle socket, std::uint8_t* first, int firstCount,
                           std::uint8_t* second, int secondCount);

// Waits until the socket is readable: 1 readable (data or end of stream), 0 time-out, -1 error.
int SocketWaitReadable(SocketHandle socket, int timeoutMs);

// Shuts both directions down and closes the handle.
void SocketShutdownAndClose(SocketHandle socket);

}  // namespace telorad
