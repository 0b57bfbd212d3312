#pragma once
// A scripted server in the test's own process: the far end of a socket pair, with its own
// cipher states, so a test writes the server's bytes first and reads the client's answer after.
#include <cstdint>
#include <string_view>
#include <vector>

#include "crypto/cipher.h"
#include "crypto/md5.h"
#include "net/wire.h"

namespace telorad::testing {

class ScriptedPeer {
public:
    // Returns the client's end of the pair.
    int Open();
    ~ScriptedPeer();

    void Send(const std::vector<std::uint8_t>& plain);
    void SendMessage(std::uint32_t type, std::uint32_t length,
                     const std::vector<std::uint8_t>& payload);
    void SendHeader(std::uint32_t type, std::uint32_t length);
    void SendScreenInfo(const ScreenInfo& info, std::uint32_t length = kScreenInfoSize);
    void SendVerdict(std::uint32_t length, std::int32_t result);
    // Everything the client sent so far, decrypted.
    std::vector<std::uint8_t> Received(std::size_t count, int timeoutMs = 2000);
    void CloseWrite();
    // Keys both of the peer's cipher states as the server does after an encrypting verdict.
    void KeyCiphers(const Digest16& key);

    CipherState sendCipher;
    CipherState receiveCipher;

private:
    int fd_ = -1;
};

std::vector<std::uint8_t> Bytes(std::string_view text);
std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts);
std::vector<std::uint8_t> U32(std::uint32_t value);
std::vector<std::uint8_t> RectBytes(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);

}  // namespace telorad::testing
