#include "app/session_recording.h"

#include <algorithm>
#include <cstring>

#include "net/wire.h"
#include "screen/rle.h"
#include "screen/update_rect.h"

namespace telorad {

namespace {

constexpr std::uint8_t kMagic[8] = {'T', 'L', 'R', 'D', 'R', 'E', 'C', 0x1A};

std::uint64_t GetU64(const std::uint8_t* p) {
    return std::uint64_t{GetU32(p)} | std::uint64_t{GetU32(p + 4)} << 32;
}

bool Fail(std::string& error, std::size_t index, std::size_t offset, const std::string& why) {
    error = "damaged recording: message " + std::to_string(index + 1) + " at byte " +
            std::to_string(offset) + ": " + why;
    return false;
}

// Whether a whole message has the length its type implies.
bool WellFormed(const std::uint8_t* message, std::uint32_t size) {
    if (size < kHeaderSize) return false;
    const MessageHeader header = DecodeHeader(message);
    if (header.type == MSG_SCREEN_INFO) return size == kHeaderSize + kScreenInfoSize;
    if (header.type == MSG_SCREEN_RAW || header.type == MSG_SCREEN_RLE) {
        return header.length >= kUpdateRectSize && std::uint64_t{header.length} + kHeaderSize == size;
    }
    return false;
}

}  // namespace

std::vector<std::uint8_t> RecordedBytes(const ReceivedMessage& message) {
    const std::uint32_t type = message.header.type;
    std::vector<std::uint8_t> bytes;
    if (type == MSG_SCREEN_INFO) {
        if (message.fixed.size() < kScreenInfoSize) return bytes;
        bytes.resize(kHeaderSize);
        EncodeHeader({MSG_SCREEN_INFO, kScreenInfoSize}, bytes.data());
        bytes.insert(bytes.end(), message.fixed.begin(), message.fixed.begin() + kScreenInfoSize);
    } else if (type == MSG_SCREEN_RAW || type == MSG_SCREEN_RLE) {
        bytes.resize(kHeaderSize);
        EncodeHeader(message.header, bytes.data());
        bytes.insert(bytes.end(), message.fixed.begin(), message.fixed.end());
        bytes.insert(bytes.end(), message.payload.begin(), message.payload.end());
    }
    return bytes;
}

std::vector<std::uint8_t> EncodeRecordingHeader() {
    std::vector<std::uint8_t> header(kRecordingHeaderSize, 0);
    std::memcpy(header.data(), kMagic, sizeof kMagic);
    PutU32(header.data() + 8, kRecordingVersion);
    return header;
}

std::vector<std::uint8_t> EncodeRecord(std::uint64_t micros, const std::uint8_t* message,
                                       std::size_t size) {
    std::vector<std::uint8_t> record(kRecordHeaderSize + size);
    PutU32(record.data(), static_cast<std::uint32_t>(micros));
    PutU32(record.data() + 4, static_cast<std::uint32_t>(micros >> 32));
    PutU32(record.data() + 8, static_cast<std::uint32_t>(size));
    if (size != 0) std::memcpy(record.data() + kRecordHeaderSize, message, size);
    return record;
}

bool ReadRecording(const std::vector<std::uint8_t>& bytes, std::vector<RecordedMessage>& messages,
                   std::string& error) {
    messages.clear();
    if (bytes.size() < kRecordingHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        error = "not a recording (no recording header)";
        return false;
    }
    if (GetU32(bytes.data() + 8) != kRecordingVersion) {
        error = "recording version " + std::to_string(GetU32(bytes.data() + 8)) +
                " is not known to this program";
        return false;
    }
    std::size_t offset = kRecordingHeaderSize;
    std::uint64_t lastMicros = 0;
    while (offset < bytes.size()) {
        const std::size_t index = messages.size();
        if (bytes.size() - offset < kRecordHeaderSize) return Fail(error, index, offset, "cut short");
        RecordedMessage message;
        message.micros = GetU64(bytes.data() + offset);
        message.size = GetU32(bytes.data() + offset + 8);
        message.offset = offset + kRecordHeaderSize;
        if (message.size > kMaxRecordedMessage) return Fail(error, index, offset, "too large");
        if (bytes.size() - message.offset < message.size) return Fail(error, index, offset, "cut short");
        if (message.micros < lastMicros) return Fail(error, index, offset, "time goes back");
        if (!WellFormed(bytes.data() + message.offset, message.size)) {
            return Fail(error, index, offset, "not a screen message of its own length");
        }
        lastMicros = message.micros;
        messages.push_back(message);
        offset = message.offset + message.size;
    }
    return true;
}

bool ReplayRecording(const std::vector<std::uint8_t>& bytes,
                     const std::vector<RecordedMessage>& messages, std::uint64_t micros,
                     ScreenBitmap& framebuffer, ScreenBitmap& tile, std::string& error,
                     std::int64_t maxBytes) {
    for (std::size_t index = 0; index < messages.size() && messages[index].micros <= micros; ++index) {
        const RecordedMessage& m = messages[index];
        const std::uint8_t* message = bytes.data() + m.offset;
        const MessageHeader header = DecodeHeader(message);
        const std::uint8_t* payload = message + kHeaderSize;
        if (header.type == MSG_SCREEN_INFO) {
            if (!ApplyScreenInfo(framebuffer, tile, DecodeScreenInfo(payload), maxBytes)) {
                return Fail(error, index, m.offset, "a screen geometry out of range");
            }
            continue;
        }
        if (!tile.flags) return Fail(error, index, m.offset, "an update before any screen geometry");
        const UpdateRect rect = DecodeUpdateRect(payload);
        const std::uint8_t* pixels = payload + kUpdateRectSize;
        const std::size_t count = header.length - kUpdateRectSize;
        if (header.type == MSG_SCREEN_RAW) {
            if (count > tile.pixels.size()) return Fail(error, index, m.offset, "more pixels than the tile");
            std::copy(pixels, pixels + count, tile.pixels.begin());
        } else if (count > static_cast<std::size_t>(kRleScratchBytes) ||
                   !DecodeRle16(pixels, static_cast<std::int32_t>(count >> 1), tile.pixels.data(),
                                tile.pixels.size())) {
            return Fail(error, index, m.offset, "a run-length code the tile cannot hold");
        }
        ApplyUpdateRect(framebuffer, tile, rect.x, rect.y, rect.width, rect.height);
    }
    return true;
}

}  // namespace telorad
