#pragma once
// Takes the server's byte stream apart into messages, however the bytes arrive: a message that
// is only partly here is kept and continued on the next poll, so no poll waits for the rest.
// It knows the wire and nothing else; a MessageHandler acts on what it finds.
#include <chrono>
#include <cstdint>
#include <span>

#include "crypto/md5.h"
#include "net/transport.h"
#include "net/wire.h"

namespace telorad {

// One unit as the server sent it, decrypted: its header, the fixed part behind it (rectangle,
// geometry, seed, challenge or verdict result) and an update's payload.
struct ReceivedMessage {
    MessageHeader header;
    std::span<const std::uint8_t> fixed;
    std::span<const std::uint8_t> payload;
};

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // Every unit received whole, before it is acted on.
    virtual void OnReceived(const ReceivedMessage& message) = 0;
    // The methods returning bool end the connection with false.
    virtual bool OnScreenInfo(const ScreenInfo& info) = 0;
    // Where an update's payload of `size` bytes is to be received; null refuses the update.
    virtual std::uint8_t* UpdatePayloadDestination(const MessageHeader& header,
                                                   std::uint32_t size) = 0;
    // The payload lies where UpdatePayloadDestination said or, when it had all arrived before
    // the update's rectangle was complete, where it was read ahead; valid during the call.
    virtual bool OnUpdate(const MessageHeader& header, const UpdateRect& rect,
                          std::span<const std::uint8_t> payload) = 0;
    // The legacy login: the seed (answered at once), then the server's answer.
    virtual void OnSeed(std::uint32_t seed) = 0;
    virtual bool OnSeedAnswer(const MessageHeader& answer, const ScreenInfo& info) = 0;
    // The digest login: the challenge (answered at once), then the 12-byte verdict, or null
    // when the connection ended or stalled before all of it came.
    virtual void OnChallenge(const Digest16& challenge) = 0;
    virtual bool OnVerdict(const Digest16& challenge, const std::uint8_t* verdict) = 0;
};

class MessageParser {
public:
    // Consumes what has arrived, waiting at most waitMs when nothing has. 1: a message was
    // completed and handled (a login counts as one, with the answer it reads). 0: no whole
    // message yet. -1: the connection ended or failed, the server stalled for stallTimeoutMs in
    // the middle of a message, or a message was refused; the state is clean again.
    int Poll(Connection& connection, MessageHandler& handler, int waitMs);

    // Drops a partial message: the next byte starts a new one.
    void Reset();

    bool InMessage() const { return stage_ != Stage::Header || have_ > 0; }

    // Milliseconds until a partial message has stalled for stallTimeoutMs (0 once it has),
    // or -1 without one: the one deadline a loop waiting for bytes must wake for.
    int MsUntilStall(const Connection& connection) const;

private:
    enum class Stage { Header, UpdateRect, UpdatePayload, ScreenInfo, Seed, SeedAnswer, Challenge,
                       Verdict };
    using Clock = std::chrono::steady_clock;

    void Expect(Stage stage, int count);
    // Acts on a completed stage: 1 message done, 0 the message goes on, -1 refused.
    int CompleteStage(Connection& connection, MessageHandler& handler);
    int CompleteHeader();
    int CompleteUpdateRect(Connection& connection, MessageHandler& handler);
    int CompleteUpdate(MessageHandler& handler, std::span<const std::uint8_t> payload);
    int Fail(MessageHandler& handler);
    bool Stalled(const Connection& connection) const;

    Stage stage_ = Stage::Header;
    MessageHeader header_;
    // The header and fixed part of the unit being received.
    std::uint8_t unit_[kHeaderSize + kScreenInfoSize] = {};
    int have_ = 0;
    int want_ = kHeaderSize;
    UpdateRect rect_;
    std::uint8_t* payload_ = nullptr;
    std::uint32_t payloadSize_ = 0;
    std::uint32_t payloadHave_ = 0;
    Digest16 challenge_{};
    Clock::time_point lastProgress_;
};

}  // namespace telorad
