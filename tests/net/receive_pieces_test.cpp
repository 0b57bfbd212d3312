// However the server's bytes are cut into pieces on the way, the client ends with the same
// picture, sends the same bytes and reports the same poll results: partial messages are kept
// between polls, and a cipher keyed by a verdict starts at exactly the next byte.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "app/client.h"
#include "app/receive_poll.h"
#include "app/recording_window_system.h"
#include "crypto/password_response.h"
#include "dispatcher_peer.h"

namespace telorad {
namespace {

using testing::Concat;
using testing::RectBytes;
using testing::U32;

constexpr char kPassword[] = "pieces";

// A server's side of one connection, written up front as it would cross the wire.
class RecordedStream {
public:
    void Plain(const std::vector<std::uint8_t>& bytes) { Append(bytes); }
    void Message(std::uint32_t type, const std::vector<std::uint8_t>& payload) {
        Append(Concat({U32(type), U32(static_cast<std::uint32_t>(payload.size())), payload}));
    }
    void Geometry(std::uint32_t w, std::uint32_t h, std::uint32_t depth, std::uint32_t tile) {
        std::vector<std::uint8_t> info(kScreenInfoSize);
        EncodeScreenInfo({0, w, h, depth, tile, 0}, info.data());
        Message(MSG_SCREEN_INFO, info);
    }
    void Update(std::uint32_t type, const std::vector<std::uint8_t>& rect,
                const std::vector<std::uint8_t>& payload) {
        Message(type, Concat({rect, payload}));
    }
    // A digest login with an encrypting verdict; both directions are keyed behind it.
    void EncryptingLogin(const Digest16& challenge) {
        Message(MSG_AUTH_CHALLENGE, {challenge.begin(), challenge.end()});
        Plain(Concat({U32(MSG_AUTH_RESPONSE), U32(1), U32(1)}));
        const Digest16 key = DeriveCipherKey(challenge, kPassword);
        CipherSetKey(cipher_, key.data(), 16);
    }
    const std::vector<std::uint8_t>& bytes() const { return wire_; }

private:
    void Append(std::vector<std::uint8_t> plain) {
        CipherCrypt(cipher_, plain.data(), static_cast<int>(plain.size()), plain.data());
        wire_.insert(wire_.end(), plain.begin(), plain.end());
    }
    CipherState cipher_;
    std::vector<std::uint8_t> wire_;
};

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t n = 0; n < size; ++n) bytes[n] = static_cast<std::uint8_t>(seed + n * 7);
    return bytes;
}

RecordedStream PlainStream() {
    RecordedStream s;
    std::vector<std::uint8_t> info(kScreenInfoSize);
    EncodeScreenInfo({0, 300, 280, 32, 128, 0}, info.data());
    s.Message(MSG_AUTH_SEED, U32(0x12345678));
    s.Plain(Concat({U32(MSG_SCREEN_INFO), U32(24), info}));
    // A whole 128 × 128 tile at 32 bits: read partly straight into the tile, partly through the
    // read-ahead, depending on where the pieces end.
    s.Update(MSG_SCREEN_RAW, RectBytes(0, 0, 128, 128), Pattern(128 * 128 * 4, 3));
    s.Update(MSG_SCREEN_RAW, RectBytes(256, 256, 44, 24), Pattern(300, 9));
    s.Message(3, {});  // unknown: the connection ends here
    return s;
}

RecordedStream EncryptedStream() {
    const Digest16 first = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    Digest16 second = first;
    second[3] ^= 0xA5;
    RecordedStream s;
    s.EncryptingLogin(first);
    s.Geometry(64, 40, 16, 16);
    s.Update(MSG_SCREEN_RLE, RectBytes(0, 0, 16, 16), {0x00, 0x81, 0x1F, 0x7C});
    s.Update(MSG_SCREEN_RAW, RectBytes(16, 8, 16, 16), Pattern(512, 1));
    s.EncryptingLogin(second);  // re-keyed mid-stream
    s.Update(MSG_SCREEN_RAW, RectBytes(40, 30, 16, 16), Pattern(512, 77));
    s.Message(3, {});
    return s;
}

struct Outcome {
    std::vector<int> results;  // every poll result but 0
    std::vector<std::uint8_t> framebuffer;
    std::vector<std::uint8_t> sent;
    std::size_t boxes = 0;
};

// Feeds the stream in pieces, polling after each until the client has taken all it can.
// pieceLimit 0 feeds it whole; otherwise piece sizes are drawn from 1 to pieceLimit.
Outcome Feed(const std::vector<std::uint8_t>& stream, std::size_t pieceLimit, unsigned seed) {
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    RecordingWindowSystem window;
    Client client(window);
    client.connection.socket = fds[0];
    client.connectParams.password = kPassword;
    client.pollWaitMs = 0;
    Outcome outcome;
    auto drain = [&] {
        int r;
        while (client.connection.socket != kNoSocket && (r = ReceivePoll(client)) != 0) {
            outcome.results.push_back(r);
            if (r < 0) CloseConnection(client.connection);
        }
    };
    std::mt19937 random(seed);
    std::size_t at = 0;
    while (at < stream.size() && client.connection.socket != kNoSocket) {
        std::size_t piece = stream.size() - at;
        if (pieceLimit > 0) {
            piece = std::min<std::size_t>(piece, 1 + random() % pieceLimit);
        }
        const ssize_t put = ::send(fds[1], stream.data() + at, piece, MSG_DONTWAIT);
        if (put > 0) at += static_cast<std::size_t>(put);
        EXPECT_TRUE(put > 0 || errno == EAGAIN);
        drain();
    }
    outcome.framebuffer = client.framebuffer.pixels;
    outcome.boxes = window.messageBoxes.size();
    std::uint8_t buffer[4096];
    ssize_t got;
    while ((got = ::recv(fds[1], buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
        outcome.sent.insert(outcome.sent.end(), buffer, buffer + got);
    }
    ::close(fds[1]);
    return outcome;
}

TEST(ReceiveInPieces, EveryCutGivesTheSameResult) {
    struct Case {
        const char* name;
        RecordedStream stream;
        std::vector<int> results;
        std::size_t sent;  // one 24-byte reply per login
    };
    const Case cases[] = {
        {"plain, legacy login", PlainStream(), {1, 1, 1, -1}, 24},
        {"encrypted, re-keyed", EncryptedStream(), {1, 1, 1, 1, 1, 1, -1}, 48},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome whole = Feed(c.stream.bytes(), 0, 0);
        EXPECT_EQ(whole.results, c.results);
        EXPECT_EQ(whole.sent.size(), c.sent);
        struct Cut {
            std::size_t pieceLimit;
            unsigned seeds;
        };
        for (const Cut cut : {Cut{1, 1}, Cut{7, 4}, Cut{300, 40}, Cut{70000, 40}}) {
            for (unsigned seed = 1; seed <= cut.seeds; ++seed) {
                SCOPED_TRACE(::testing::Message() << "pieces up to " << cut.pieceLimit
                                                  << ", seed " << seed);
                const Outcome cutUp = Feed(c.stream.bytes(), cut.pieceLimit, seed);
                ASSERT_EQ(cutUp.results, whole.results);
                ASSERT_EQ(cutUp.sent, whole.sent);
                ASSERT_EQ(cutUp.boxes, whole.boxes);
                ASSERT_TRUE(cutUp.framebuffer == whole.framebuffer);
            }
        }
    }
}

}  // namespace
}  // namespace telorad
