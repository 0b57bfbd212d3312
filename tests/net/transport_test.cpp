// The transport against real peers: loopback TCP, and message-preserving socket pairs where a
// test must see how a block was split into send() calls.
#include "net/transport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <numeric>
#include <vector>

#include "support/test_support.h"

namespace telorad {
namespace {

using testing::AcceptWithTimeout;
using testing::ListenLoopback;
using testing::ReadExactly;

// A connection to a peer in this process. By default the pair keeps send() boundaries: every
// recv() at the peer returns one send's bytes.
struct PacketPair {
    explicit PacketPair(int type = SOCK_SEQPACKET) {
        int fds[2];
        EXPECT_EQ(socketpair(AF_UNIX, type | SOCK_CLOEXEC, 0, fds), 0);
        connection.socket = fds[0];
        peer = fds[1];
    }
    ~PacketPair() {
        CloseConnection(connection);
        ::close(peer);
    }
    std::vector<int> ReceivedChunkSizes() {
        std::vector<int> sizes;
        std::uint8_t buffer[4096];
        pollfd waiter{peer, POLLIN, 0};
        while (::poll(&waiter, 1, 0) > 0) {
            const ssize_t got = ::recv(peer, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            sizes.push_back(static_cast<int>(got));
            bytes.insert(bytes.end(), buffer, buffer + got);
        }
        return sizes;
    }
    Connection connection;
    int peer = -1;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> Sequence(int count) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) data[n] = static_cast<std::uint8_t>(n * 7 + 3);
    return data;
}

void KeyBoth(CipherState& a, CipherState& b) {
    const std::uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    CipherSetKey(a, key, 16);
    CipherSetKey(b, key, 16);
}

TEST(SendBytes, SplitsIntoChunksOfAtMost1024AndEncryptsLikeOnePass) {
    struct Case {
        int count;
        std::vector<int> chunks;
    };
    const Case cases[] = {{2048, {1024, 1024}},
                          {1025, {1024, 1}},
                          {1024, {1024}},
                          {1, {1}},
                          {3000, {1024, 1024, 952}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        for (bool encrypted : {false, true}) {
            PacketPair pair;
            CipherState reference;
            if (encrypted) KeyBoth(pair.connection.sendCipher, reference);
            const std::vector<std::uint8_t> data = Sequence(c.count);
            EXPECT_EQ(SendBytes(pair.connection, data.data(), c.count), c.count);
            EXPECT_EQ(pair.ReceivedChunkSizes(), c.chunks);
            std::vector<std::uint8_t> expected(data.size());
            CipherCrypt(reference, data.data(), c.count, expected.data());
            EXPECT_EQ(pair.bytes, expected);
            if (encrypted) {
                EXPECT_NE(pair.bytes, data);
            }
        }
    }
}

TEST(SendBytes, CountZeroOrNegativeTouchesNeitherSocketNorCipher) {
    for (int count : {0, -5}) {
        PacketPair pair;
        CipherState unused;
        KeyBoth(pair.connection.sendCipher, unused);
        const CipherState before = pair.connection.sendCipher;
        const std::uint8_t byte = 1;
        EXPECT_EQ(SendBytes(pair.connection, &byte, count), count);
        EXPECT_TRUE(pair.ReceivedChunkSizes().empty());
        EXPECT_EQ(std::memcmp(&before, &pair.connection.sendCipher, sizeof before), 0);
    }
}

TEST(SendBytes, WithoutSocketReturnsZero) {
    Connection connection;
    TransportStartup(connection);
    const std::vector<std::uint8_t> data = Sequence(100);
    EXPECT_EQ(SendBytes(connection, data.data(), 100), 0);
}

TEST(SendBytes, PeerGoneGivesShortCountAndNoSigpipe) {
    std::uint16_t port = 0;
    const int listener = ListenLoopback(&port);
    ASSERT_GE(listener, 0);
    Connection connection;
    TransportStartup(connection);
    ASSERT_TRUE(OpenConnection(connection, "127.0.0.1", port));
    const int accepted = AcceptWithTimeout(listener, 2000);
    ASSERT_GE(accepted, 0);
    ::close(accepted);
    ::close(listener);
    // The first sends may still be buffered; keep sending until the reset shows. SIGPIPE
    // would end the test program here.
    const std::vector<std::uint8_t> data = Sequence(64 * 1024);
    int result = static_cast<int>(data.size());
    for (int round = 0; round < 50 && result == static_cast<int>(data.size()); ++round) {
        result = SendBytes(connection, data.data(), static_cast<int>(data.size()));
    }
    EXPECT_LT(result, static_cast<int>(data.size()));
    CloseConnection(connection);
}

TEST(ReceiveBytes, DecryptsInPlaceAcrossCalls) {
    PacketPair pair(SOCK_STREAM);
    CipherState serverSend;
    KeyBoth(serverSend, pair.connection.receiveCipher);
    const std::vector<std::uint8_t> plain = Sequence(300);
    std::vector<std::uint8_t> wire(plain.size());
    CipherCrypt(serverSend, plain.data(), 300, wire.data());
    ASSERT_EQ(::send(pair.peer, wire.data(), 100, 0), 100);
    ASSERT_EQ(::send(pair.peer, wire.data() + 100, 200, 0), 200);
    std::vector<std::uint8_t> got(300);
    EXPECT_EQ(ReceiveBytes(pair.connection, got.data(), 50), 50);
    EXPECT_EQ(ReceiveBytes(pair.connection, got.data() + 50, 250), 250);
    EXPECT_EQ(got, plain);
}

TEST(ReceiveBytes, ReturnsWhatArrivedBeforeThePeerClosed) {
    std::uint16_t port = 0;
    const int listener = ListenLoopback(&port);
    Connection connection;
    TransportStartup(connection);
    ASSERT_TRUE(OpenConnection(connection, "127.0.0.1", port));
    const int peer = AcceptWithTimeout(listener, 2000);
    ASSERT_GE(peer, 0);
    const std::uint8_t three[3] = {1, 2, 3};
    ASSERT_TRUE(testing::WriteAll(peer, three, 3));
    ::close(peer);
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(ReceiveBytes(connection, buffer, 8), 3);
    EXPECT_EQ(buffer[2], 3);
    CloseConnection(connection);
    ::close(listener);
}

TEST(ReceiveBytes, CountZeroReadsNothing) {
    PacketPair pair;
    const std::uint8_t one = 9;
    ASSERT_EQ(::send(pair.peer, &one, 1, 0), 1);
    std::uint8_t buffer = 0;
    EXPECT_EQ(ReceiveBytes(pair.connection, &buffer, 0), 0);
    EXPECT_EQ(ReceiveBytes(pair.connection, &buffer, 1), 1);
    EXPECT_EQ(buffer, 9);
}

TEST(ReceiveBytes, GivesUpAfterTheStallTimeOutWithoutAByte) {
    PacketPair pair;
    pair.connection.stallTimeoutMs = 100;
    const std::uint8_t two[2] = {1, 2};
    ASSERT_EQ(::send(pair.peer, two, 2, 0), 2);
    std::uint8_t buffer[8];
    EXPECT_EQ(ReceiveBytes(pair.connection, buffer, 8), 2);
}

TEST(OpenConnection, RefusedPortFailsAndHoldsNoSocket) {
    Connection connection;
    TransportStartup(connection);
    const testing::RefusingPort refusing;
    EXPECT_FALSE(OpenConnection(connection, "127.0.0.1", refusing.port()));
    EXPECT_EQ(connection.socket, kNoSocket);
}

TEST(OpenConnection, UnknownHostFails) {
    Connection connection;
    TransportStartup(connection);
    // A label over 63 bytes: the resolver refuses the name itself, so no query leaves the machine.
    const std::string host = std::string(64, 'x') + ".invalid";
    EXPECT_FALSE(OpenConnection(connection, host.c_str(), 9876));
    EXPECT_EQ(connection.socket, kNoSocket);
}

TEST(OpenConnection, NameLookupAndDottedAddressBothConnect) {
    std::uint16_t port = 0;
    const int listener = ListenLoopback(&port);
    for (const char* host : {"127.0.0.1", "localhost"}) {
        SCOPED_TRACE(host);
        Connection connection;
        TransportStartup(connection);
        EXPECT_TRUE(OpenConnection(connection, host, port));
        int noDelay = 0;
        socklen_t size = sizeof noDelay;
        ::getsockopt(connection.socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, &size);
        EXPECT_EQ(noDelay, 1) << "small messages must not wait for an acknowledgement";
        const int peer = AcceptWithTimeout(listener, 2000);
        EXPECT_GE(peer, 0);
        ::close(peer);
        CloseConnection(connection);
        EXPECT_EQ(connection.socket, kNoSocket);
    }
    ::close(listener);
}

TEST(OpenConnection, GivesUpWhenTheServerNeverAnswers) {
    // A listener that never accepts, with its queue full: further SYNs go unanswered.
    std::uint16_t port = 0;
    const int listener = ListenLoopback(&port, 0);
    ASSERT_GE(listener, 0);
    std::vector<Connection> fillers(4);
    for (Connection& filler : fillers) {
        TransportStartup(filler);
        filler.connectTimeoutMs = 200;
        OpenConnection(filler, "127.0.0.1", port);
    }
    Connection connection;
    TransportStartup(connection);
    connection.connectTimeoutMs = 300;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenConnection(connection, "127.0.0.1", port));
    EXPECT_EQ(connection.socket, kNoSocket);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    for (Connection& filler : fillers) CloseConnection(filler);
    ::close(listener);
}

TEST(ResolveIPv4, AllOnesAddressGoesToTheNameLookup) {
    std::uint32_t address = 0;
    EXPECT_TRUE(ResolveIPv4("127.0.0.1", &address));
    EXPECT_EQ(address, htonl(0x7F000001));
    // The classic dotted reading cannot tell this text from its error value; the lookup can.
    address = 0;
    EXPECT_TRUE(ResolveIPv4("255.255.255.255", &address));
    EXPECT_EQ(address, 0xFFFFFFFFu);
    EXPECT_FALSE(ResolveIPv4("", &address));
}

}  // namespace
}  // namespace telorad
