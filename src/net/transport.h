#pragma once
// The client's one TCP connection, with a stream cipher per direction.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "crypto/cipher.h"
#include "net/socket.h"

namespace telorad {

struct Connection {
    SocketHandle socket = kNoSocket;
    CipherState sendCipher;
    CipherState receiveCipher;
    // How long OpenConnection waits for the server to accept.
    int connectTimeoutMs = 15000;
    // How long a message may wait for its next byte before the connection is given up.
    int stallTimeoutMs = 30000;
    // Connections opened on this record: a loop that waits on the socket tells a new connection
    // from a closed one whose handle value the system gave out again.
    std::uint64_t opened = 0;
    // Bytes received on this record since it was made, for throughput figures.
    std::uint64_t bytesReceived = 0;
    // Read-ahead: bytes taken from the socket and not yet consumed, still as they came off the
    // wire. They are decrypted only when consumed, so a cipher keyed between two messages
    // applies from exactly the next byte.
    std::vector<std::uint8_t> inbox;
    std::size_t inboxStart = 0;
    std::size_t inboxEnd = 0;
};

// The read-ahead's size: what one read takes from the socket beyond the bytes asked for. Large
// enough that a full-screen stream costs few system calls (each may also cost the processor
// its cached address translations), small enough to stay in the processor's cache.
inline constexpr std::size_t kInboxSize = 256 * 1024;

inline constexpr int kSendChunk = 1024;

void TransportStartup(Connection& connection);
void TransportShutdown(Connection& connection);

// Host: dotted IPv4 text or a host name. True when connected; on failure no socket is held.
bool OpenConnection(Connection& connection, const char* host, std::uint16_t port);
void CloseConnection(Connection& connection);

// Encrypts and sends count bytes in chunks of at most kSendChunk. Returns count, or the bytes
// accepted before a send failed (0 without a socket).
int SendBytes(Connection& connection, const std::uint8_t* data, int count);

// Hands over up to count decrypted bytes without waiting: read-ahead first, else what the socket
// has, read straight into buffer with what follows read ahead in the same call. Returns the bytes
// handed over, 0 when none are there yet, or -1 when the peer closed or the connection failed.
int ReceiveAvailable(Connection& connection, std::uint8_t* buffer, int count);

// The next count bytes when all of them are in the read-ahead already: decrypted where they lie,
// consumed, and valid until the next receive on the connection. Null otherwise (nothing taken).
const std::uint8_t* ReceiveInPlace(Connection& connection, std::size_t count);

// Waits at most waitMs until ReceiveAvailable has something to say: 1 (bytes, end of stream or
// an error), 0 time-out, -1 error or no socket.
int WaitReceivable(Connection& connection, int waitMs);

// Receives exactly count bytes, waiting as long as bytes keep coming. Returns count, or the bytes
// received before the peer closed, an error, or stallTimeoutMs without a single byte.
int ReceiveBytes(Connection& connection, std::uint8_t* buffer, int count);

}  // namespace telorad
