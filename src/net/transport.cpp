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
    ++connection.opened;
    return true;
}

void CloseConnection(Connection& connection) {
    // Bytes read ahead belong to the connection that sent them.
    connection.inboxStart = connection.inboxEnd = 0;
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

namespace {

// Decrypts count bytes into the caller's buffer as they are handed over.
void Consume(Connection& connection, const std::uint8_t* wire, std::uint8_t* buffer, int count) {
    CipherCrypt(connection.receiveCipher, wire, count, buffer);
    connection.bytesReceived += static_cast<std::uint64_t>(count);
}

}  // namespace

int ReceiveAvailable(Connection& connection, std::uint8_t* buffer, int count) {
    if (count <= 0) return 0;
    if (connection.inboxStart == connection.inboxEnd) {
        // One read: what the caller asked for lands straight in its buffer (a raw tile is not
        // copied again), and whatever the socket holds beyond that is read ahead.
        if (connection.inbox.size() < kInboxSize) connection.inbox.resize(kInboxSize);
        const int r = SocketReceiveAvailable(connection.socket, buffer, count,
                                             connection.inbox.data(),
                                             static_cast<int>(kInboxSize));
        if (r == kSocketWouldBlock) return 0;
        if (r < 1) return -1;
        const int direct = std::min(r, count);
        connection.inboxStart = 0;
        connection.inboxEnd = static_cast<std::size_t>(r - direct);
        Consume(connection, buffer, buffer, direct);
        return direct;
    }
    const int take = static_cast<int>(
        std::min<std::size_t>(static_cast<std::size_t>(count),
                              connection.inboxEnd - connection.inboxStart));
    Consume(connection, connection.inbox.data() + connection.inboxStart, buffer, take);
    connection.inboxStart += static_cast<std::size_t>(take);
    return take;
}

const std::uint8_t* ReceiveInPlace(Connection& connection, std::size_t count) {
    if (count == 0 || connection.inboxEnd - connection.inboxStart < count) return nullptr;
    std::uint8_t* at = connection.inbox.data() + connection.inboxStart;
    Consume(connection, at, at, static_cast<int>(count));
    connection.inboxStart += count;
    return at;
}

int WaitReceivable(Connection& connection, int waitMs) {
    if (connection.inboxStart != connection.inboxEnd) return 1;
    return SocketWaitReadable(connection.socket, waitMs);
}

int ReceiveBytes(Connection& connection, std::uint8_t* buffer, int count) {
    if (count <= 0) return count;
    int got = 0;
    while (got < count) {
        const int r = ReceiveAvailable(connection, buffer + got, count - got);
        if (r < 0) return got;
        if (r == 0 && WaitReceivable(connection, connection.stallTimeoutMs) != 1) return got;
        got += r;
    }
    return count;
}

}  // namespace telorad
