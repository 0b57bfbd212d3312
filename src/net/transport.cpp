#include "net/transport.h"

#include <algorithm>

namespace telorad {

void TransportStartup(Connection& connection) {
    connection.sendCipher.enabled = 0;
    connection.receiveCipher.enabled = 0;
    SocketLibraryStart();
    connection.socket = kNoSocket;
}

void TransportShutdown(Connection& connection) {
    CloseConnection(connection);
    SocketLibraryStop();
}

bool OpenConnection(Connection& connection, const char* host, std::uint16_t port) {
    connection.socket = SocketCreateTcp();
    if (connection.socket == kNoSocket) return false;
    std::uint32_t address = 0;
    if (!ResolveIPv4(host, &address) ||
        !SocketConnect(connection.socket, address, port, connection.connectTimeoutMs)) {
        SocketShutdownAndClose(connection.socket);
        connection.socket = kNoSocket;
        return false;
    }
    return true;
}

void CloseConnection(Connection& connection) {
    if (connection.socket == kNoSocket) return;
    SocketShutdownAndClose(connection.socket);
    connection.socket = kNoSocket;
}

int SendBytes(Connection& connection, const std::uint8_t* data, int count) {
    if (count <= 0) return count;
    // Without a socket nothing can go out; leave the keystream where it is.
    if (connection.socket == kNoSocket) return 0;
    std::uint8_t staging[kSendChunk];
    int sent = 0;
    while (sent < count) {
        const int chunk = std::min(kSendChunk, count - sent);
        CipherCrypt(connection.sendCipher, data + sent, chunk, staging);
        int accepted = 0;
        while (accepted < chunk) {
            const int r = SocketSend(connection.socket, staging + accepted, chunk - accepted);
            if (r <= 0) return sent + accepted;
            accepted += r;
        }
        sent += chunk;
    }
    return count;
}

int ReceiveWhenReady(Connection& connection, std::uint8_t* buffer, int count, int waitMs) {
    if (count <= 0) return count;
    const int r = SocketReceive(connection.socket, buffer, count, waitMs);
    if (r == kSocketTimedOut) return 0;
    if (r < 1) return -1;
    CipherCrypt(connection.receiveCipher, buffer, r, buffer);
    connection.bytesReceived += static_cast<std::uint64_t>(r);
    if (r == count) return count;
    const int rest = ReceiveBytes(connection, buffer + r, count - r);
    return r + std::max(rest, 0);
}

int ReceiveBytes(Connection& connection, std::uint8_t* buffer, int count) {
    if (count <= 0) return count;
    int got = 0;
    while (got < count) {
        const int r =
            SocketReceive(connection.socket, buffer + got, count - got, connection.stallTimeoutMs);
        if (r < 1) return got;
        CipherCrypt(connection.receiveCipher, buffer + got, r, buffer + got);
        connection.bytesReceived += static_cast<std::uint64_t>(r);
        got += r;
    }
    return count;
}

}  // namespace telorad
