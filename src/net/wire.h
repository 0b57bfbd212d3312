#pragma once
// Message layouts and the client's encoders. Every field is little-endian on the wire and is
// encoded and decoded explicitly, never by copying structs.
#include <cstdint>
#include <string_view>

namespace telorad {

struct Connection;

inline constexpr std::uint32_t MSG_SCREEN_RAW = 0x001;
inline constexpr std::uint32_t MSG_SCREEN_RLE = 0x002;
inline constexpr std::uint32_t MSG_SET_MODE = 0x101;
inline constexpr std::uint32_t MSG_SCREEN_INFO = 0x202;
inline constexpr std::uint32_t MSG_MOUSE = 0x301;
inline constexpr std::uint32_t MSG_KEY = 0x401;
inline constexpr std::uint32_t MSG_COMMAND = 0x501;
inline constexpr std::uint32_t MSG_AUTH_SEED = 0x901;
inline constexpr std::uint32_t MSG_AUTH_SEED_REPLY = 0x902;
inline constexpr std::uint32_t MSG_AUTH_CHALLENGE = 0x903;
inline constexpr std::uint32_t MSG_AUTH_RESPONSE = 0x904;

inline constexpr std::uint32_t MODE_STANDBY = 1;
inline constexpr std::uint32_t MODE_MONITOR = 2;
inline constexpr std::uint32_t MODE_CONTROL = 3;

inline constexpr int kHeaderSize = 8;
inline constexpr int kUpdateRectSize = 16;
inline constexpr int kScreenInfoSize = 24;
inline constexpr int kVerdictSize = 12;
inline constexpr int kCommandBufferSize = 2048;
inline constexpr int kMaxCommandText = kCommandBufferSize - kHeaderSize - 1;  // 2,039 bytes

struct MessageHeader {
    std::uint32_t type = 0;
    std::uint32_t length = 0;
};

struct UpdateRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct ScreenInfo {
    std::uint32_t reserved = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t tileSize = 0;
    std::uint32_t authFailed = 0;
};

inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::int32_t GetI32(const std::uint8_t* p) { return static_cast<std::int32_t>(GetU32(p)); }
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void PutI32(std::uint8_t* p, std::int32_t v) { PutU32(p, static_cast<std::uint32_t>(v)); }

void EncodeHeader(const MessageHeader& header, std::uint8_t* out);
MessageHeader DecodeHeader(const std::uint8_t* in);
void EncodeUpdateRect(const UpdateRect& rect, std::uint8_t* out);
UpdateRect DecodeUpdateRect(const std::uint8_t* in);
void EncodeScreenInfo(const ScreenInfo& info, std::uint8_t* out);
ScreenInfo DecodeScreenInfo(const std::uint8_t* in);

// The client's messages. None reports the send's result: a broken link shows at the next poll.
void SendSetMode(Connection& connection, std::uint32_t mode);
void SendMouseEvent(Connection& connection, std::uint32_t event, std::uint32_t position);
void SendKeyEvent(Connection& connection, std::uint32_t released, std::uint32_t virtualKey);
// Text up to its first NUL and at most kMaxCommandText bytes; the rest is cut.
void SendCommand(Connection& connection, std::string_view text);

}  // namespace telorad
