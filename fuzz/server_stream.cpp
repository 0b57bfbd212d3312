#include "server_stream.h"

#include <algorithm>
#include <cstring>

#include "crypto/cipher.h"
#include "crypto/password_response.h"
#include "net/wire.h"

namespace fuzz {

using telorad::GetI32;
using telorad::PutI32;
using telorad::PutU32;

namespace {

constexpr std::size_t kChallengeSize = 16;

// Walks a stream unit by unit. `in` holds the bytes as given; `plain` receives them decrypted
// (wire to plain) or is the input itself (plain to wire), and the units are read from it.
class StreamWalk {
  public:
    StreamWalk(std::span<const std::uint8_t> in, bool toPlain)
        : in_(in), toPlain_(toPlain), out_(in.begin(), in.end()) {}

    std::vector<StreamUnit> Walk() {
        std::vector<StreamUnit> units;
        while (at_ < in_.size()) {
            const std::size_t start = at_;
            WalkUnit();
            units.push_back({start, at_ - start});
        }
        return units;
    }

    std::vector<std::uint8_t>& Out() { return out_; }

  private:
    const std::uint8_t* Plain(std::size_t offset) const {
        return toPlain_ ? out_.data() + offset : in_.data() + offset;
    }

    // Passes up to count bytes through the cipher; returns how many there were.
    std::size_t Take(std::size_t count) {
        count = std::min(count, in_.size() - at_);
        telorad::CipherCrypt(cipher_, in_.data() + at_, static_cast<int>(count), out_.data() + at_);
        at_ += count;
        return count;
    }

    void TakeRest() { Take(in_.size() - at_); }

    void WalkUnit() {
        const std::size_t start = at_;
        if (Take(telorad::kHeaderSize) < telorad::kHeaderSize) return;
        const telorad::MessageHeader header = telorad::DecodeHeader(Plain(start));
        switch (header.type) {
            case telorad::MSG_SCREEN_RAW:
            case telorad::MSG_SCREEN_RLE:
                // A length below the rectangle ends the connection: nothing behind it is read.
                if (header.length < telorad::kUpdateRectSize) return TakeRest();
                Take(header.length);
                return;
            case telorad::MSG_SCREEN_INFO:
                Take(telorad::kScreenInfoSize);
                return;
            case telorad::MSG_AUTH_SEED:
                Take(4 + telorad::kHeaderSize + telorad::kScreenInfoSize);
                return;
            case telorad::MSG_AUTH_CHALLENGE: {
                if (Take(kChallengeSize) < kChallengeSize) return;
                telorad::Digest16 challenge;
                std::memcpy(challenge.data(), Plain(start + telorad::kHeaderSize), kChallengeSize);
                const std::size_t verdict = at_;
                if (Take(telorad::kVerdictSize) < telorad::kVerdictSize) return;
                const telorad::MessageHeader answer = telorad::DecodeHeader(Plain(verdict));
                const std::int32_t result = GetI32(Plain(verdict + telorad::kHeaderSize));
                if (answer.type == telorad::MSG_AUTH_RESPONSE && answer.length == 1 &&
                    result >= 0 && (result & 1)) {
                    const telorad::Digest16 key = telorad::DeriveCipherKey(challenge, kPassword);
                    telorad::CipherSetKey(cipher_, key.data(), 16);
                }
                return;
            }
            default:
                return TakeRest();
        }
    }

    std::span<const std::uint8_t> in_;
    bool toPlain_;
    std::vector<std::uint8_t> out_;
    std::size_t at_ = 0;
    telorad::CipherState cipher_;  // off until a verdict turns it on
};

std::uint32_t Pick(std::minstd_rand& random, std::uint32_t below) {
    return below == 0 ? 0 : static_cast<std::uint32_t>(random() % below);
}

// Now and then a value just outside what the client accepts, else one inside.
std::uint32_t Around(std::minstd_rand& random, std::uint32_t low, std::uint32_t high) {
    switch (Pick(random, 16)) {
        case 0:
            return 0;
        case 1:
            return high + 1 + Pick(random, 64);
        case 2:
            return 0xFFFFFFFFu - Pick(random, 4);
        default:
            return low + Pick(random, high - low + 1);
    }
}

std::vector<std::uint8_t> Header(std::uint32_t type, std::uint32_t length,
                                 std::size_t payloadSize) {
    std::vector<std::uint8_t> message(telorad::kHeaderSize + payloadSize);
    PutU32(message.data(), type);
    PutU32(message.data() + 4, length);
    return message;
}

void RandomBytes(std::minstd_rand& random, std::uint8_t* out, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) out[k] = static_cast<std::uint8_t>(random());
}

// A geometry small enough for the harness's picture limit, now and then one beyond it.
void PutScreenInfo(std::minstd_rand& random, std::uint8_t* out, std::uint32_t authFailed) {
    static constexpr std::uint32_t kDepths[] = {0, 16, 24, 32, 8};
    PutU32(out, static_cast<std::uint32_t>(random()));
    PutU32(out + 4, Around(random, 1, 128));
    PutU32(out + 8, Around(random, 1, 128));
    PutU32(out + 12, kDepths[Pick(random, 5)]);
    PutU32(out + 16, Around(random, 1, 64));
    PutU32(out + 20, authFailed);
}

std::vector<std::uint8_t> MakeUpdate(std::minstd_rand& random, std::uint32_t type) {
    std::vector<std::uint8_t> payload;
    if (type == telorad::MSG_SCREEN_RAW) {
        static constexpr std::uint32_t kSizes[] = {0, 1, 2, 48, 256, 768, 1024, 3072};
        payload.resize(kSizes[Pick(random, 8)] + Pick(random, 4));
        RandomBytes(random, payload.data(), payload.size());
    } else {
        // Runs, literals, an end word, and now and then a token reaching past the payload.
        const std::uint32_t tokens = 1 + Pick(random, 12);
        for (std::uint32_t t = 0; t < tokens; ++t) {
            const std::uint32_t kind = Pick(random, 8);
            const std::uint32_t count =
                kind < 4 ? Around(random, 0, 600) & 0x7FFF : 1 + Pick(random, kind == 7 ? 400 : 6);
            const std::uint32_t token = kind < 4 ? 0x8000 | count : kind == 6 ? 0 : count;
            const std::size_t words = kind < 4 ? 1 : kind == 6 ? 0 : kind == 7 ? 2 : count;
            payload.push_back(static_cast<std::uint8_t>(token));
            payload.push_back(static_cast<std::uint8_t>(token >> 8));
            for (std::size_t w = 0; w < 2 * words; ++w) {
                payload.push_back(static_cast<std::uint8_t>(random()));
            }
        }
        if (Pick(random, 4) == 0) payload.push_back(0x5A);  // an odd byte at the end
    }
    std::vector<std::uint8_t> message =
        Header(type, static_cast<std::uint32_t>(telorad::kUpdateRectSize + payload.size()),
               telorad::kUpdateRectSize + payload.size());
    std::uint8_t* rect = message.data() + telorad::kHeaderSize;
    PutI32(rect, static_cast<std::int32_t>(Pick(random, 140)) - 6);
    PutI32(rect + 4, static_cast<std::int32_t>(Pick(random, 140)) - 6);
    PutI32(rect + 8, static_cast<std::int32_t>(Around(random, 1, 70)));
    PutI32(rect + 12, static_cast<std::int32_t>(Around(random, 1, 70)));
    std::copy(payload.begin(), payload.end(), rect + telorad::kUpdateRectSize);
    return message;
}

std::vector<std::uint8_t> MakeDigestLogin(std::minstd_rand& random) {
    static constexpr std::int32_t kResults[] = {0, 1, 3, 2, -1, 1, 1};
    std::vector<std::uint8_t> message =
        Header(telorad::MSG_AUTH_CHALLENGE, kChallengeSize, kChallengeSize + telorad::kVerdictSize);
    std::uint8_t* challenge = message.data() + telorad::kHeaderSize;
    RandomBytes(random, challenge, kChallengeSize);
    std::uint8_t* verdict = challenge + kChallengeSize;
    const std::uint32_t flaw = Pick(random, 8);
    PutU32(verdict, flaw == 0 ? telorad::MSG_SCREEN_INFO : telorad::MSG_AUTH_RESPONSE);
    PutU32(verdict + 4, flaw == 1 ? 4 : 1);
    PutI32(verdict + 8, kResults[Pick(random, 7)]);
    return message;
}

std::vector<std::uint8_t> MakeLegacyLogin(std::minstd_rand& random) {
    std::vector<std::uint8_t> message =
        Header(telorad::MSG_AUTH_SEED, 4, 4 + telorad::kHeaderSize + telorad::kScreenInfoSize);
    std::uint8_t* seed = message.data() + telorad::kHeaderSize;
    PutU32(seed, static_cast<std::uint32_t>(random()));
    std::uint8_t* answer = seed + 4;
    PutU32(answer, Pick(random, 8) == 0 ? telorad::MSG_SCREEN_RLE : telorad::MSG_SCREEN_INFO);
    PutU32(answer + 4, static_cast<std::uint32_t>(random()));
    PutScreenInfo(random, answer + telorad::kHeaderSize, Pick(random, 8) == 0 ? 1 : 0);
    return message;
}

}  // namespace

std::vector<StreamUnit> SplitStream(std::span<const std::uint8_t> plain) {
    return StreamWalk(plain, false).Walk();
}

std::vector<std::uint8_t> WireToPlain(std::span<const std::uint8_t> wire) {
    StreamWalk walk(wire, true);
    walk.Walk();
    return std::move(walk.Out());
}

std::vector<std::uint8_t> PlainToWire(std::span<const std::uint8_t> plain) {
    StreamWalk walk(plain, false);
    walk.Walk();
    return std::move(walk.Out());
}

std::vector<std::uint8_t> MakeMessage(std::minstd_rand& random) {
    switch (Pick(random, 10)) {
        case 0:
        case 1: {
            std::vector<std::uint8_t> message =
                Header(telorad::MSG_SCREEN_INFO, Pick(random, 4) == 0 ? 0 : telorad::kScreenInfoSize,
                       telorad::kScreenInfoSize);
            PutScreenInfo(random, message.data() + telorad::kHeaderSize, 0);
            return message;
        }
        case 2:
        case 3:
            return MakeUpdate(random, telorad::MSG_SCREEN_RAW);
        case 4:
        case 5:
        case 6:
            return MakeUpdate(random, telorad::MSG_SCREEN_RLE);
        case 7:
            return MakeDigestLogin(random);
        case 8:
            return MakeLegacyLogin(random);
        default:
            return Header(static_cast<std::uint32_t>(random()) & 0xFFF, Pick(random, 64), 0);
    }
}

}  // namespace fuzz
