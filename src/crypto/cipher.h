#pragma once
// Byte-oriented stream cipher shared with the server: RC4's keystream step with a key schedule
// whose running index starts at the key length, and the first 256 keystream bytes dropped.
#include <cstdint>

namespace telorad {

struct CipherState {
    std::uint32_t i = 0;
    std::uint32_t j = 0;
    std::uint8_t perm[256] = {};
    std::uint32_t enabled = 0;
};

// A null key disables the state (pass-through); length 0 means a NUL-terminated key.
// An empty key (length 0 and a leading NUL) also disables the state: there is nothing to schedule.
void CipherSetKey(CipherState& state, const std::uint8_t* key, int length);

// Encrypts or decrypts length bytes; source and destination may be the same buffer.
void CipherCrypt(CipherState& state, const std::uint8_t* source, int length,
                 std::uint8_t* destination);

}  // namespace telorad
