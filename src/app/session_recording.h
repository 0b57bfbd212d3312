#pragma once
// Recordings of what a server sent: the screen messages (geometry and update rectangles) as
// they arrived, decrypted, each with its arrival time, so that a picture can be rebuilt later
// without the server. No password, challenge or key is kept.
//
// File: 16-byte header ("TLRDREC" and a 0x1A byte, u32 version 1, u32 reserved 0), then records:
// u64 microseconds since the first message, u32 byte count, then the whole message (its 8-byte
// header and its payload). All integers little-endian; times never decrease.
#include <cstdint>
#include <string>
#include <vector>

#include "net/message_parser.h"
#include "screen/screen_bitmap.h"

namespace telorad {

inline constexpr std::uint32_t kRecordingVersion = 1;
inline constexpr std::size_t kRecordingHeaderSize = 16;
inline constexpr std::size_t kRecordHeaderSize = 12;
// A raw update of the largest tile, with its headers.
inline constexpr std::uint32_t kMaxRecordedMessage = 8 + 16 + (1u << 26);

std::vector<std::uint8_t> EncodeRecordingHeader();
// A received screen message (geometry or update rectangle) as it is recorded, header included,
// a geometry with its true length of 24; empty for the login's messages, which are never kept.
std::vector<std::uint8_t> RecordedBytes(const ReceivedMessage& message);
std::vector<std::uint8_t> EncodeRecord(std::uint64_t micros, const std::uint8_t* message,
                                       std::size_t size);

struct RecordedMessage {
    std::uint64_t micros = 0;
    std::size_t offset = 0;  // of the message in the file's bytes
    std::uint32_t size = 0;
};

// Checks the header and splits the records. False with `error` (naming the record and its
// offset) for a wrong magic or version, a record cut short, a size out of range, a time that
// goes back, or a message whose own length does not match its record.
bool ReadRecording(const std::vector<std::uint8_t>& bytes, std::vector<RecordedMessage>& messages,
                   std::string& error);

// Applies every message up to `micros` (all of them for UINT64_MAX) to the framebuffer and the
// tile, as the client does when they arrive. False with `error` for a message the client would
// refuse (a geometry out of range or above maxBytes, an update before any geometry, pixels
// beyond the tile).
bool ReplayRecording(const std::vector<std::uint8_t>& bytes,
                     const std::vector<RecordedMessage>& messages, std::uint64_t micros,
                     ScreenBitmap& framebuffer, ScreenBitmap& tile, std::string& error,
                     std::int64_t maxBytes = kMaxPictureBytes);

}  // namespace telorad
