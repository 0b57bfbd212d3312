#include "net/wire.h"

#include <algorithm>
#include <cstring>

#include "net/transport.h"

namespace telorad {

void EncodeHeader(const MessageHeader& header, std::uint8_t* out) {
    PutU32(out, header.type);
    PutU32(out + 4, header.length);
}

MessageHeader DecodeHeader(const std::uint8_t* in) { return {GetU32(in), GetU32(in + 4)}; }

void EncodeUpdateRect(const UpdateRect& rect, std::uint8_t* out) {
    PutI32(out, rect.x);
    PutI32(out + 4, rect.y);
    PutI32(out + 8, rect.width);
    PutI32(out + 12, rect.height);
}

UpdateRect DecodeUpdateRect(const std::uint8_t* in) {
    return {GetI32(in), GetI32(in + 4), GetI32(in + 8), GetI32(in + 12)};
}

void EncodeScreenInfo(const ScreenInfo& info, std::uint8_t* out) {
    PutU32(out, info.reserved);
    PutU32(out + 4, info.width);
    PutU32(out + 8, info.height);
    PutU32(out + 12, info.bitsPerPixel);
    PutU32(out + 16, info.tileSize);
    PutU32(out + 20, info.authFailed);
}

ScreenInfo DecodeScreenInfo(const std::uint8_t* in) {
    return {GetU32(in),      GetU32(in + 4),  GetU32(in + 8),
            GetU32(in + 12), GetU32(in + 16), GetU32(in + 20)};
}

namespace {

// Header plus two u32 fields: the layout of MSG_MOUSE and MSG_KEY.
void SendPairMessage(Connection& connection, std::uint32_t type, std::uint32_t first,
                     std::uint32_t second) {
    std::uint8_t message[16];
    EncodeHeader({type, 8}, message);
    PutU32(message + 8, first);
    PutU32(message + 12, second);
    SendBytes(connection, message, sizeof message);
}

}  // namespace

void SendSetMode(Connection& connection, std::uint32_t mode) {
    std::uint8_t message[12];
    EncodeHeader({MSG_SET_MODE, 4}, message);
    PutU32(message + 8, mode);
    SendBytes(connection, message, sizeof message);
}

void SendMouseEvent(Connection& connection, std::uint32_t event, std::uint32_t position) {
    SendPairMessage(connection, MSG_MOUSE, event, position);
}

void SendKeyEvent(Connection& connection, std::uint32_t released, std::uint32_t virtualKey) {
    SendPairMessage(connection, MSG_KEY, released, virtualKey);
}

void SendCommand(Connection& connection, std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    const std::size_t textBytes = std::min<std::size_t>(text.size(), kMaxCommandText);
    const std::uint32_t length = static_cast<std::uint32_t>(textBytes) + 1;

    std::uint8_t buffer[kCommandBufferSize] = {};
    EncodeHeader({MSG_COMMAND, length}, buffer);
    std::memcpy(buffer + kHeaderSize, text.data(), textBytes);
    SendBytes(connection, buffer, static_cast<int>(kHeaderSize + length));
}

}  // namespace telorad
