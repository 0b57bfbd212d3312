#include "crypto/password_response.h"

namespace telorad {

namespace {

// The bytes that take part: those before the first NUL.
std::string_view PasswordBytes(std::string_view password) {
    const std::size_t nul = password.find('\0');
    return nul == std::string_view::npos ? password : password.substr(0, nul);
}

// MD5 over the 16 prefix bytes followed by the password bytes, nothing in between or after.
Digest16 DigestWithPassword(const Digest16& prefix, std::string_view password) {
    const std::string_view bytes = PasswordBytes(password);
    Md5Context context;
    Md5Init(context);
    Md5Update(context, prefix.data(), static_cast<std::uint32_t>(prefix.size()));
    Md5Update(context, reinterpret_cast<const std::uint8_t*>(bytes.data()),
              static_cast<std::uint32_t>(bytes.size()));
    return Md5Final(context);
}

}  // namespace

void LcgSeed(LcgState& generator, std::uint32_t seed) { generator.state = seed; }

int LcgNext(LcgState& generator) {
    generator.state = generator.state * 214013u + 2531011u;
    return static_cast<int>((generator.state >> 16) & 0x7FFFu);
}

Digest16 MakeSeedResponse(std::uint32_t seed, std::string_view password) {
    const std::string_view bytes = PasswordBytes(password);

    std::uint32_t m = seed;
    for (const char ch : bytes)
        m *= static_cast<std::uint32_t>(static_cast<unsigned char>(ch)) + 1u;

    LcgState generator;
    LcgSeed(generator, m);

    Digest16 response{};
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const std::uint32_t g = static_cast<std::uint32_t>(LcgNext(generator));
        const std::uint32_t p = static_cast<unsigned char>(bytes[k]);
        std::uint8_t& r = response[k % 16];
        r = static_cast<std::uint8_t>(r + g + p);
    }
    return response;
}

Digest16 MakeDigestResponse(const Digest16& challenge, std::string_view password) {
    return DigestWithPassword(challenge, password);
}

Digest16 DeriveCipherKey(const Digest16& challenge, std::string_view password) {
    Digest16 complemented;
    for (std::size_t k = 0; k < complemented.size(); ++k) {
        complemented[k] = static_cast<std::uint8_t>(challenge[k] ^ 0xFFu);
    }
    return DigestWithPassword(complemented, password);
}

}  // namespace telorad
