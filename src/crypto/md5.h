#pragma once
// MD5 message digest (RFC 1321), absorbed in pieces.
#include <array>
#include <cstdint>

namespace telorad {

using Digest16 = std::array<std::uint8_t, 16>;

struct Md5Context {
    std::uint32_t state[4];
    std::uint32_t count[2];  // bits absorbed, low word first
    std::uint8_t buffer[64];
};

void Md5Init(Md5Context& context);
void Md5Update(Md5Context& context, const std::uint8_t* data, std::uint32_t length);
Digest16 Md5Final(Md5Context& context);

}  // namespace telorad
