// The client's encoders, byte for byte, through a socket pair that keeps send() boundaries.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "net/transport.h"
#include "net/wire.h"

namespace telorad {
namespace {

class EncoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        TransportStartup(connection);
        connection.socket = fds[0];
        peer = fds[1];
    }
    void TearDown() override {
        CloseConnection(connection);
        ::close(peer);
    }
    // Every send() the client made, in order.
    std::vector<std::vector<std::uint8_t>> Sends() {
        std::vector<std::vector<std::uint8_t>> sends;
        std::uint8_t buffer[4096];
        pollfd waiter{peer, POLLIN, 0};
        while (::poll(&waiter, 1, 0) > 0) {
            const ssize_t got = ::recv(peer, buffer, sizeof buffer, 0);
            if (got <= 0) break;
            sends.emplace_back(buffer, buffer + got);
        }
        return sends;
    }
    static std::vector<std::uint8_t> Join(const std::vector<std::vector<std::uint8_t>>& sends) {
        std::vector<std::uint8_t> all;
        for (const auto& send : sends) all.insert(all.end(), send.begin(), send.end());
        return all;
    }
    Connection connection;
    int peer = -1;
};

using Bytes = std::vector<std::uint8_t>;

TEST_F(EncoderTest, FixedSizeMessages) {
    SendSetMode(connection, MODE_CONTROL);
    SendMouseEvent(connection, 513, 60 * 65536 + 110);
    SendKeyEvent(connection, 1, 0xA0);
    const auto sends = Sends();
    ASSERT_EQ(sends.size(), 3u);
    EXPECT_EQ(sends[0], (Bytes{0x01, 0x01, 0, 0, 4, 0, 0, 0, 3, 0, 0, 0}));
    EXPECT_EQ(sends[1], (Bytes{0x01, 0x03, 0, 0, 8, 0, 0, 0, 0x01, 0x02, 0, 0, 110, 0, 60, 0}));
    EXPECT_EQ(sends[2], (Bytes{0x01, 0x04, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 0xA0, 0, 0, 0}));
}

TEST_F(EncoderTest, CommandLengthsAndChunks) {
    struct Case {
        std::size_t textBytes;
        std::uint32_t length;          // header field
        std::vector<std::size_t> sends;  // how the transport split it
    };
    const Case cases[] = {
        {0, 1, {9}},
        {5, 6, {14}},
        {1015, 1016, {1024}},
        {1023, 1024, {1024, 8}},
        {2039, 2040, {1024, 1024}},
        {2040, 2040, {1024, 1024}},  // cut to the buffer
        {5000, 2040, {1024, 1024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.textBytes);
        std::string text(c.textBytes, '\0');
        for (std::size_t n = 0; n < text.size(); ++n) text[n] = static_cast<char>('a' + n % 26);
        SendCommand(connection, text);
        const auto sends = Sends();
        std::vector<std::size_t> sizes;
        for (const auto& send : sends) sizes.push_back(send.size());
        EXPECT_EQ(sizes, c.sends);
        const Bytes all = Join(sends);
        ASSERT_EQ(all.size(), 8 + c.length);
        EXPECT_EQ(GetU32(all.data()), MSG_COMMAND);
        EXPECT_EQ(GetU32(all.data() + 4), c.length);
        EXPECT_EQ(std::string(all.begin() + 8, all.end() - 1), text.substr(0, c.length - 1));
        EXPECT_EQ(all.back(), 0);
    }
}

TEST_F(EncoderTest, CommandStopsAtAnEmbeddedNul) {
    SendCommand(connection, std::string_view("ab\0cd", 5));
    EXPECT_EQ(Join(Sends()), (Bytes{0x01, 0x05, 0, 0, 3, 0, 0, 0, 'a', 'b', 0}));
}

TEST_F(EncoderTest, DoubleByteTextGoesOutUnchanged) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67\x5C";  // bytes as given, 0x5C trail included
    SendCommand(connection, sjis);
    const Bytes all = Join(Sends());
    EXPECT_EQ(std::string(all.begin() + 8, all.end() - 1), sjis);
}

TEST(WireLayout, RecordsRoundTripLittleEndian) {
    std::uint8_t bytes[24];
    EncodeUpdateRect({-1, 2, 0x12345678, -0x7FFFFFFF - 1}, bytes);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[8], 0x78);
    EXPECT_EQ(bytes[15], 0x80);
    const UpdateRect rect = DecodeUpdateRect(bytes);
    EXPECT_EQ(rect.x, -1);
    EXPECT_EQ(rect.height, -0x7FFFFFFF - 1);

    EncodeScreenInfo({1, 1920, 1080, 32, 64, 7}, bytes);
    const ScreenInfo info = DecodeScreenInfo(bytes);
    EXPECT_EQ(info.width, 1920u);
    EXPECT_EQ(info.authFailed, 7u);
    EXPECT_EQ(bytes[4], 0x80);
    EXPECT_EQ(bytes[5], 0x07);
}

}  // namespace
}  // namespace telorad
