#include "crypto/cipher.h"

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

void CipherCrypt(CipherState& state, const std::uint8_t* source, int length,
                 std::uint8_t* destination) {
    if (length <= 0) return;
    if (!state.enabled) {
        if (source != destination) std::memmove(destination, source, static_cast<std::size_t>(length));
        return;
    }
    // Locals keep the indices in registers; the permutation is touched through one pointer.
    std::uint8_t* perm = state.perm;
    std::uint32_t i = state.i;
    std::uint32_t j = state.j;
    for (int n = 0; n < length; ++n) {
        i = (i + 1) & 0xFFu;
        const std::uint8_t pi = perm[i];
        j = (j + pi) & 0xFFu;
        const std::uint8_t pj = perm[j];
        perm[i] = pj;
        perm[j] = pi;
        destination[n] = static_cast<std::uint8_t>(source[n] ^ perm[(pi + pj) & 0xFFu]);
    }
    state.i = i;
    state.j = j;
}

}  // namespace telorad
