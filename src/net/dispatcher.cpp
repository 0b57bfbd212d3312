#include "net/dispatcher.h"

#include <cstring>
#include <initializer_list>
#include <span>
#include <string_view>

#include "app/client.h"
#include "app/view.h"
#include "crypto/password_response.h"
#include "net/transport.h"
#include "net/wire.h"
#include "screen/rle.h"
#include "screen/update_rect.h"

namespace telorad {

namespace {

bool ReceiveExactly(Connection& connection, std::uint8_t* buffer, int count) {
    return ReceiveBytes(connection, buffer, count) == count;
}

// The password's bytes before its first NUL: the NUL never enters a response.
std::string_view PasswordBytes(const Client& client) {
    const std::string_view password = client.connectParams.password;
    return password.substr(0, password.find('\0'));
}

// Sends a reply, header and payload, in one send: the cipher sees one byte stream either way,
// and one segment reaches the server without waiting on an acknowledgement.
void SendReply(Connection& connection, std::uint32_t type, const Digest16& payload) {
    std::uint8_t message[kHeaderSize + sizeof(Digest16)];
    EncodeHeader({type, static_cast<std::uint32_t>(payload.size())}, message);
    std::memcpy(message + kHeaderSize, payload.data(), payload.size());
    SendBytes(connection, message, static_cast<int>(sizeof message));
}

// Hands an applied message, reassembled from its parts, to the session's observer.
void ObserveMessage(Client& client, std::initializer_list<std::span<const std::uint8_t>> parts) {
    if (!client.onScreenMessage) return;
    std::vector<std::uint8_t> message;
    for (const auto& part : parts) message.insert(message.end(), part.begin(), part.end());
    client.onScreenMessage(message);
}

void ShowApplied(Client& client, const PixelRect& changed) {
    if (changed.Empty()) return;
    client.window.PaintNow(client.framebuffer, changed, changed.x - client.view.scrollX,
                           changed.y - client.view.scrollY);
}

int HandleUpdate(Client& client, const MessageHeader& header, const std::uint8_t* headerBytes) {
    if (header.length < kUpdateRectSize) return -1;
    std::uint8_t rectBytes[kUpdateRectSize];
    if (!ReceiveExactly(client.connection, rectBytes, kUpdateRectSize)) return -1;
    const UpdateRect rect = DecodeUpdateRect(rectBytes);
    // Without a tile there is nowhere to put the pixels: the server skipped the geometry.
    if (!client.tile.flags) return -1;

    const std::uint64_t payload = std::uint64_t{header.length} - kUpdateRectSize;
    std::vector<std::uint8_t>& tilePixels = client.tile.pixels;
    if (header.type == MSG_SCREEN_RAW) {
        if (payload > tilePixels.size()) return -1;
        const int count = static_cast<int>(payload);
        if (!ReceiveExactly(client.connection, tilePixels.data(), count)) return -1;
    } else {
        if (payload > client.rleScratch.size()) return -1;
        const int count = static_cast<int>(payload);
        if (!ReceiveExactly(client.connection, client.rleScratch.data(), count)) return -1;
        if (!DecodeRle16(client.rleScratch.data(), count >> 1, tilePixels.data(),
                         tilePixels.size())) {
            return -1;
        }
    }
    ShowApplied(client, ApplyUpdateRect(client.framebuffer, client.tile, rect.x, rect.y, rect.width,
                                        rect.height));
    ++client.received.updates;
    const std::uint8_t* pixels =
        header.type == MSG_SCREEN_RAW ? tilePixels.data() : client.rleScratch.data();
    ObserveMessage(client, {{headerBytes, kHeaderSize},
                            {rectBytes, kUpdateRectSize},
                            {pixels, static_cast<std::size_t>(payload)}});
    return 1;
}

bool ReadScreenInfo(Client& client) {
    std::uint8_t infoBytes[kScreenInfoSize];
    if (!ReceiveExactly(client.connection, infoBytes, kScreenInfoSize)) return false;
    client.screenInfo = DecodeScreenInfo(infoBytes);
    return true;
}

bool ApplyCurrentScreenInfo(Client& client) {
    if (!ApplyScreenInfo(client.framebuffer, client.tile, client.screenInfo,
                         client.pictureLimitBytes)) {
        return false;
    }
    ++client.received.screenInfos;
    std::uint8_t message[kHeaderSize + kScreenInfoSize];
    EncodeHeader({MSG_SCREEN_INFO, kScreenInfoSize}, message);
    EncodeScreenInfo(client.screenInfo, message + kHeaderSize);
    ObserveMessage(client, {message});
    FitWindowToPicture(client);
    return true;
}

int HandleScreenInfo(Client& client) {
    // The payload is always 24 bytes, whatever the header's length says.
    if (!ReadScreenInfo(client)) return -1;
    return ApplyCurrentScreenInfo(client) ? 1 : -1;
}

void WarnInsecure(Client& client) {
    client.window.ShowMessageBox("Insecure connection!", "caution!", MessageBoxStyle::Warning);
}

int HandleSeedLogin(Client& client) {
    std::uint8_t seedBytes[4];
    if (!ReceiveExactly(client.connection, seedBytes, 4)) return -1;
    SendReply(client.connection, MSG_AUTH_SEED_REPLY,
              MakeSeedResponse(GetU32(seedBytes), PasswordBytes(client)));

    std::uint8_t answer[kHeaderSize];
    if (!ReceiveExactly(client.connection, answer, kHeaderSize)) return -1;
    if (!ReadScreenInfo(client)) return -1;
    if (client.screenInfo.authFailed != 0 || DecodeHeader(answer).type != MSG_SCREEN_INFO) {
        client.window.ShowMessageBox("Auth error!", "error", MessageBoxStyle::Ok);
        return -1;
    }
    if (!ApplyCurrentScreenInfo(client)) return -1;
    WarnInsecure(client);
    return 1;
}

int HandleDigestLogin(Client& client) {
    Digest16 challenge;
    if (!ReceiveExactly(client.connection, challenge.data(), 16)) return -1;
    SendReply(client.connection, MSG_AUTH_RESPONSE,
              MakeDigestResponse(challenge, PasswordBytes(client)));

    std::uint8_t verdict[kVerdictSize];
    const bool complete = ReceiveExactly(client.connection, verdict, kVerdictSize);
    const MessageHeader header = DecodeHeader(verdict);
    if (!complete || header.type != MSG_AUTH_RESPONSE || header.length != 1) {
        client.window.ShowMessageBox("Protocol error!", "Error!", MessageBoxStyle::Ok);
        return -1;
    }
    const std::int32_t result = GetI32(verdict + kHeaderSize);
    if (result < 0) {
        client.window.ShowMessageBox("Auth error!", "Error!", MessageBoxStyle::Ok);
        return -1;
    }
    if (result & 1) {
        const Digest16 key = DeriveCipherKey(challenge, PasswordBytes(client));
        CipherSetKey(client.connection.sendCipher, key.data(), 16);
        CipherSetKey(client.connection.receiveCipher, key.data(), 16);
        return 1;
    }
    WarnInsecure(client);
    return 1;
}

}  // namespace

int ReceivePoll(Client& client) {
    std::uint8_t headerBytes[kHeaderSize];
    const int got = ReceiveWhenReady(client.connection, headerBytes, kHeaderSize, kPollWaitMs);
    if (got == 0) return 0;
    if (got != kHeaderSize) return -1;
    const MessageHeader header = DecodeHeader(headerBytes);
    switch (header.type) {
        case MSG_SCREEN_RAW:
        case MSG_SCREEN_RLE:
            return HandleUpdate(client, header, headerBytes);
        case MSG_SCREEN_INFO:
            return HandleScreenInfo(client);
        case MSG_AUTH_SEED:
            return HandleSeedLogin(client);
        case MSG_AUTH_CHALLENGE:
            return HandleDigestLogin(client);
        default:
            return -1;
    }
}

}  // namespace telorad
