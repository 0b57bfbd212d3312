#include "net/message_parser.h"

#include <algorithm>
#include <cstring>

namespace telorad {

namespace {

constexpr int kSeedSize = 4;
constexpr int kChallengeSize = 16;

std::span<const std::uint8_t> Fixed(const std::uint8_t* unit, int have) {
    return {unit + kHeaderSize, static_cast<std::size_t>(have - kHeaderSize)};
}

}  // namespace

void MessageParser::Reset() {
    stage_ = Stage::Header;
    have_ = 0;
    want_ = kHeaderSize;
    payload_ = nullptr;
    payloadSize_ = payloadHave_ = 0;
}

void MessageParser::Expect(Stage stage, int count) {
    stage_ = stage;
    want_ = have_ + count;
}

bool MessageParser::Stalled(const Connection& connection) const {
    return InMessage() &&
           Clock::now() - lastProgress_ >= std::chrono::milliseconds(connection.stallTimeoutMs);
}

int MessageParser::MsUntilStall(const Connection& connection) const {
    if (!InMessage()) return -1;
    const auto left = lastProgress_ + std::chrono::milliseconds(connection.stallTimeoutMs) -
                      Clock::now();
    return static_cast<int>(
        std::max<std::int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
}

int MessageParser::Fail(MessageHandler& handler) {
    // A verdict that never came whole is the handshake's failure, and the user is told so.
    if (stage_ == Stage::Verdict) handler.OnVerdict(challenge_, nullptr);
    Reset();
    return -1;
}

int MessageParser::Poll(Connection& connection, MessageHandler& handler, int waitMs) {
    bool waited = false;
    bool progressed = false;
    for (;;) {
        std::uint8_t* into;
        int count;
        if (stage_ == Stage::UpdatePayload) {
            into = payload_ + payloadHave_;
            count = static_cast<int>(std::min<std::uint32_t>(payloadSize_ - payloadHave_,
                                                             1u << 30));
        } else {
            into = unit_ + have_;
            count = want_ - have_;
        }
        const int got = ReceiveAvailable(connection, into, count);
        if (got < 0) return Fail(handler);
        if (got == 0) {
            // Wait only while this poll has had nothing at all; otherwise come back later.
            if (!waited && !progressed) {
                waited = true;
                const int ready = WaitReceivable(connection, waitMs);
                if (ready < 0) return Fail(handler);
                if (ready > 0) continue;
            }
            return Stalled(connection) ? Fail(handler) : 0;
        }
        progressed = true;
        lastProgress_ = Clock::now();
        if (stage_ == Stage::UpdatePayload) {
            payloadHave_ += static_cast<std::uint32_t>(got);
            if (payloadHave_ < payloadSize_) continue;
            const int done = CompleteUpdate(handler, {payload_, payloadSize_});
            return done < 0 ? Fail(handler) : done;
        }
        have_ += got;
        if (have_ < want_) continue;
        const int done = CompleteStage(connection, handler);
        if (done < 0) return Fail(handler);
        if (done > 0) {
            Reset();
            return 1;
        }
    }
}

int MessageParser::CompleteStage(Connection& connection, MessageHandler& handler) {
    switch (stage_) {
        case Stage::Header:
            return CompleteHeader();
        case Stage::UpdateRect:
            return CompleteUpdateRect(connection, handler);
        case Stage::ScreenInfo:
            handler.OnReceived({header_, Fixed(unit_, have_), {}});
            return handler.OnScreenInfo(DecodeScreenInfo(unit_ + kHeaderSize)) ? 1 : -1;
        case Stage::Seed:
            handler.OnReceived({header_, Fixed(unit_, have_), {}});
            handler.OnSeed(GetU32(unit_ + kHeaderSize));
            // The answer is a unit of its own: a header and a geometry.
            have_ = 0;
            Expect(Stage::SeedAnswer, kHeaderSize + kScreenInfoSize);
            return 0;
        case Stage::SeedAnswer: {
            const MessageHeader answer = DecodeHeader(unit_);
            handler.OnReceived({answer, Fixed(unit_, have_), {}});
            return handler.OnSeedAnswer(answer, DecodeScreenInfo(unit_ + kHeaderSize)) ? 1 : -1;
        }
        case Stage::Challenge:
            handler.OnReceived({header_, Fixed(unit_, have_), {}});
            std::memcpy(challenge_.data(), unit_ + kHeaderSize, kChallengeSize);
            handler.OnChallenge(challenge_);
            have_ = 0;
            Expect(Stage::Verdict, kVerdictSize);
            return 0;
        case Stage::Verdict: {
            handler.OnReceived({DecodeHeader(unit_), Fixed(unit_, have_), {}});
            // Past this point a failure is no longer the verdict's.
            stage_ = Stage::Header;
            return handler.OnVerdict(challenge_, unit_) ? 1 : -1;
        }
        case Stage::UpdatePayload:
            break;
    }
    return -1;
}

int MessageParser::CompleteHeader() {
    header_ = DecodeHeader(unit_);
    switch (header_.type) {
        case MSG_SCREEN_RAW:
        case MSG_SCREEN_RLE:
            if (header_.length < kUpdateRectSize) return -1;
            Expect(Stage::UpdateRect, kUpdateRectSize);
            return 0;
        case MSG_SCREEN_INFO:
            // The payload is always 24 bytes, whatever the header's length says.
            Expect(Stage::ScreenInfo, kScreenInfoSize);
            return 0;
        case MSG_AUTH_SEED:
            Expect(Stage::Seed, kSeedSize);
            return 0;
        case MSG_AUTH_CHALLENGE:
            Expect(Stage::Challenge, kChallengeSize);
            return 0;
        default:
            return -1;
    }
}

int MessageParser::CompleteUpdateRect(Connection& connection, MessageHandler& handler) {
    rect_ = DecodeUpdateRect(unit_ + kHeaderSize);
    payloadSize_ = header_.length - kUpdateRectSize;
    payloadHave_ = 0;
    payload_ = handler.UpdatePayloadDestination(header_, payloadSize_);
    if (payload_ == nullptr) return -1;
    if (payloadSize_ == 0) return CompleteUpdate(handler, {});
    // A payload that has arrived whole is used where it was read ahead: a coded one is decoded
    // from there, not copied into the scratch buffer first.
    if (const std::uint8_t* here = ReceiveInPlace(connection, payloadSize_)) {
        return CompleteUpdate(handler, {here, payloadSize_});
    }
    stage_ = Stage::UpdatePayload;
    return 0;
}

int MessageParser::CompleteUpdate(MessageHandler& handler,
                                  std::span<const std::uint8_t> payload) {
    handler.OnReceived({header_, Fixed(unit_, kHeaderSize + kUpdateRectSize), payload});
    const bool applied = handler.OnUpdate(header_, rect_, payload);
    Reset();
    return applied ? 1 : -1;
}

}  // namespace telorad
