#include "app/receive_poll.h"

#include <cstring>
#include <string_view>

#include "app/client.h"
#include "app/view.h"
#include "crypto/password_response.h"
#include "net/message_parser.h"
#include "net/transport.h"
#include "net/wire.h"
#include "screen/rle.h"
#include "screen/update_rect.h"

namespace telorad {

namespace {

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

// What the client does with each message: the picture, the window, the boxes and the replies.
class ClientActions : public MessageHandler {
public:
    explicit ClientActions(Client& client) : client_(client) {}

    void OnReceived(const ReceivedMessage& message) override {
        if (client_.onMessageReceived) client_.onMessageReceived(message);
    }

    bool OnScreenInfo(const ScreenInfo& info) override {
        client_.screenInfo = info;
        return ApplyCurrentScreenInfo();
    }

    std::uint8_t* UpdatePayloadDestination(const MessageHeader& header,
                                           std::uint32_t size) override {
        // Without a tile there is nowhere to put the pixels: the server skipped the geometry.
        if (!client_.tile.flags) return nullptr;
        // Raw pixels go straight into the tile; coded ones into the scratch buffer.
        std::vector<std::uint8_t>& into =
            header.type == MSG_SCREEN_RAW ? client_.tile.pixels : client_.rleScratch;
        return size <= into.size() ? into.data() : nullptr;
    }

    bool OnUpdate(const MessageHeader& header, const UpdateRect& rect,
                  std::span<const std::uint8_t> payload) override {
        ScreenBitmap& tile = client_.tile;
        if (header.type == MSG_SCREEN_RLE) {
            if (!DecodeRle16(payload.data(), static_cast<int>(payload.size() >> 1),
                             tile.pixels.data(), tile.pixels.size())) {
                return false;
            }
        } else if (!payload.empty() && payload.data() != tile.pixels.data()) {
            // Read ahead: UpdatePayloadDestination has checked that it fits the tile.
            std::memcpy(tile.pixels.data(), payload.data(), payload.size());
        }
        ShowApplied(ApplyUpdateRect(client_.framebuffer, tile, rect.x, rect.y, rect.width,
                                    rect.height));
        ++client_.received.updates;
        return true;
    }

    void OnSeed(std::uint32_t seed) override {
        SendReply(client_.connection, MSG_AUTH_SEED_REPLY,
                  MakeSeedResponse(seed, PasswordBytes(client_)));
    }

    bool OnSeedAnswer(const MessageHeader& answer, const ScreenInfo& info) override {
        client_.screenInfo = info;
        if (info.authFailed != 0 || answer.type != MSG_SCREEN_INFO) {
            client_.window.ShowMessageBox("Auth error!", "error", MessageBoxStyle::Ok);
            return false;
        }
        if (!ApplyCurrentScreenInfo()) return false;
        WarnInsecure();
        return true;
    }

    void OnChallenge(const Digest16& challenge) override {
        SendReply(client_.connection, MSG_AUTH_RESPONSE,
                  MakeDigestResponse(challenge, PasswordBytes(client_)));
    }

    bool OnVerdict(const Digest16& challenge, const std::uint8_t* verdict) override {
        const MessageHeader header = verdict ? DecodeHeader(verdict) : MessageHeader{};
        if (!verdict || header.type != MSG_AUTH_RESPONSE || header.length != 1) {
            client_.window.ShowMessageBox("Protocol error!", "Error!", MessageBoxStyle::Ok);
            return false;
        }
        const std::int32_t result = GetI32(verdict + kHeaderSize);
        if (result < 0) {
            client_.window.ShowMessageBox("Auth error!", "Error!", MessageBoxStyle::Ok);
            return false;
        }
        if (result & 1) {
            const Digest16 key = DeriveCipherKey(challenge, PasswordBytes(client_));
            CipherSetKey(client_.connection.sendCipher, key.data(), 16);
            CipherSetKey(client_.connection.receiveCipher, key.data(), 16);
            return true;
        }
        WarnInsecure();
        return true;
    }

private:
    void ShowApplied(const PixelRect& changed) {
        if (changed.Empty()) return;
        client_.window.PaintNow(client_.framebuffer, changed, changed.x - client_.view.scrollX,
                                changed.y - client_.view.scrollY);
    }

    bool ApplyCurrentScreenInfo() {
        if (!ApplyScreenInfo(client_.framebuffer, client_.tile, client_.screenInfo,
                             client_.pictureLimitBytes)) {
            return false;
        }
        ++client_.received.screenInfos;
        FitWindowToPicture(client_);
        return true;
    }

    void WarnInsecure() {
        client_.window.ShowMessageBox("Insecure connection!", "caution!",
                                      MessageBoxStyle::Warning);
    }

    Client& client_;
};

}  // namespace

int ReceivePoll(Client& client) {
    ClientActions actions(client);
    return client.parser.Poll(client.connection, actions, client.pollWaitMs);
}

}  // namespace telorad
