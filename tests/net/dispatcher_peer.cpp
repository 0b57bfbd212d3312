#include "dispatcher_peer.h"

#include <sys/socket.h>
#include <unistd.h>

#include "support/test_support.h"

namespace telorad::testing {

int ScriptedPeer::Open() {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return -1;
    // Room for the largest scripted burst, so writing it never blocks the single test thread.
    int size = 4 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    fd_ = fds[1];
    return fds[0];
}

ScriptedPeer::~ScriptedPeer() {
    if (fd_ >= 0) ::close(fd_);
}

void ScriptedPeer::Send(const std::vector<std::uint8_t>& plain) {
    std::vector<std::uint8_t> wire(plain.size());
    CipherCrypt(sendCipher, plain.data(), static_cast<int>(plain.size()), wire.data());
    WriteAll(fd_, wire);
}

void ScriptedPeer::SendHeader(std::uint32_t type, std::uint32_t length) {
    Send(Concat({U32(type), U32(length)}));
}

void ScriptedPeer::SendMessage(std::uint32_t type, std::uint32_t length,
                               const std::vector<std::uint8_t>& payload) {
    Send(Concat({U32(type), U32(length), payload}));
}

void ScriptedPeer::SendScreenInfo(const ScreenInfo& info, std::uint32_t length) {
    std::vector<std::uint8_t> payload(kScreenInfoSize);
    EncodeScreenInfo(info, payload.data());
    SendMessage(MSG_SCREEN_INFO, length, payload);
}

void ScriptedPeer::SendVerdict(std::uint32_t length, std::int32_t result) {
    SendMessage(MSG_AUTH_RESPONSE, length, U32(static_cast<std::uint32_t>(result)));
}

std::vector<std::uint8_t> ScriptedPeer::Received(std::size_t count, int timeoutMs) {
    std::vector<std::uint8_t> bytes = ReadExactly(fd_, count, timeoutMs);
    CipherCrypt(receiveCipher, bytes.data(), static_cast<int>(bytes.size()), bytes.data());
    return bytes;
}

void ScriptedPeer::CloseWrite() { ::shutdown(fd_, SHUT_WR); }

void ScriptedPeer::KeyCiphers(const Digest16& key) {
    CipherSetKey(sendCipher, key.data(), 16);
    CipherSetKey(receiveCipher, key.data(), 16);
}

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::uint8_t> U32(std::uint32_t value) {
    std::vector<std::uint8_t> bytes(4);
    PutU32(bytes.data(), value);
    return bytes;
}

std::vector<std::uint8_t> RectBytes(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    std::vector<std::uint8_t> bytes(kUpdateRectSize);
    EncodeUpdateRect({x, y, w, h}, bytes.data());
    return bytes;
}

}  // namespace telorad::testing
