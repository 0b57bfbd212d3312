#pragma once
// The client's one TCP connection, with a stream cipher per direction.
#include <cstdint>

#include "crypto/cipher.h"
#include "net/socket.h"

namespace telorad {

struct Connection {
    SocketHandle socket = kNoSocket;
    CipherState sendCipher;
    CipherState receiveCipher;
    // How long OpenConnection waits for the server to accept.
    int connectTimeoutMs = 15000;
    // How long ReceiveBytes waits for the next byte of a message before it gives up.
    int stallTimeoutMs = 30000;
    // Bytes received on this record since it was made, for throughput figures.
    std::uint64_t bytesReceived = 0;
};

inline constexpr int kSendChunk = 1024;

void TransportStartup(Connection& connection);
void TransportShutdown(Connection& connection);

// Host: dotted IPv4 text or a host name. True when connected; on failure no socket is held.
bool OpenConnection(Connection& connection, const char* host, std::uint16_t port);
void CloseConnection(Connection& connection);

// Encrypts and sends count bytes in chunks of at most kSendChunk. Returns count, or the bytes
// accepted before a send failed (0 without a socket).
int SendBytes(Connection& connection, const std::uint8_t* data, int count);

// Waits at most waitMs for the first byte, then receives exactly count bytes as ReceiveBytes
// does. Returns 0 when nothing arrived within waitMs, count, or a shorter count when the peer
// closed, failed or stalled (-1 when that happened before the first byte). On a busy link this
// is one read, without a separate wait.
int ReceiveWhenReady(Connection& connection, std::uint8_t* buffer, int count, int waitMs);

// Receives exactly count bytes and decrypts them in place. Returns count, or the bytes received
// before the peer closed, an error, or stallTimeoutMs without a single byte.
int ReceiveBytes(Connection& connection, std::uint8_t* buffer, int count);

}  // namespace telorad
