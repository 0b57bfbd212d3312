#include "crypto/md5.h"

#include <cstring>

namespace telorad {

namespace {

inline std::uint32_t LoadLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void StoreLe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::uint32_t Rotl(std::uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

// One step of each round: a = b + ((a + f(b, c, d) + word + constant) <<< s). The word and
// constant are added first and each f touches b, the value just computed, as late as possible,
// which keeps the dependency chain between steps short.
#define MD5_STEP(f, a, b, c, d, x, t, s) \
    a += (x) + (t);                      \
    a += f(b, c, d);                     \
    a = Rotl(a, s) + (b)

#define MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
// (x & z) | (y & ~z), whose two halves never share a bit, so they may be added.
#define MD5_G(x, y, z) (((y) & ~(z)) + ((x) & (z)))
#define MD5_H(x, y, z) ((x) ^ ((y) ^ (z)))
#define MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))

// Absorbs count whole 64-byte blocks. The words are read straight from the input, once each.
void Md5Blocks(std::uint32_t state[4], const std::uint8_t* data, std::size_t count) {
    std::uint32_t a = state[0];
    std::uint32_t b = state[1];
    std::uint32_t c = state[2];
    std::uint32_t d = state[3];
    for (; count > 0; --count, data += 64) {
        std::uint32_t x[16];
        for (int k = 0; k < 16; ++k) x[k] = LoadLe32(data + 4 * k);
        const std::uint32_t aa = a, bb = b, cc = c, dd = d;

        MD5_STEP(MD5_F, a, b, c, d, x[0], 0xd76aa478u, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[1], 0xe8c7b756u, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[2], 0x242070dbu, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[3], 0xc1bdceeeu, 22);
        MD5_STEP(MD5_F, a, b, c, d, x[4], 0xf57c0fafu, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[5], 0x4787c62au, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[6], 0xa8304613u, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[7], 0xfd469501u, 22);
        MD5_STEP(MD5_F, a, b, c, d, x[8], 0x698098d8u, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[9], 0x8b44f7afu, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[10], 0xffff5bb1u, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[11], 0x895cd7beu, 22);
        MD5_STEP(MD5_F, a, b, c, d, x[12], 0x6b901122u, 7);
        MD5_STEP(MD5_F, d, a, b, c, x[13], 0xfd987193u, 12);
        MD5_STEP(MD5_F, c, d, a, b, x[14], 0xa679438eu, 17);
        MD5_STEP(MD5_F, b, c, d, a, x[15], 0x49b40821u, 22);

        MD5_STEP(MD5_G, a, b, c, d, x[1], 0xf61e2562u, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[6], 0xc040b340u, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[11], 0x265e5a51u, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[0], 0xe9b6c7aau, 20);
        MD5_STEP(MD5_G, a, b, c, d, x[5], 0xd62f105du, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[10], 0x02441453u, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[15], 0xd8a1e681u, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[4], 0xe7d3fbc8u, 20);
        MD5_STEP(MD5_G, a, b, c, d, x[9], 0x21e1cde6u, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[14], 0xc33707d6u, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[3], 0xf4d50d87u, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[8], 0x455a14edu, 20);
        MD5_STEP(MD5_G, a, b, c, d, x[13], 0xa9e3e905u, 5);
        MD5_STEP(MD5_G, d, a, b, c, x[2], 0xfcefa3f8u, 9);
        MD5_STEP(MD5_G, c, d, a, b, x[7], 0x676f02d9u, 14);
        MD5_STEP(MD5_G, b, c, d, a, x[12], 0x8d2a4c8au, 20);

        MD5_STEP(MD5_H, a, b, c, d, x[5], 0xfffa3942u, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[8], 0x8771f681u, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[11], 0x6d9d6122u, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[14], 0xfde5380cu, 23);
        MD5_STEP(MD5_H, a, b, c, d, x[1], 0xa4beea44u, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[4], 0x4bdecfa9u, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[7], 0xf6bb4b60u, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[10], 0xbebfbc70u, 23);
        MD5_STEP(MD5_H, a, b, c, d, x[13], 0x289b7ec6u, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[0], 0xeaa127fau, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[3], 0xd4ef3085u, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[6], 0x04881d05u, 23);
        MD5_STEP(MD5_H, a, b, c, d, x[9], 0xd9d4d039u, 4);
        MD5_STEP(MD5_H, d, a, b, c, x[12], 0xe6db99e5u, 11);
        MD5_STEP(MD5_H, c, d, a, b, x[15], 0x1fa27cf8u, 16);
        MD5_STEP(MD5_H, b, c, d, a, x[2], 0xc4ac5665u, 23);

        MD5_STEP(MD5_I, a, b, c, d, x[0], 0xf4292244u, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[7], 0x432aff97u, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[14], 0xab9423a7u, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[5], 0xfc93a039u, 21);
        MD5_STEP(MD5_I, a, b, c, d, x[12], 0x655b59c3u, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[3], 0x8f0ccc92u, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[10], 0xffeff47du, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[1], 0x85845dd1u, 21);
        MD5_STEP(MD5_I, a, b, c, d, x[8], 0x6fa87e4fu, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[15], 0xfe2ce6e0u, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[6], 0xa3014314u, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[13], 0x4e0811a1u, 21);
        MD5_STEP(MD5_I, a, b, c, d, x[4], 0xf7537e82u, 6);
        MD5_STEP(MD5_I, d, a, b, c, x[11], 0xbd3af235u, 10);
        MD5_STEP(MD5_I, c, d, a, b, x[2], 0x2ad7d2bbu, 15);
        MD5_STEP(MD5_I, b, c, d, a, x[9], 0xeb86d391u, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef MD5_STEP
#undef MD5_F
#undef MD5_G
#undef MD5_H
#undef MD5_I

}  // namespace

void Md5Init(Md5Context& context) {
    context.state[0] = 0x67452301u;
    context.state[1] = 0xefcdab89u;
    context.state[2] = 0x98badcfeu;
    context.state[3] = 0x10325476u;
    context.count[0] = 0;
    context.count[1] = 0;
}

void Md5Update(Md5Context& context, const std::uint8_t* data, std::uint32_t length) {
    if (length == 0) return;  // data may be null for an empty block
    const std::uint32_t index = (context.count[0] >> 3) & 0x3Fu;

    const std::uint32_t bitsLow = length << 3;
    context.count[0] += bitsLow;
    if (context.count[0] < bitsLow) ++context.count[1];
    context.count[1] += length >> 29;

    std::uint32_t used = 0;
    if (index != 0) {
        const std::uint32_t room = 64 - index;
        if (length < room) {
            std::memcpy(context.buffer + index, data, length);
            return;
        }
        std::memcpy(context.buffer + index, data, room);
        Md5Blocks(context.state, context.buffer, 1);
        used = room;
    }
    const std::uint32_t whole = (length - used) / 64;
    if (whole > 0) {
        Md5Blocks(context.state, data + used, whole);
        used += whole * 64;
    }
    if (used < length) std::memcpy(context.buffer, data + used, length - used);
}

Digest16 Md5Final(Md5Context& context) {
    std::uint8_t bits[8];
    StoreLe32(bits, context.count[0]);
    StoreLe32(bits + 4, context.count[1]);

    static constexpr std::uint8_t kPadding[64] = {0x80};
    const std::uint32_t index = (context.count[0] >> 3) & 0x3Fu;
    const std::uint32_t padLength = index < 56 ? 56 - index : 120 - index;
    Md5Update(context, kPadding, padLength);
    Md5Update(context, bits, 8);

    Digest16 digest;
    for (int k = 0; k < 4; ++k) StoreLe32(digest.data() + 4 * k, context.state[k]);
    return digest;
}

}  // namespace telorad
