// The development server as a black box: the real telorad-server program on a loopback port,
// driven by a hand-made client that checks every byte of the logins, the layout of the update
// tiles against the server's own dump of the frame, and the JSON lines of its event log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "crypto/password_response.h"
#include "net/transport.h"
#include "net/wire.h"
#include "screen/bmp_file.h"
#include "screen/rle.h"
#include "screen/screen_bitmap.h"
#include "support/test_support.h"

namespace telorad {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ChildProcess;
using testing::TempDir;

Bytes Message(std::uint32_t type, std::uint32_t length, const Bytes& payload = {}) {
    Bytes bytes(kHeaderSize);
    EncodeHeader({type, length}, bytes.data());
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes U32s(std::initializer_list<std::uint32_t> values) {
    Bytes bytes;
    for (std::uint32_t v : values) {
        std::uint8_t le[4];
        PutU32(le, v);
        bytes.insert(bytes.end(), le, le + 4);
    }
    return bytes;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
    const Bytes bytes = testing::ReadFileBytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (std::uint8_t b : bytes) {
        if (b == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(b);
        }
    }
    EXPECT_TRUE(line.empty()) << "last log line without newline: " << line;
    return lines;
}

// The server program with its log in a temp dir; killed at the end if still running.
struct Server {
    explicit Server(std::vector<std::string> options, const std::string& passwordFileText = "") {
        std::vector<std::string> argv = {"--log", logPath.string()};
        if (!passwordFileText.empty()) {
            testing::WriteFileBytes(dir.path() / "password",
                                    Bytes(passwordFileText.begin(), passwordFileText.end()));
            argv.push_back("--password-file");
            argv.push_back((dir.path() / "password").string());
        }
        argv.insert(argv.end(), options.begin(), options.end());
        server = std::make_unique<testing::ServerProcess>(TELORAD_SERVER_PATH, argv, dir.path());
        port = server->port();
        ready = port != 0;
        process = &server->process();
    }
    std::vector<std::string> Log() const { return ReadLines(logPath); }

    TempDir dir;
    std::filesystem::path logPath = dir.path() / "events.log";
    std::unique_ptr<testing::ServerProcess> server;
    std::uint16_t port = 0;
    ChildProcess* process = nullptr;
    bool ready = false;
};

// A client on the core's transport, so a keyed cipher covers both directions as in the viewer.
struct Client {
    explicit Client(std::uint16_t port) {
        connection.stallTimeoutMs = 10000;
        TransportStartup(connection);
        connected = OpenConnection(connection, "127.0.0.1", port);
    }
    ~Client() { CloseConnection(connection); }
    void Send(const Bytes& bytes) {
        ASSERT_EQ(SendBytes(connection, bytes.data(), static_cast<int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }
    // Up to count bytes: fewer when the server closed or went quiet.
    Bytes Receive(std::size_t count) {
        Bytes bytes(count);
        const int got = ReceiveBytes(connection, bytes.data(), static_cast<int>(count));
        bytes.resize(static_cast<std::size_t>(std::max(got, 0)));
        return bytes;
    }
    bool ServerClosed() { return Receive(1).empty(); }
    void Key(const Digest16& key) {
        CipherSetKey(connection.sendCipher, key.data(), 16);
        CipherSetKey(connection.receiveCipher, key.data(), 16);
    }

    Connection connection;
    bool connected = false;
};

struct Geometry {
    int width;
    int height;
    int depth;
    int tile;
};

std::vector<std::string> GeometryOptions(const Geometry& g) {
    return {"--size",  std::to_string(g.width) + "x" + std::to_string(g.height),
            "--depth", std::to_string(g.depth),
            "--tile",  std::to_string(g.tile)};
}

Bytes ScreenInfoMessage(const Geometry& g, std::uint32_t authFailed = 0) {
    return Message(MSG_SCREEN_INFO, 24,
                   U32s({0, static_cast<std::uint32_t>(g.width),
                         static_cast<std::uint32_t>(g.height), static_cast<std::uint32_t>(g.depth),
                         static_cast<std::uint32_t>(g.tile), authFailed}));
}

// The frame the server says a client ends up with, from its own --dump-frame.
Bytes DumpedFrame(const std::vector<std::string>& options) {
    TempDir dir;
    const auto path = dir.path() / "frame.bmp";
    std::vector<std::string> argv = {TELORAD_SERVER_PATH, "--dump-frame", path.string()};
    argv.insert(argv.end(), options.begin(), options.end());
    EXPECT_EQ(testing::RunProgram(argv), 0);
    return testing::ReadFileBytes(path);
}

struct ReceivedFrames {
    ScreenBitmap picture;  // bottom-up, as assembled from the tiles
    std::vector<UpdateRect> rects;
    int rawCount = 0;
    int rleCount = 0;
};

// Reads update messages and places each tile's rectangle as the tile layout says: tile picture
// row r comes from memory row T - 1 - r, the rectangle in the tile's top-left corner. Stops
// after count updates, or (count 0) once the server has been quiet for quietMs.
void ReadUpdates(Client& client, const Geometry& g, ReceivedFrames& frames, int count,
                 int quietMs = 2000) {
    if (frames.picture.flags == 0) {
        ASSERT_TRUE(
            CreateScreenBitmap(frames.picture, g.width, g.height, g.depth, RowOrder::BottomUp));
    }
    const std::int64_t tileStride = RowStride(g.tile, g.depth);
    const std::size_t tileBytes = static_cast<std::size_t>(tileStride * g.tile);
    const std::size_t pixelBytes = static_cast<std::size_t>(g.depth / 8);
    Bytes tile(tileBytes);
    for (int n = 0; count == 0 || n < count; ++n) {
        if (count == 0 && WaitReceivable(client.connection, quietMs) == 0) return;
        const Bytes headerBytes = client.Receive(kHeaderSize);
        ASSERT_EQ(headerBytes.size(), 8u) << "update " << n;
        const MessageHeader header = DecodeHeader(headerBytes.data());
        ASSERT_TRUE(header.type == MSG_SCREEN_RAW || header.type == MSG_SCREEN_RLE) << header.type;
        ASSERT_GE(header.length, 16u);
        const Bytes payload = client.Receive(header.length);
        ASSERT_EQ(payload.size(), header.length);
        const UpdateRect rect = DecodeUpdateRect(payload.data());
        frames.rects.push_back(rect);
        const std::size_t dataBytes = header.length - 16;
        if (header.type == MSG_SCREEN_RAW) {
            ++frames.rawCount;
            ASSERT_EQ(dataBytes, tileBytes) << "a raw update carries the whole tile memory";
            std::memcpy(tile.data(), payload.data() + 16, tileBytes);
        } else {
            ++frames.rleCount;
            ASSERT_LE(dataBytes, static_cast<std::size_t>(kRleScratchBytes));
            std::fill(tile.begin(), tile.end(), std::uint8_t{0xAA});
            ASSERT_TRUE(DecodeRle16(payload.data() + 16, static_cast<std::int32_t>(dataBytes / 2),
                                    tile.data(), tileBytes));
        }
        ASSERT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
                    rect.width <= g.tile && rect.height <= g.tile &&
                    rect.x + rect.width <= g.width && rect.y + rect.height <= g.height);
        for (int r = 0; r < rect.height; ++r) {
            const int pictureRow = rect.y + r;
            std::memcpy(frames.picture.pixels.data() +
                            static_cast<std::size_t>(g.height - 1 - pictureRow) *
                                static_cast<std::size_t>(frames.picture.stride) +
                            static_cast<std::size_t>(rect.x) * pixelBytes,
                        tile.data() + static_cast<std::size_t>(g.tile - 1 - r) *
                                          static_cast<std::size_t>(tileStride),
                        static_cast<std::size_t>(rect.width) * pixelBytes);
        }
    }
}

std::vector<UpdateRect> TileGrid(const Geometry& g) {
    std::vector<UpdateRect> rects;
    for (int y = 0; y < g.height; y += g.tile) {
        for (int x = 0; x < g.width; x += g.tile) {
            rects.push_back({x, y, std::min(g.tile, g.width - x), std::min(g.tile, g.height - y)});
        }
    }
    return rects;
}

bool SameRects(const std::vector<UpdateRect>& a, const std::vector<UpdateRect>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const UpdateRect& p, const UpdateRect& q) {
               return p.x == q.x && p.y == q.y && p.width == q.width && p.height == q.height;
           });
}

bool HasLine(const std::vector<std::string>& lines, const std::string& fragment) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(fragment) != std::string::npos;
    });
}

// ---------------------------------------------------------------------------------------------
// Logins: exact bytes both ways for each scheme, accepted and refused.

struct LoginCase {
    const char* name;
    const char* auth;
    bool encrypt;
    std::string serverPasswordFile;  // file contents; one trailing newline is not part of it
    std::string clientPassword;
    bool accepted;
};

void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }

class LoginTest : public ::testing::TestWithParam<LoginCase> {};

TEST_P(LoginTest, ExactBytesAndFirstFrame) {
    const LoginCase& c = GetParam();
    const Geometry g{40, 30, 24, 16};
    std::vector<std::string> options = GeometryOptions(g);
    options.insert(options.end(), {"--auth", c.auth, "--encoding", "raw", "--static", "--once"});
    if (c.encrypt) options.push_back("--encrypt");
    Server server(options, c.serverPasswordFile);
    ASSERT_TRUE(server.ready);
    Client client(server.port);
    ASSERT_TRUE(client.connected);
    client.Send(Message(MSG_SET_MODE, 4, U32s({MODE_MONITOR})));

    const std::string auth = c.auth;
    if (auth == "digest") {
        const Bytes challenge = client.Receive(24);
        ASSERT_EQ(challenge.size(), 24u);
        EXPECT_EQ(Bytes(challenge.begin(), challenge.begin() + 8), Message(MSG_AUTH_CHALLENGE, 16));
        Digest16 bytes;
        std::copy(challenge.begin() + 8, challenge.end(), bytes.begin());
        // A mode change between challenge and response must not upset the login.
        client.Send(Message(MSG_SET_MODE, 4, U32s({MODE_CONTROL})));
        const Digest16 response = MakeDigestResponse(bytes, c.clientPassword);
        client.Send(Message(MSG_AUTH_RESPONSE, 16, Bytes(response.begin(), response.end())));
        const std::uint32_t result = !c.accepted ? 0xFFFFFFFFu : c.encrypt ? 1u : 0u;
        EXPECT_EQ(client.Receive(12), Message(MSG_AUTH_RESPONSE, 1, U32s({result})));
        if (c.accepted && c.encrypt) client.Key(DeriveCipherKey(bytes, c.clientPassword));
        if (c.accepted) {
            EXPECT_EQ(client.Receive(32), ScreenInfoMessage(g));
        }
    } else if (auth == "legacy") {
        const Bytes seedMessage = client.Receive(12);
        ASSERT_EQ(seedMessage.size(), 12u);
        EXPECT_EQ(Bytes(seedMessage.begin(), seedMessage.begin() + 8), Message(MSG_AUTH_SEED, 4));
        const Digest16 response =
            MakeSeedResponse(GetU32(seedMessage.data() + 8), c.clientPassword);
        client.Send(Message(MSG_AUTH_SEED_REPLY, 16, Bytes(response.begin(), response.end())));
        EXPECT_EQ(client.Receive(32),
                  c.accepted ? ScreenInfoMessage(g) : ScreenInfoMessage({0, 0, 0, 0}, 1));
    } else {
        EXPECT_EQ(client.Receive(32), ScreenInfoMessage(g));
    }

    if (!c.accepted) {
        EXPECT_TRUE(client.ServerClosed());
    } else {
        ReceivedFrames frames;
        ReadUpdates(client, g, frames, static_cast<int>(TileGrid(g).size()));
        EXPECT_TRUE(SameRects(frames.rects, TileGrid(g)));
        EXPECT_EQ(EncodeBmpFile(frames.picture), DumpedFrame(options));
        // After the login every message, encrypted or not, still reaches the log intact.
        client.Send(Message(MSG_KEY, 8, U32s({0, 65})));
        client.Send(Message(MSG_COMMAND, 3, {'o', 'k', 0}));
        CloseConnection(client.connection);
    }
    ASSERT_EQ(server.process->Wait(20000), 0);

    const auto log = server.Log();
    EXPECT_TRUE(HasLine(log, R"("type":"mode","mode":2})"));
    if (auth == "digest") {
        EXPECT_TRUE(HasLine(log, R"("type":"mode","mode":3})"));
    }
    if (auth != "none") {
        EXPECT_TRUE(HasLine(log, std::string(R"("type":"auth","scheme":")") + c.auth +
                                     R"(","result":")" + (c.accepted ? "ok" : "fail") + "\""));
    }
    if (c.accepted) {
        EXPECT_TRUE(HasLine(log, R"("type":"key","released":0,"vk":65})"));
        EXPECT_TRUE(HasLine(log, R"("type":"command","text":"ok","bytes":"6f6b"})"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Schemes, LoginTest,
    ::testing::Values(
        LoginCase{"DigestPlain", "digest", false, "s3cret\n", "s3cret", true},
        LoginCase{"DigestEncrypted", "digest", true, "s3cret\n", "s3cret", true},
        LoginCase{"DigestEncryptedEmptyPassword", "digest", true, "", "", true},
        LoginCase{"DigestWrongPassword", "digest", false, "s3cret\n", "s3cret\n", false},
        LoginCase{"DigestEncryptWrongPassword", "digest", true, "s3cret", "", false},
        LoginCase{"LegacyRight", "legacy", false, "pass\xFF\x82\n", "pass\xFF\x82", true},
        LoginCase{"LegacyWrong", "legacy", false, "pass", "pas", false},
        LoginCase{"None", "none", false, "", "", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Tile layout for each depth and encoding, edge tiles included.

struct LayoutCase {
    const char* name;
    Geometry geometry;
    const char* encoding;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class TileLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TileLayoutTest, FirstFrameCoversTheScreen) {
    const LayoutCase& c = GetParam();
    std::vector<std::string> options = GeometryOptions(c.geometry);
    options.insert(options.end(),
                   {"--auth", "none", "--encoding", c.encoding, "--static", "--once"});
    Server server(options);
    ASSERT_TRUE(server.ready);
    Client client(server.port);
    ASSERT_TRUE(client.connected);
    client.Send(Message(MSG_SET_MODE, 4, U32s({MODE_MONITOR})));
    ASSERT_EQ(client.Receive(32), ScreenInfoMessage(c.geometry));

    ReceivedFrames frames;
    ReadUpdates(client, c.geometry, frames, static_cast<int>(TileGrid(c.geometry).size()));
    EXPECT_TRUE(SameRects(frames.rects, TileGrid(c.geometry)));
    EXPECT_EQ(EncodeBmpFile(frames.picture), DumpedFrame(options));
    if (std::string(c.encoding) == "raw") {
        EXPECT_EQ(frames.rleCount, 0);
    } else {
        EXPECT_GT(frames.rleCount, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, TileLayoutTest,
                         ::testing::Values(LayoutCase{"Raw16", {100, 70, 16, 32}, "raw"},
                                           LayoutCase{"Raw24", {100, 70, 24, 32}, "raw"},
                                           LayoutCase{"Raw32", {100, 70, 32, 32}, "raw"},
                                           LayoutCase{"Rle16", {100, 70, 16, 32}, "rle"},
                                           LayoutCase{"Rle24", {100, 70, 24, 32}, "rle"},
                                           LayoutCase{"Rle32", {100, 70, 32, 32}, "rle"},
                                           // Tile rows of 15 bytes padded to 16; odd edge tiles.
                                           LayoutCase{"PaddedRows24", {13, 7, 24, 5}, "rle"},
                                           LayoutCase{"PaddedRows16", {13, 7, 16, 5}, "raw"},
                                           LayoutCase{"BigTiles32", {300, 200, 32, 128}, "rle"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ServerFrames, LaterFramesSendOnlyChangedTilesAndEndOnTheLastFrame) {
    const Geometry g{160, 120, 24, 16};
    std::vector<std::string> options = GeometryOptions(g);
    options.insert(options.end(), {"--auth", "none", "--frames", "4", "--fps", "50", "--once"});
    Server server(options);
    ASSERT_TRUE(server.ready);
    Client client(server.port);
    ASSERT_TRUE(client.connected);
    ASSERT_EQ(client.Receive(32), ScreenInfoMessage(g));
    ReceivedFrames frames;
    ReadUpdates(client, g, frames, 0);
    const std::size_t allTiles = TileGrid(g).size();
    EXPECT_GT(frames.rects.size(), allTiles) << "the moving shapes change tiles";
    EXPECT_LT(frames.rects.size(), 2 * allTiles) << "unchanged tiles are not sent again";
    EXPECT_EQ(EncodeBmpFile(frames.picture), DumpedFrame(options));
    EXPECT_TRUE(HasLine(server.Log(), R"("type":"frames","sent":4})")) << "the end of the stream";
}

TEST(ServerFrames, RepeatFrameSendsTheFirstFramesTilesAgainEachFrame) {
    const Geometry g{96, 40, 32, 32};
    std::vector<std::string> options = GeometryOptions(g);
    options.insert(options.end(),
                   {"--auth", "none", "--repeat-frame", "--frames", "3", "--fps", "50", "--once"});
    Server server(options);
    ASSERT_TRUE(server.ready);
    Client client(server.port);
    ASSERT_TRUE(client.connected);
    ASSERT_EQ(client.Receive(32), ScreenInfoMessage(g));
    const std::vector<UpdateRect> grid = TileGrid(g);
    ReceivedFrames first;
    ReadUpdates(client, g, first, static_cast<int>(grid.size()));
    ReceivedFrames later;
    ReadUpdates(client, g, later, 0);
    ASSERT_EQ(later.rects.size(), 2 * grid.size()) << "two more whole frames";
    // The picture stays the first frame's, although the animation would have moved on.
    EXPECT_EQ(EncodeBmpFile(later.picture), EncodeBmpFile(first.picture));
}

// A noisy 24-bit BMP as the screen: its pixels reach the client unchanged, and at 32 bits a
// 128 × 128 tile (64 KiB) of noise does not fit the RLE limit and goes raw.
TEST(ServerImage, BmpFileIsTheScreen) {
    TempDir dir;
    const int width = 200;
    const int height = 150;
    const std::size_t stride = static_cast<std::size_t>(RowStride(width, 24));
    Bytes file(54 + stride * height, 0);
    file[0] = 'B';
    file[1] = 'M';
    PutU32(file.data() + 2, static_cast<std::uint32_t>(file.size()));
    PutU32(file.data() + 10, 54);
    PutU32(file.data() + 14, 40);
    PutU32(file.data() + 18, width);
    PutU32(file.data() + 22, height);
    file[26] = 1;
    file[28] = 24;
    PutU32(file.data() + 34, static_cast<std::uint32_t>(stride * height));
    std::uint32_t noise = 12345;
    for (int row = 0; row < height; ++row) {
        for (std::size_t k = 0; k < static_cast<std::size_t>(width) * 3; ++k) {
            noise = noise * 1103515245u + 12345u;
            file[54 + row * stride + k] = static_cast<std::uint8_t>(noise >> 16);
        }
    }
    const auto imagePath = dir.path() / "noise.bmp";
    testing::WriteFileBytes(imagePath, file);

    for (int depth : {16, 24, 32}) {
        const Geometry g{width, height, depth, 128};
        const std::vector<std::string> options = {"--image",    imagePath.string(),
                                                  "--depth",    std::to_string(depth),
                                                  "--tile",     "128",
                                                  "--encoding", "rle",
                                                  "--auth",     "none",
                                                  "--static",   "--once"};
        const Bytes dumped = DumpedFrame(options);
        // The dump holds the file's pixels at the chosen depth: 5 bits a colour at 16 bits,
        // B, G, R, 0 at 32.
        const std::size_t outStride = static_cast<std::size_t>(RowStride(width, depth));
        ASSERT_EQ(dumped.size(), 54 + outStride * height) << depth;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* bgr = file.data() + 54 + row * stride + x * 3;
                const std::uint8_t* out = dumped.data() + 54 + row * outStride;
                if (depth == 16) {
                    const unsigned word = (bgr[2] >> 3) << 10 | (bgr[1] >> 3) << 5 | bgr[0] >> 3;
                    ASSERT_EQ(out[x * 2] | out[x * 2 + 1] << 8, static_cast<int>(word));
                } else if (depth == 32) {
                    ASSERT_EQ(Bytes(out + x * 4, out + x * 4 + 4),
                              Bytes({bgr[0], bgr[1], bgr[2], 0}));
                }
            }
        }
        if (depth == 24) {
            EXPECT_EQ(dumped, file);
        }
        Server server(options);
        ASSERT_TRUE(server.ready);
        Client client(server.port);
        ASSERT_TRUE(client.connected);
        ASSERT_EQ(client.Receive(32), ScreenInfoMessage(g));
        ReceivedFrames frames;
        ReadUpdates(client, g, frames, static_cast<int>(TileGrid(g).size()));
        EXPECT_EQ(EncodeBmpFile(frames.picture), dumped) << depth;
        EXPECT_GT(frames.rleCount, 0) << depth;
        if (depth == 32) {
            EXPECT_GT(frames.rawCount, 0);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Client messages in the log; bad clients; the next client.

TEST(ServerLog, EveryClientMessageIsOneJsonLine) {
    const Geometry g{32, 32, 24, 64};
    Server server({"--auth", "none", "--size", "32x32", "--static", "--once"});
    ASSERT_TRUE(server.ready);
    {
        Client client(server.port);
        ASSERT_TRUE(client.connected);
        ASSERT_EQ(client.Receive(32), ScreenInfoMessage(g));
        ReceivedFrames frames;
        ReadUpdates(client, g, frames, 1);
        client.Send(Message(MSG_SET_MODE, 4, U32s({MODE_MONITOR})));
        client.Send(Message(MSG_KEY, 8, U32s({1, 0x41})));
        client.Send(Message(MSG_MOUSE, 8, U32s({513, 20u << 16 | 10u})));
        const std::string text = "dir \"C:\\\" \x82\xA0\t<";
        Bytes command(text.begin(), text.end());
        command.push_back(0);
        client.Send(Message(MSG_COMMAND, static_cast<std::uint32_t>(command.size()), command));
        // A lead byte cut off is no text of the code page: only its bytes are logged.
        client.Send(Message(MSG_COMMAND, 3, {'a', 0x82, 0}));
        client.Send(Message(0x777, 3, {1, 2, 3}));
        client.Send(Message(MSG_KEY, 2, {9, 9}));  // too short for a key
        client.Send(Message(MSG_SET_MODE, 4, U32s({MODE_STANDBY})));
    }
    ASSERT_EQ(server.process->Wait(20000), 0);
    const auto log = server.Log();
    const std::vector<std::string> expected = {
        R"("type":"connect","peer":"127.0.0.1:)",
        R"("type":"mode","mode":2})",
        R"("type":"key","released":1,"vk":65})",
        R"("type":"mouse","event":513,"x":10,"y":20,"position":1310730})",
        // The text read as code page 932 (0x82A0 is あ) beside the bytes themselves.
        R"("type":"command","text":"dir \"C:\\\" あ\t<","bytes":"6469722022433a5c222082a0093c"})",
        R"("type":"command","bytes":"6182"})",
        R"("type":"unknown","msg_type":1911,"length":3})",
        R"("type":"unknown","msg_type":1025,"length":2})",
        R"("type":"mode","mode":1})",
        R"("type":"disconnect","reason":"closed"})"};
    // The readiness probe's connect and disconnect come first.
    ASSERT_GE(log.size(), expected.size());
    const std::vector<std::string> tail(log.end() - static_cast<std::ptrdiff_t>(expected.size()),
                                        log.end());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NE(tail[k].find(expected[k]), std::string::npos) << tail[k];
    }
    for (const auto& line : log) {
        // {"t":"YYYY-MM-DDTHH:MM:SS.mmmZ","type":...}
        ASSERT_GE(line.size(), 40u) << line;
        EXPECT_EQ(line.substr(0, 6), "{\"t\":\"");
        EXPECT_EQ(line.substr(16, 1), "T");
        EXPECT_EQ(line.substr(29, 11), "Z\",\"type\":\"");
        EXPECT_EQ(line.back(), '}');
    }
}

TEST(ServerLog, ACommandIsHeardFromAClientThatLeavesWithoutReadingTheFrame) {
    // As a command-line client does: log in, send the command, close. The 3 MB frame is still
    // on its way when the client goes.
    Server server({"--auth", "none", "--size", "1024x768", "--depth", "32", "--encoding", "raw",
                   "--static", "--once"});
    ASSERT_TRUE(server.ready);
    {
        Client client(server.port);
        ASSERT_TRUE(client.connected);
        client.Send(Message(MSG_SET_MODE, 4, U32s({MODE_MONITOR})));
        ASSERT_EQ(client.Receive(32), ScreenInfoMessage({1024, 768, 32, 64}));
        client.Send(Message(MSG_COMMAND, 6, {'h', 'e', 'l', 'l', 'o', 0}));
    }
    ASSERT_EQ(server.process->Wait(20000), 0);
    EXPECT_TRUE(HasLine(server.Log(), R"("type":"command","text":"hello","bytes":"68656c6c6f"})"));
}

TEST(ServerLog, AbsurdLengthDropsTheClient) {
    Server server({"--auth", "none", "--size", "32x32", "--static", "--once"});
    ASSERT_TRUE(server.ready);
    Client client(server.port);
    ASSERT_TRUE(client.connected);
    ASSERT_EQ(client.Receive(32), ScreenInfoMessage({32, 32, 24, 64}));
    client.Send(Message(MSG_COMMAND, 0x7FFFFFF0u));
    // The frame may still be on its way; after it the server closes.
    Bytes rest;
    for (Bytes chunk = client.Receive(4096); !chunk.empty(); chunk = client.Receive(4096)) {
        rest.insert(rest.end(), chunk.begin(), chunk.end());
    }
    ASSERT_EQ(server.process->Wait(20000), 0);
    const auto log = server.Log();
    EXPECT_TRUE(HasLine(log, R"("type":"oversize","msg_type":1281,"length":2147483632})"));
    EXPECT_TRUE(HasLine(log, R"("type":"disconnect","reason":"oversize message"})"));
}

TEST(ServerSessions, AClientLeavingMidFrameDoesNotStopTheServer) {
    // A 3 MB first frame that the first client abandons after a few bytes.
    Server server({"--auth", "digest", "--size", "1024x768", "--depth", "32", "--encoding", "raw",
                   "--static"});
    ASSERT_TRUE(server.ready);
    for (int round = 0; round < 2; ++round) {
        Client client(server.port);
        ASSERT_TRUE(client.connected);
        client.Send(Message(MSG_SET_MODE, 4, U32s({MODE_MONITOR})));
        const Bytes challenge = client.Receive(24);
        ASSERT_EQ(challenge.size(), 24u) << "round " << round;
        Digest16 bytes;
        std::copy(challenge.begin() + 8, challenge.end(), bytes.begin());
        const Digest16 response = MakeDigestResponse(bytes, "");
        client.Send(Message(MSG_AUTH_RESPONSE, 16, Bytes(response.begin(), response.end())));
        EXPECT_EQ(client.Receive(12), Message(MSG_AUTH_RESPONSE, 1, U32s({0})));
        EXPECT_EQ(client.Receive(32), ScreenInfoMessage({1024, 768, 32, 64}));
        EXPECT_EQ(client.Receive(100).size(), 100u);
    }
    server.process->Kill();
    const auto log = server.Log();
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return line.find(R"("result":"ok")") != std::string::npos;
                            }),
              2);
}

TEST(ServerOptions, BadOptionsAreUsageErrors) {
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--depth", "8"},
                                                {"--size", "0x10"},
                                                {"--size", "640"},
                                                {"--tile", "0"},
                                                {"--auth", "kerberos"},
                                                {"--encoding", "zip"},
                                                {"--fps", "-1"},
                                                {"--listen", "127.0.0.1"},
                                                {"--listen", "127.0.0.1:70000"},
                                                {"--password-file", "/nonexistent/file"},
                                                {"--code-page", "4242"},
                                                {"--code-page", "0"},
                                                {"--frobnicate"},
                                                {"--tile"}}) {
        std::vector<std::string> argv = {TELORAD_SERVER_PATH};
        argv.insert(argv.end(), bad.begin(), bad.end());
        EXPECT_EQ(testing::RunProgram(argv), 64) << bad[0];
    }
    EXPECT_EQ(testing::RunProgram({TELORAD_SERVER_PATH, "--help"}), 0);
    EXPECT_EQ(testing::RunProgram({TELORAD_SERVER_PATH, "--version"}), 0);
}

}  // namespace
}  // namespace telorad
