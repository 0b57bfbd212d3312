#include "session.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "app/text_encoding.h"
#include "crypto/password_response.h"
#include "net/transport.h"
#include "net/wire.h"
#include "screen/screen_bitmap.h"
#include "server_socket.h"
#include "tile_updates.h"

namespace telorad::server {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kSendBatchBytes = 1 << 20;
constexpr std::size_t kSendPieceBytes = 64 * 1024;

enum class Phase { AwaitSeedReply, AwaitDigestResponse, Streaming };

struct Session {
    Session(const ServerOptions& o, ScreenSource& s, EventLog& l) : options(o), source(s), log(l) {}
    const ServerOptions& options;
    ScreenSource& source;
    EventLog& log;
    Connection connection;
    Phase phase = Phase::Streaming;
    Digest16 challenge{};
    std::uint32_t seed = 0;
    Clock::time_point loginDeadline;
    // The picture as the client last received it, and the one being sent.
    ScreenBitmap sent;
    ScreenBitmap current;
    TileScratch scratch;
    std::vector<std::uint8_t> message;
    std::vector<std::uint8_t> outgoing;  // update messages waiting to be sent together
    std::vector<std::uint8_t> firstFrame;  // the first frame's messages, for --repeat-frame
    std::vector<std::uint8_t> sendPiece;  // one piece encrypted on its way out
    std::int64_t frame = 0;
    Clock::time_point nextFrame;
    std::int64_t updateBytesSent = 0;
    bool stalled = false;  // --stall-after reached: nothing more is sent
    std::string endReason;  // set when the session is to end
    bool clientSpoke = false;
};

bool HandleClientMessage(Session& session);

// Hands one piece to the socket. While the client is slow to take a frame, the messages it sends
// meanwhile are read and logged, so a client that sends something and leaves without reading the
// rest of the frame still has its message heard. Only frames are sent while streaming; login
// messages are small and go out before the client can answer them.
bool SendPiece(Session& session, const std::uint8_t* bytes, std::size_t size) {
    const bool listen = session.phase == Phase::Streaming;
    std::size_t done = 0;
    while (done < size) {
        // The client's messages come first: they are small, and once it has gone, whatever it
        // sent last can only still be read before the failed send is noticed.
        const int ready = WaitSendOrReceive(session.connection.socket, listen);
        if (ready < 0) {
            session.endReason = "socket error";
            return false;
        }
        if ((ready & kSocketCanReceive) != 0) {
            if (!HandleClientMessage(session)) return false;
            continue;
        }
        const int sent = SendWithoutWaiting(session.connection.socket, bytes + done, size - done);
        if (sent > 0) {
            done += static_cast<std::size_t>(sent);
        } else if (sent != kSocketWouldBlock) {
            session.endReason = "send failed";
            return false;
        }
    }
    return true;
}

// Sends bytes through the send cipher, a piece at a time: each piece is encrypted just before it
// goes, so the client decrypts one piece while the next is encrypted. Encrypting a whole frame
// first would leave the client idle for as long as that takes, frame after frame.
bool SendAll(Session& session, const std::uint8_t* bytes, std::size_t size) {
    CipherState& cipher = session.connection.sendCipher;
    if (cipher.enabled) session.sendPiece.resize(kSendPieceBytes);
    for (std::size_t done = 0; done < size;) {
        const std::size_t piece = std::min(kSendPieceBytes, size - done);
        const std::uint8_t* out = bytes + done;
        if (cipher.enabled) {
            CipherCrypt(cipher, out, static_cast<int>(piece), session.sendPiece.data());
            out = session.sendPiece.data();
        }
        if (!SendPiece(session, out, piece)) return false;
        done += piece;
    }
    return true;
}

bool SendMessage(Session& session, std::uint32_t type, std::uint32_t length,
                 const std::uint8_t* payload, std::size_t payloadBytes) {
    std::vector<std::uint8_t> bytes(kHeaderSize + payloadBytes);
    EncodeHeader({type, length}, bytes.data());
    if (payloadBytes > 0) std::memcpy(bytes.data() + kHeaderSize, payload, payloadBytes);
    return SendAll(session, bytes.data(), bytes.size());
}

ScreenInfo Geometry(const Session& session, std::uint32_t authFailed) {
    ScreenInfo info;
    info.width = static_cast<std::uint32_t>(session.source.canvas.width);
    info.height = static_cast<std::uint32_t>(session.source.canvas.height);
    info.bitsPerPixel = static_cast<std::uint32_t>(session.options.depth);
    info.tileSize = static_cast<std::uint32_t>(session.options.tileSize);
    info.authFailed = authFailed;
    return info;
}

bool SendScreenInfo(Session& session, const ScreenInfo& info) {
    std::uint8_t payload[kScreenInfoSize];
    EncodeScreenInfo(info, payload);
    return SendMessage(session, MSG_SCREEN_INFO, kScreenInfoSize, payload, sizeof payload);
}

void StartStreaming(Session& session) {
    session.phase = Phase::Streaming;
    session.frame = 0;
    session.nextFrame = Clock::now();
}

bool StartLogin(Session& session) {
    std::random_device random;
    session.loginDeadline = Clock::now() + std::chrono::milliseconds(kLoginTimeoutMs);
    switch (session.options.auth) {
        case AuthScheme::Digest: {
            for (auto& byte : session.challenge) byte = static_cast<std::uint8_t>(random());
            session.phase = Phase::AwaitDigestResponse;
            return SendMessage(session, MSG_AUTH_CHALLENGE, 16, session.challenge.data(), 16);
        }
        case AuthScheme::Legacy: {
            session.seed = static_cast<std::uint32_t>(random());
            std::uint8_t payload[4];
            PutU32(payload, session.seed);
            session.phase = Phase::AwaitSeedReply;
            return SendMessage(session, MSG_AUTH_SEED, 4, payload, sizeof payload);
        }
        case AuthScheme::None:
            break;
    }
    if (!SendScreenInfo(session, Geometry(session, 0))) return false;
    StartStreaming(session);
    return true;
}

void LogAuth(Session& session, const char* scheme, bool ok) {
    LogEvent(session.log, "auth",
             JsonMember("scheme", scheme) + JsonMember("result", ok ? "ok" : "fail"));
}

bool HandleSeedReply(Session& session, const std::vector<std::uint8_t>& payload) {
    const Digest16 expected = MakeSeedResponse(session.seed, session.options.password);
    const bool ok = payload.size() == expected.size() &&
                    std::equal(expected.begin(), expected.end(), payload.begin());
    LogAuth(session, "legacy", ok);
    if (!ok) {
        // The refusal is a geometry message with authFailed set; nothing else goes out.
        SendScreenInfo(session, ScreenInfo{0, 0, 0, 0, 0, 1});
        session.endReason = "login refused";
        return false;
    }
    if (!SendScreenInfo(session, Geometry(session, 0))) return false;
    StartStreaming(session);
    return true;
}

bool HandleDigestResponse(Session& session, const std::vector<std::uint8_t>& payload) {
    const Digest16 expected = MakeDigestResponse(session.challenge, session.options.password);
    const bool ok = payload.size() == expected.size() &&
                    std::equal(expected.begin(), expected.end(), payload.begin());
    LogAuth(session, "digest", ok);
    const std::int32_t result = !ok ? -1 : session.options.encrypt ? 1 : 0;
    std::uint8_t verdict[4];
    PutI32(verdict, result);
    if (!SendMessage(session, MSG_AUTH_RESPONSE, 1, verdict, sizeof verdict)) return false;
    if (!ok) {
        session.endReason = "login refused";
        return false;
    }
    if (session.options.encrypt) {
        // Every byte after the verdict, both ways, goes through the freshly keyed states.
        const Digest16 key = DeriveCipherKey(session.challenge, session.options.password);
        CipherSetKey(session.connection.sendCipher, key.data(), 16);
        CipherSetKey(session.connection.receiveCipher, key.data(), 16);
    }
    if (!SendScreenInfo(session, Geometry(session, 0))) return false;
    StartStreaming(session);
    return true;
}

// A command's bytes as hex, and as text read in the code page when they are text of it.
std::string CommandMembers(std::string_view bytes, std::uint32_t codePage) {
    std::string text;
    std::string members;
    if (ConvertFromCodePage(bytes, codePage, text) == TextConversion::kOk) {
        members = JsonTextMember("text", text);
    }
    return members + JsonHexMember("bytes", bytes);
}

std::string TypeMembers(std::uint32_t type, std::uint32_t length) {
    return JsonMember("msg_type", static_cast<std::int64_t>(type)) +
           JsonMember("length", static_cast<std::int64_t>(length));
}

// Reads and handles one whole client message. False when the session is over.
bool HandleClientMessage(Session& session) {
    std::uint8_t headerBytes[kHeaderSize];
    const int got = ReceiveBytes(session.connection, headerBytes, kHeaderSize);
    if (got > 0) session.clientSpoke = true;
    if (got != kHeaderSize) {
        session.endReason = "closed";
        return false;
    }
    const MessageHeader header = DecodeHeader(headerBytes);
    if (header.length > kMaxClientPayload) {
        LogEvent(session.log, "oversize", TypeMembers(header.type, header.length));
        session.endReason = "oversize message";
        return false;
    }
    std::vector<std::uint8_t> payload(header.length);
    const int want = static_cast<int>(header.length);
    if (ReceiveBytes(session.connection, payload.data(), want) != want) {
        session.endReason = "closed";
        return false;
    }
    const std::uint8_t* p = payload.data();
    switch (header.type) {
        case MSG_SET_MODE:
            if (payload.size() < 4) break;
            LogEvent(session.log, "mode", JsonMember("mode", GetU32(p)));
            return true;
        case MSG_KEY:
            if (payload.size() < 8) break;
            LogEvent(session.log, "key",
                     JsonMember("released", GetU32(p)) + JsonMember("vk", GetU32(p + 4)));
            return true;
        case MSG_MOUSE: {
            if (payload.size() < 8) break;
            const std::uint32_t position = GetU32(p + 4);
            LogEvent(session.log, "mouse",
                     JsonMember("event", GetU32(p)) + JsonMember("x", position & 0xFFFF) +
                         JsonMember("y", position >> 16) + JsonMember("position", position));
            return true;
        }
        case MSG_COMMAND: {
            // Logged only: the text ends at its NUL (or with the payload when there is none).
            const auto end = std::find(payload.begin(), payload.end(), std::uint8_t{0});
            const std::string bytes(payload.begin(), end);
            LogEvent(session.log, "command", CommandMembers(bytes, session.options.codePage));
            return true;
        }
        case MSG_AUTH_SEED_REPLY:
            if (session.phase != Phase::AwaitSeedReply) break;
            return HandleSeedReply(session, payload);
        case MSG_AUTH_RESPONSE:
            if (session.phase != Phase::AwaitDigestResponse) break;
            return HandleDigestResponse(session, payload);
        default:
            break;
    }
    // Unknown, too short, or a login reply nobody asked for: noted and otherwise ignored.
    LogEvent(session.log, "unknown", TypeMembers(header.type, header.length));
    return true;
}

// Update messages go out here. With --stall-after they stop at the budget, mid-message if the
// budget ends there, and nothing is sent after: the client sees a server that hangs.
bool SendUpdates(Session& session, const std::vector<std::uint8_t>& bytes) {
    std::size_t size = bytes.size();
    if (session.options.stallAfter >= 0) {
        const std::int64_t left = session.options.stallAfter - session.updateBytesSent;
        if (static_cast<std::int64_t>(size) >= left) {
            size = static_cast<std::size_t>(std::max<std::int64_t>(left, 0));
            if (!session.stalled) LogEvent(session.log, "stall");
            session.stalled = true;
        }
        session.updateBytesSent += static_cast<std::int64_t>(size);
    }
    return SendAll(session, bytes.data(), size);
}

bool SendFrame(Session& session) {
    if (session.options.repeatFrame && session.frame > 0) {
        ++session.frame;
        return SendUpdates(session, session.firstFrame);
    }
    if (!RenderFrame(session.source, session.frame, session.current)) {
        session.endReason = "out of memory";
        return false;
    }
    const std::vector<TileRect> tiles =
        session.options.allTiles
            ? ChangedTiles(ScreenBitmap{}, session.current, session.options.tileSize)
            : ChangedTiles(session.sent, session.current, session.options.tileSize);
    std::swap(session.sent, session.current);
    ++session.frame;
    // Tiles go out in batches: few send() calls, and memory bounded whatever the screen size.
    session.outgoing.clear();
    for (const TileRect& rect : tiles) {
        BuildTileUpdate(session.sent, rect, session.options.tileSize, session.options.encoding,
                        session.scratch, session.message);
        session.outgoing.insert(session.outgoing.end(), session.message.begin(),
                                session.message.end());
        if (session.options.repeatFrame) {
            session.firstFrame.insert(session.firstFrame.end(), session.message.begin(),
                                      session.message.end());
        }
        if (session.outgoing.size() >= kSendBatchBytes) {
            if (!SendUpdates(session, session.outgoing)) return false;
            session.outgoing.clear();
        }
    }
    return SendUpdates(session, session.outgoing);
}

bool MoreFrames(const Session& session) {
    const std::int64_t limit = FrameLimit(session.options);
    return session.phase == Phase::Streaming && !session.stalled &&
           (limit == 0 || session.frame < limit);
}

// Milliseconds to wait for the client before the next thing the server must do; -1: no limit.
int WaitBudget(const Session& session, Clock::time_point now) {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    if (session.phase != Phase::Streaming) {
        return static_cast<int>(std::max<std::int64_t>(
            0, duration_cast<milliseconds>(session.loginDeadline - now).count()));
    }
    if (!MoreFrames(session)) return -1;
    return static_cast<int>(std::clamp<std::int64_t>(
        duration_cast<milliseconds>(session.nextFrame - now).count(), 0, 1000));
}

void Serve(Session& session) {
    if (!StartLogin(session)) return;
    const auto interval =
        session.options.fps > 0
            ? std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) /
                  session.options.fps
            : Clock::duration::zero();
    for (;;) {
        Clock::time_point now = Clock::now();
        if (session.phase != Phase::Streaming && now >= session.loginDeadline) {
            session.endReason = "login timed out";
            return;
        }
        if (MoreFrames(session) && now >= session.nextFrame) {
            if (!SendFrame(session)) return;
            // The end of a --frames stream, for whoever times it from the log.
            if (!session.options.staticPicture && session.frame == session.options.frames) {
                LogEvent(session.log, "frames", JsonMember("sent", session.frame));
            }
            session.nextFrame += interval;
            now = Clock::now();
            // A client that reads slowly gets fewer frames, not a burst to catch up.
            if (session.nextFrame < now) session.nextFrame = now;
        }
        const int ready = WaitReceivable(session.connection, WaitBudget(session, now));
        if (ready < 0) {
            session.endReason = "socket error";
            return;
        }
        if (ready > 0 && !HandleClientMessage(session)) return;
    }
}

}  // namespace

bool RunSession(SocketHandle client, const std::string& peer, const ServerOptions& options,
                ScreenSource& source, EventLog& log) {
    Session session(options, source, log);
    session.connection.socket = client;
    LogEvent(log, "connect", JsonMember("peer", peer));
    Serve(session);
    CloseConnection(session.connection);
    LogEvent(log, "disconnect", JsonMember("reason", session.endReason));
    return session.clientSpoke;
}

}  // namespace telorad::server
