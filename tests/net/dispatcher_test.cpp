// The receive dispatcher against a scripted server in the same process: every handshake and
// verdict case, screen geometry and updates, and every bound a hostile server could break.
#include <gtest/gtest.h>

#include <cstring>

#include "app/client.h"
#include "app/receive_poll.h"
#include "app/recording_window_system.h"
#include "app/session.h"
#include "crypto/password_response.h"
#include "dispatcher_peer.h"
#include "screen/screen_bitmap.h"

namespace telorad {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::RectBytes;
using testing::ScriptedPeer;
using testing::U32;
using Box = RecordingWindowSystem::MessageBoxCall;

const Digest16 kChallenge = {0x10, 0x21, 0x32, 0x43, 0x54, 0x65, 0x76, 0x87,
                             0x98, 0xA9, 0xBA, 0xCB, 0xDC, 0xED, 0xFE, 0x0F};

class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        client.connection.socket = peer.Open();
        client.connection.stallTimeoutMs = 2000;
        client.connectParams.password = "pa\xDFss";
    }

    std::vector<std::uint8_t> Challenge() { return {kChallenge.begin(), kChallenge.end()}; }

    // The client's 24-byte reply to a login: header then payload.
    void ExpectReply(std::uint32_t type, const Digest16& payload) {
        const auto sent = peer.Received(24);
        ASSERT_EQ(sent.size(), 24u);
        EXPECT_EQ(GetU32(sent.data()), type);
        EXPECT_EQ(GetU32(sent.data() + 4), 16u);
        EXPECT_TRUE(std::equal(payload.begin(), payload.end(), sent.begin() + 8));
    }

    void ExpectBoxes(const std::vector<std::pair<std::string, std::string>>& expected) {
        ASSERT_EQ(window.messageBoxes.size(), expected.size());
        for (std::size_t n = 0; n < expected.size(); ++n) {
            EXPECT_EQ(window.messageBoxes[n].text, expected[n].first);
            EXPECT_EQ(window.messageBoxes[n].caption, expected[n].second);
        }
    }

    void GiveGeometry(std::uint32_t width, std::uint32_t height, std::uint32_t depth,
                      std::uint32_t tile) {
        peer.SendScreenInfo({0, width, height, depth, tile, 0});
        ASSERT_EQ(ReceivePoll(client), 1);
    }

    RecordingWindowSystem window;
    Client client{window};
    ScriptedPeer peer;
};

TEST_F(DispatcherTest, NothingReadableGivesZero) { EXPECT_EQ(ReceivePoll(client), 0); }

TEST_F(DispatcherTest, DigestVerdicts) {
    struct Case {
        std::uint32_t length;
        std::int32_t result;
        int poll;
        bool encrypted;
        std::vector<std::pair<std::string, std::string>> boxes;
    };
    const Case cases[] = {
        {1, 0, 1, false, {{"Insecure connection!", "caution!"}}},
        {1, 2, 1, false, {{"Insecure connection!", "caution!"}}},
        {1, 1, 1, true, {}},
        {1, 3, 1, true, {}},
        {1, -1, -1, false, {{"Auth error!", "Error!"}}},
        {4, 1, -1, false, {{"Protocol error!", "Error!"}}},
        {0, 0, -1, false, {{"Protocol error!", "Error!"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.length << "/" << c.result);
        RecordingWindowSystem caseWindow;
        Client caseClient(caseWindow);
        ScriptedPeer casePeer;
        caseClient.connection.socket = casePeer.Open();
        caseClient.connectParams.password = "secret";
        casePeer.SendMessage(MSG_AUTH_CHALLENGE, 16, Challenge());
        casePeer.SendVerdict(c.length, c.result);
        EXPECT_EQ(ReceivePoll(caseClient), c.poll);
        const auto sent = casePeer.Received(24);
        ASSERT_EQ(sent.size(), 24u);
        const Digest16 response = MakeDigestResponse(kChallenge, "secret");
        EXPECT_EQ(GetU32(sent.data()), MSG_AUTH_RESPONSE);
        EXPECT_EQ(GetU32(sent.data() + 4), 16u);
        EXPECT_TRUE(std::equal(response.begin(), response.end(), sent.begin() + 8));
        EXPECT_EQ(caseClient.connection.sendCipher.enabled, c.encrypted ? 1u : 0u);
        EXPECT_EQ(caseClient.connection.receiveCipher.enabled, c.encrypted ? 1u : 0u);
        ASSERT_EQ(caseWindow.messageBoxes.size(), c.boxes.size());
        for (std::size_t n = 0; n < c.boxes.size(); ++n) {
            EXPECT_EQ(caseWindow.messageBoxes[n].text, c.boxes[n].first);
            EXPECT_EQ(caseWindow.messageBoxes[n].caption, c.boxes[n].second);
            EXPECT_EQ(caseWindow.messageBoxes[n].style, c.boxes[n].first == "Insecure connection!"
                                                            ? MessageBoxStyle::Warning
                                                            : MessageBoxStyle::Ok);
        }
    }
}

TEST_F(DispatcherTest, VerdictCutShortIsAProtocolError) {
    peer.SendMessage(MSG_AUTH_CHALLENGE, 16, Challenge());
    peer.Send(Concat({U32(MSG_AUTH_RESPONSE), U32(1), Bytes("\x01")}));
    peer.CloseWrite();
    EXPECT_EQ(ReceivePoll(client), -1);
    ExpectBoxes({{"Protocol error!", "Error!"}});
}

TEST_F(DispatcherTest, EncryptingVerdictArmsBothDirectionsFromTheNextByte) {
    peer.SendMessage(MSG_AUTH_CHALLENGE, 16, Challenge());
    peer.SendVerdict(1, 1);  // plain: read before the keying
    ASSERT_EQ(ReceivePoll(client), 1);
    ExpectReply(MSG_AUTH_RESPONSE, MakeDigestResponse(kChallenge, client.connectParams.password));
    const Digest16 key = DeriveCipherKey(kChallenge, client.connectParams.password);
    EXPECT_EQ(std::memcmp(&client.connection.sendCipher, &client.connection.receiveCipher,
                          sizeof(CipherState)),
              0);
    peer.KeyCiphers(key);

    // The server's next message and the client's next message both pass the new ciphers.
    GiveGeometry(8, 4, 24, 4);
    EXPECT_EQ(client.framebuffer.width, 8);
    SendSetMode(client.connection, MODE_CONTROL);
    EXPECT_EQ(peer.Received(12), Concat({U32(MSG_SET_MODE), U32(4), U32(3)}));
}

TEST_F(DispatcherTest, SecondDigestHandshakeRekeysMidStream) {
    peer.SendMessage(MSG_AUTH_CHALLENGE, 16, Challenge());
    peer.SendVerdict(1, 1);
    ASSERT_EQ(ReceivePoll(client), 1);
    peer.Received(24);
    peer.KeyCiphers(DeriveCipherKey(kChallenge, client.connectParams.password));
    GiveGeometry(4, 4, 32, 4);

    Digest16 second = kChallenge;
    second[0] ^= 0x55;
    peer.SendMessage(MSG_AUTH_CHALLENGE, 16, {second.begin(), second.end()});
    peer.SendVerdict(1, 3);
    ASSERT_EQ(ReceivePoll(client), 1);
    ExpectReply(MSG_AUTH_RESPONSE, MakeDigestResponse(second, client.connectParams.password));
    peer.KeyCiphers(DeriveCipherKey(second, client.connectParams.password));
    GiveGeometry(6, 2, 16, 2);
    EXPECT_EQ(client.framebuffer.bitsPerPixel, 16);
    SendKeyEvent(client.connection, 0, 0x41);
    EXPECT_EQ(peer.Received(16), Concat({U32(MSG_KEY), U32(8), U32(0), U32(0x41)}));
    EXPECT_TRUE(window.messageBoxes.empty());
}

TEST_F(DispatcherTest, SeedLogins) {
    struct Case {
        std::uint32_t answerType;
        std::uint32_t authFailed;
        int poll;
        std::string box;
        std::string caption;
    };
    const Case cases[] = {
        {MSG_SCREEN_INFO, 0, 1, "Insecure connection!", "caution!"},
        {MSG_SCREEN_INFO, 1, -1, "Auth error!", "error"},
        {MSG_SCREEN_RLE, 0, -1, "Auth error!", "error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answerType * 10 + c.authFailed);
        RecordingWindowSystem caseWindow;
        Client caseClient(caseWindow);
        ScriptedPeer casePeer;
        caseClient.connection.socket = casePeer.Open();
        caseClient.connectParams.password = "\xFF\x80pw";
        casePeer.SendMessage(MSG_AUTH_SEED, 4, U32(0xDEADBEEF));
        std::vector<std::uint8_t> info(kScreenInfoSize);
        EncodeScreenInfo({0, 40, 30, 32, 16, c.authFailed}, info.data());
        casePeer.SendMessage(c.answerType, 999, info);  // the answer's length is not looked at
        EXPECT_EQ(ReceivePoll(caseClient), c.poll);
        const auto sent = casePeer.Received(24);
        const Digest16 response = MakeSeedResponse(0xDEADBEEF, caseClient.connectParams.password);
        ASSERT_EQ(sent.size(), 24u);
        EXPECT_EQ(GetU32(sent.data()), MSG_AUTH_SEED_REPLY);
        EXPECT_TRUE(std::equal(response.begin(), response.end(), sent.begin() + 8));
        ASSERT_EQ(caseWindow.messageBoxes.size(), 1u);
        EXPECT_EQ(caseWindow.messageBoxes[0].text, c.box);
        EXPECT_EQ(caseWindow.messageBoxes[0].caption, c.caption);
        // The answer's 24 bytes stand in the current geometry whatever the verdict.
        EXPECT_EQ(caseClient.screenInfo.width, 40u);
        EXPECT_EQ(caseClient.framebuffer.width, c.poll == 1 ? 40 : kStartupWidth);
        EXPECT_EQ(caseClient.connection.sendCipher.enabled, 0u);
    }
}

TEST_F(DispatcherTest, ScreenInfoLengthFieldIsNotRead) {
    peer.SendScreenInfo({0, 16, 8, 0, 8, 0}, /*length=*/0);
    peer.SendScreenInfo({0, 20, 10, 16, 4, 0}, /*length=*/12345);
    ASSERT_EQ(ReceivePoll(client), 1);
    EXPECT_EQ(client.framebuffer.width, 16);
    EXPECT_EQ(client.framebuffer.bitsPerPixel, 24);  // depth 0 stands for 24
    EXPECT_EQ(client.tile.width, 8);
    ASSERT_EQ(ReceivePoll(client), 1);
    EXPECT_EQ(client.framebuffer.width, 20);
    EXPECT_EQ(client.tile.bitsPerPixel, 16);
    EXPECT_FALSE(window.resizes.empty());  // the window was fitted to each picture
}

TEST_F(DispatcherTest, RawUpdateLandsInTheFramebufferAndIsPaintedAtOnce) {
    GiveGeometry(100, 50, 24, 4);
    client.view.scrollX = 3;
    client.view.scrollY = 2;
    window.paints.clear();
    // A 4×4 tile at 24 bits: stride 12, 48 bytes; memory row 3 is the top picture row.
    std::vector<std::uint8_t> tile(48, 0);
    for (int n = 0; n < 12; ++n) tile[36 + n] = static_cast<std::uint8_t>(0xA0 + n);
    peer.SendMessage(MSG_SCREEN_RAW, 16 + 48, Concat({RectBytes(10, 20, 2, 1), tile}));
    ASSERT_EQ(ReceivePoll(client), 1);
    const std::uint8_t* row = client.framebuffer.pixels.data() + 20 * client.framebuffer.stride;
    EXPECT_EQ(row[30], 0xA0);
    EXPECT_EQ(row[35], 0xA5);
    EXPECT_EQ(row[36], 0);  // third pixel not part of the 2-pixel rectangle
    ASSERT_EQ(window.paints.size(), 1u);
    EXPECT_EQ(window.paints[0].source.x, 10);
    EXPECT_EQ(window.paints[0].windowX, 7);
    EXPECT_EQ(window.paints[0].windowY, 18);
}

TEST_F(DispatcherTest, UpdateWithoutPayloadShowsWhatTheTileHeld) {
    GiveGeometry(8, 8, 32, 2);
    std::vector<std::uint8_t> tile(16, 0x11);
    peer.SendMessage(MSG_SCREEN_RAW, 32, Concat({RectBytes(0, 0, 2, 2), tile}));
    ASSERT_EQ(ReceivePoll(client), 1);
    peer.SendMessage(MSG_SCREEN_RAW, 16, RectBytes(4, 4, 2, 2));
    ASSERT_EQ(ReceivePoll(client), 1);
    EXPECT_EQ(client.framebuffer.pixels[4 * client.framebuffer.stride + 16], 0x11);
}

TEST_F(DispatcherTest, RleUpdateDecodesIntoTheTile) {
    GiveGeometry(4, 2, 16, 2);
    // 2×2 tile at 16 bits: stride 4, 8 bytes = 4 words: a run of 4 × 0x7C00 (red).
    peer.SendMessage(MSG_SCREEN_RLE, 16 + 7,
                     Concat({RectBytes(2, 0, 2, 2), {0x04, 0x80, 0x00, 0x7C, 0x00, 0x00, 0xEE}}));
    ASSERT_EQ(ReceivePoll(client), 1);
    EXPECT_EQ(client.framebuffer.pixels[4], 0x00);
    EXPECT_EQ(client.framebuffer.pixels[5], 0x7C);
    EXPECT_EQ(client.framebuffer.pixels[client.framebuffer.stride + 7], 0x7C);
    EXPECT_EQ(client.framebuffer.pixels[1], 0x00);  // columns 0-1 untouched (black)
}

TEST_F(DispatcherTest, MessagesThatBreakABoundEndTheConnection) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<std::uint8_t> rect = RectBytes(0, 0, 4, 4);
    const Case cases[] = {
        {"unknown type 3", Concat({U32(3), U32(0)})},
        {"raw length below 16", Concat({U32(MSG_SCREEN_RAW), U32(15), rect})},
        {"rle length below 16", Concat({U32(MSG_SCREEN_RLE), U32(0), rect})},
        {"raw payload beyond the tile", Concat({U32(MSG_SCREEN_RAW), U32(16 + 65), rect,
                                                std::vector<std::uint8_t>(65)})},
        {"rle payload over 64 KiB", Concat({U32(MSG_SCREEN_RLE), U32(16 + 65537), rect})},
        {"huge length", Concat({U32(MSG_SCREEN_RAW), U32(0xFFFFFFFF), rect})},
        {"run value word past the payload", Concat({U32(MSG_SCREEN_RLE), U32(18), rect,
                                                    {0x02, 0x80}})},
        {"literal past the payload", Concat({U32(MSG_SCREEN_RLE), U32(20), rect,
                                             {0x03, 0x00, 0x01, 0x00}})},
        {"decoded words beyond the tile", Concat({U32(MSG_SCREEN_RLE), U32(20), rect,
                                                  {0x21, 0x80, 0x01, 0x00}})},
        {"geometry depth 8", Concat({U32(MSG_SCREEN_INFO), U32(24), U32(0), U32(8), U32(8),
                                     U32(8), U32(4), U32(0)})},
        {"geometry tile 0", Concat({U32(MSG_SCREEN_INFO), U32(24), U32(0), U32(8), U32(8),
                                    U32(32), U32(0), U32(0)})},
        {"geometry too large", Concat({U32(MSG_SCREEN_INFO), U32(24), U32(0), U32(0xFFFFFFFF),
                                       U32(0xFFFFFFFF), U32(32), U32(0xFFFFFFFF), U32(0)})},
        {"header cut short", Concat({U32(MSG_SCREEN_RAW), {0x10}})},
        {"rectangle cut short", Concat({U32(MSG_SCREEN_RAW), U32(16), {1, 2, 3}})},
        {"raw payload cut short", Concat({U32(MSG_SCREEN_RAW), U32(16 + 64), rect,
                                          std::vector<std::uint8_t>(10)})},
        {"seed cut short", Concat({U32(MSG_AUTH_SEED), U32(4), {1, 2}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingWindowSystem caseWindow;
        Client caseClient(caseWindow);
        ScriptedPeer casePeer;
        caseClient.connection.socket = casePeer.Open();
        // A 4×4 tile at 32 bits: 64 bytes of tile memory.
        casePeer.SendScreenInfo({0, 8, 8, 32, 4, 0});
        ASSERT_EQ(ReceivePoll(caseClient), 1);
        const std::vector<std::uint8_t> before = caseClient.framebuffer.pixels;
        casePeer.Send(c.bytes);
        casePeer.CloseWrite();
        EXPECT_EQ(ReceivePoll(caseClient), -1);
        EXPECT_TRUE(caseWindow.messageBoxes.empty());
        EXPECT_EQ(caseClient.framebuffer.width, 8);
        EXPECT_EQ(caseClient.framebuffer.pixels, before);
    }
}

TEST_F(DispatcherTest, UpdateBeforeAnyGeometryIsAnError) {
    peer.SendMessage(MSG_SCREEN_RAW, 16, RectBytes(0, 0, 1, 1));
    EXPECT_EQ(ReceivePoll(client), -1);
    EXPECT_EQ(client.framebuffer.width, kStartupWidth);
}

TEST_F(DispatcherTest, ServerThatStallsMidMessageIsGivenUpWhilePollsKeepReturning) {
    client.connection.stallTimeoutMs = 100;
    GiveGeometry(8, 8, 32, 4);
    peer.Send(Concat({U32(MSG_SCREEN_RAW), U32(16 + 64), RectBytes(0, 0, 4, 4), {1, 2, 3}}));
    int polls = 0;
    int result = 0;
    while ((result = ReceivePoll(client)) == 0 && ++polls < 10000) {
    }
    EXPECT_EQ(result, -1);
    EXPECT_GT(polls, 0);  // the stall held up no poll: each came back with 0 until the limit
    EXPECT_FALSE(client.parser.InMessage());
}

TEST_F(DispatcherTest, DisconnectDropsAPartialMessageAndTheNextConnectionStartsClean) {
    GiveGeometry(8, 8, 32, 4);
    peer.Send(Concat({U32(MSG_SCREEN_RAW), U32(16 + 64), RectBytes(0, 0, 4, 4), {1, 2, 3}}));
    ASSERT_EQ(ReceivePoll(client), 0);
    ASSERT_TRUE(client.parser.InMessage());
    DisconnectFromServer(client);
    EXPECT_FALSE(client.parser.InMessage());
    ScriptedPeer next;
    client.connection.socket = next.Open();
    next.SendScreenInfo({0, 16, 4, 24, 4, 0});
    EXPECT_EQ(ReceivePoll(client), 1);
    EXPECT_EQ(client.framebuffer.width, 16);
}

TEST_F(DispatcherTest, ClosedConnectionFailsTheNextPoll) {
    peer.CloseWrite();
    EXPECT_EQ(ReceivePoll(client), -1);
}

}  // namespace
}  // namespace telorad
