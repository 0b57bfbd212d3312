#pragma once
// The two login responses and the cipher key, computed bit for bit as the server does.
// A password is the bytes before its first NUL, each taken as unsigned.
#include <cstdint>
#include <string_view>

#include "crypto/md5.h"

namespace telorad {

// The response generator: a 32-bit linear congruential generator, local to each computation.
struct LcgState {
    std::uint32_t state = 0;
};
void LcgSeed(LcgState& generator, std::uint32_t seed);
int LcgNext(LcgState& generator);  // 0 to 32767

Digest16 MakeSeedResponse(std::uint32_t seed, std::string_view password);
Digest16 MakeDigestResponse(const Digest16& challenge, std::string_view password);
Digest16 DeriveCipherKey(const Digest16& challenge, std::string_view password);

}  // namespace telorad
