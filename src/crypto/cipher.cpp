#include "crypto/cipher.h"

#include <bit>
#include <cstring>
#include <utility>

namespace telorad {

void CipherSetKey(CipherState& state, const std::uint8_t* key, int length) {
    if (key == nullptr) {
        state.enabled = 0;
        return;
    }
    if (length == 0) {
        length = static_cast<int>(std::strlen(reinterpret_cast<const char*>(key)));
    }
    if (length <= 0) {
        // Nothing to schedule with: stay (or become) pass-through rather than divide by zero.
        state.enabled = 0;
        return;
    }
    state.enabled = 1;
    state.i = 0;
    state.j = 0;
    for (int n = 0; n < 256; ++n) state.perm[n] = static_cast<std::uint8_t>(n);

    std::uint32_t t = static_cast<std::uint32_t>(length) & 0xFFu;
    for (int n = 0; n < 256; ++n) {
        t = (t + state.perm[n] + key[n % length]) & 0xFFu;
        std::swap(state.perm[n], state.perm[t]);
    }

    std::uint32_t i = 0;
    std::uint32_t j = 0;
    for (int n = 0; n < 256; ++n) {
        i = (i + 1) & 0xFFu;
        j = (j + state.perm[i]) & 0xFFu;
        std::swap(state.perm[i], state.perm[j]);
    }
    state.i = i;
    state.j = j;
}

namespace {

// One keystream step; returns the keystream byte. Indices live in the caller's registers.
inline std::uint32_t NextKeystreamByte(std::uint8_t* perm, std::uint32_t& i, std::uint32_t& j) {
    i = (i + 1) & 0xFFu;
    const std::uint32_t pi = perm[i];
    j = (j + pi) & 0xFFu;
    const std::uint32_t pj = perm[j];
    perm[i] = static_cast<std::uint8_t>(pj);
    perm[j] = static_cast<std::uint8_t>(pi);
    return perm[(pi + pj) & 0xFFu];
}

// Keystream byte k of eight moved to where byte k of a word loaded from memory sits.
inline std::uint64_t Shifted(std::uint32_t byte, int k) {
    const int shift = std::endian::native == std::endian::little ? 8 * k : 56 - 8 * k;
    return static_cast<std::uint64_t>(byte) << shift;
}

}  // namespace

void CipherCrypt(CipherState& state, const std::uint8_t* source, int length,
                 std::uint8_t* destination) {
    if (length <= 0) return;
    if (!state.enabled) {
        if (source != destination)
            std::memmove(destination, source, static_cast<std::size_t>(length));
        return;
    }
    std::uint8_t* perm = state.perm;
    std::uint32_t i = state.i;
    std::uint32_t j = state.j;
    const std::size_t count = static_cast<std::size_t>(length);
    std::size_t n = 0;
    // Eight keystream bytes gathered into one word: one load and one store of data per eight
    // steps instead of eight of each. Each 8-byte word is read before it is written, so
    // in-place use stays exact.
    for (; n + 8 <= count; n += 8) {
        // Written out: a loop here is not unrolled at -O2, and the shifts must be constants.
        std::uint64_t keystream = Shifted(NextKeystreamByte(perm, i, j), 0);
        keystream |= Shifted(NextKeystreamByte(perm, i, j), 1);
        keystream |= Shifted(NextKeystreamByte(perm, i, j), 2);
        keystream |= Shifted(NextKeystreamByte(perm, i, j), 3);
        keystream |= Shifted(NextKeystreamByte(perm, i, j), 4);
        keystream |= Shifted(NextKeystreamByte(perm, i, j), 5);
        keystream |= Shifted(NextKeystreamByte(perm, i, j), 6);
        keystream |= Shifted(NextKeystreamByte(perm, i, j), 7);
        std::uint64_t word;
        std::memcpy(&word, source + n, sizeof word);
        word ^= keystream;
        std::memcpy(destination + n, &word, sizeof word);
    }
    for (; n < count; ++n) {
        destination[n] = static_cast<std::uint8_t>(source[n] ^ NextKeystreamByte(perm, i, j));
    }
    state.i = i;
    state.j = j;
}

}  // namespace telorad
