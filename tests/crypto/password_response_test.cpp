#include "crypto/password_response.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace telorad {
namespace {

using namespace std::string_literals;

// Written out from the formulas with wide arithmetic and explicit reductions, sharing nothing
// with the code under test.
Digest16 ReferenceSeedResponse(std::uint32_t seed, const std::string& password) {
    std::vector<unsigned> p;
    for (const char ch : password) {
        if (ch == '\0') break;
        p.push_back(static_cast<unsigned char>(ch));
    }
    std::uint64_t m = seed;
    for (const unsigned byte : p) m = (m * (byte + 1)) % 0x100000000ull;
    std::uint64_t state = m;
    unsigned r[16] = {};
    for (std::size_t k = 0; k < p.size(); ++k) {
        state = (state * 0x343FDull + 0x269EC3ull) % 0x100000000ull;
        const unsigned g = static_cast<unsigned>((state / 65536) % 32768);
        r[k % 16] = (r[k % 16] + g + p[k]) % 256;
    }
    Digest16 out{};
    for (int k = 0; k < 16; ++k) out[k] = static_cast<std::uint8_t>(r[k]);
    return out;
}

Digest16 OpenSslMd5(const std::vector<std::uint8_t>& bytes) {
    Digest16 digest{};
    unsigned int size = 0;
    EXPECT_EQ(EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_md5(), nullptr), 1);
    return digest;
}

std::vector<std::uint8_t> Concat(const Digest16& prefix, std::string_view tail) {
    std::vector<std::uint8_t> bytes(prefix.begin(), prefix.end());
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

Digest16 Complement(const Digest16& challenge) {
    Digest16 out{};
    for (int k = 0; k < 16; ++k) out[k] = static_cast<std::uint8_t>(~challenge[k]);
    return out;
}

std::string AllHighBytes() {
    std::string text;
    for (int byte = 0x80; byte <= 0xFF; ++byte) text += static_cast<char>(byte);
    return text.substr(0, 127);
}

std::string MaximumPassword() {
    std::string text;
    for (int k = 0; k < 127; ++k) text += static_cast<char>(0x21 + (k * 37) % 0xDE);
    return text;
}

TEST(ResponseGenerator, KnownSequences) {
    struct Case {
        std::uint32_t seed;
        std::vector<int> values;
    };
    const Case cases[] = {
        {1, {41, 18467, 6334, 26500, 19169}},
        {0, {38, 7719, 21238, 2437, 8855}},
    };
    for (const Case& c : cases) {
        LcgState generator;
        LcgSeed(generator, c.seed);
        for (const int expected : c.values) EXPECT_EQ(LcgNext(generator), expected);
    }
}

TEST(ResponseGenerator, StaysInRangeAndWrapsState) {
    LcgState generator;
    LcgSeed(generator, 0xFFFFFFFFu);
    for (int k = 0; k < 10000; ++k) {
        const std::uint32_t before = generator.state;
        const int value = LcgNext(generator);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
        ASSERT_EQ(generator.state, static_cast<std::uint32_t>(
                                       (std::uint64_t{before} * 214013u + 2531011u) & 0xFFFFFFFFu));
    }
}

TEST(SeedResponse, FixedVectors) {
    struct Case {
        std::uint32_t seed;
        std::string password;
        Digest16 expected;
    };
    // "A" with seed 1: m = 66, first generator value 254, r[0] = (254 + 65) mod 256 = 63.
    // Four 0xFF bytes: m = 0, generator values 38, 7719, 21238, 2437 plus 255 each.
    const Case cases[] = {
        {0, "", {}},
        {1, "", {}},
        {0xFFFFFFFFu, "", {}},
        {1, "A", {63}},
        {1, "\xFF\xFF\xFF\xFF", {37, 38, 245, 132}},
        {0xDEADBEEFu, "\xFF\xFF\xFF\xFF", {37, 38, 245, 132}},
        {1, "A\0secret"s, {63}},
        // Seed 0: m = 0 whatever the password, generator values 38, 7719, 21238.
        {0, "abc", {135, 137, 89}},
        {0, "\xFF", {37}},
        {0xFFFFFFFFu, "\0abc"s, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seed);
        EXPECT_EQ(MakeSeedResponse(c.seed, c.password), c.expected);
    }
}

TEST(SeedResponse, MatchesReference) {
    const std::string passwords[] = {
        "a",
        "password",
        "\xFF",
        "ab\xFF"
        "cd\xFF"
        "ef\xFF"
        "gh\xFF"
        "ij",                 // four 0xFF spread out: m = 0
        "0123456789abcdef",   // exactly 16
        "0123456789abcdefg",  // byte 16 folds into r[0]
        "0123456789abcdef0123456789abcdef!",
        "\x82\xA0\x82\xA2\x93\xFA\x96\x7B",  // double-byte characters
        AllHighBytes(),
        MaximumPassword(),
    };
    const std::uint32_t seeds[] = {0, 1, 2, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x5EED1234u};
    for (const std::string& password : passwords) {
        for (const std::uint32_t seed : seeds) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " length " << password.size());
            EXPECT_EQ(MakeSeedResponse(seed, password), ReferenceSeedResponse(seed, password));
        }
    }
}

TEST(SeedResponse, WrapsPastSixteenBytesWithItsOwnGeneratorValue) {
    const std::string sixteen = "0123456789abcdef";
    const std::string seventeen = sixteen + "g";
    const std::uint32_t seed = 7;
    const Digest16 shorter = MakeSeedResponse(seed, sixteen);
    const Digest16 longer = MakeSeedResponse(seed, seventeen);

    // The extra byte changes m, so recompute the expected first slot by hand from the generator.
    std::uint32_t m = seed;
    for (const char ch : seventeen) m *= static_cast<unsigned char>(ch) + 1u;
    LcgState generator;
    LcgSeed(generator, m);
    std::vector<int> g;
    for (int k = 0; k < 17; ++k) g.push_back(LcgNext(generator));
    EXPECT_EQ(longer[0], static_cast<std::uint8_t>(g[0] + '0' + g[16] + 'g'));
    EXPECT_EQ(longer[1], static_cast<std::uint8_t>(g[1] + '1'));
    EXPECT_EQ(longer[15], static_cast<std::uint8_t>(g[15] + 'f'));
    EXPECT_NE(shorter, longer);
}

TEST(DigestResponseAndKey, HashExactlyChallengeThenPasswordBytes) {
    Digest16 zero{};
    Digest16 counting{};
    for (int k = 0; k < 16; ++k) counting[k] = static_cast<std::uint8_t>(k * 17 + 3);
    const std::string passwords[] = {
        "", "a", "pass word", "\x82\xA0\xFF", AllHighBytes(), MaximumPassword()};
    for (const Digest16& challenge : {zero, counting}) {
        for (const std::string& password : passwords) {
            SCOPED_TRACE(password.size());
            EXPECT_EQ(MakeDigestResponse(challenge, password),
                      OpenSslMd5(Concat(challenge, password)));
            EXPECT_EQ(DeriveCipherKey(challenge, password),
                      OpenSslMd5(Concat(Complement(challenge), password)));
            EXPECT_NE(MakeDigestResponse(challenge, password),
                      DeriveCipherKey(challenge, password));
        }
    }
}

TEST(DigestResponseAndKey, NulEndsThePasswordAndIsNeverHashed) {
    Digest16 challenge{};
    challenge.fill(0x5A);
    const std::string withNul = "secret\0tail"s;
    EXPECT_EQ(MakeDigestResponse(challenge, withNul), OpenSslMd5(Concat(challenge, "secret")));
    EXPECT_EQ(DeriveCipherKey(challenge, withNul),
              OpenSslMd5(Concat(Complement(challenge), "secret")));
    EXPECT_NE(MakeDigestResponse(challenge, "secret"), OpenSslMd5(Concat(challenge, "secret\0"s)));
}

TEST(DigestResponseAndKey, EmptyPasswordFixedVectors) {
    const Digest16 zero{};
    // MD5 of sixteen 0x00 bytes, and of sixteen 0xFF bytes.
    const Digest16 md5Zeros = {0x4a, 0xe7, 0x13, 0x36, 0xe4, 0x4b, 0xf9, 0xbf,
                               0x79, 0xd2, 0x75, 0x2e, 0x23, 0x48, 0x18, 0xa5};
    const Digest16 md5Ones = {0x8d, 0x79, 0xcb, 0xc9, 0xa4, 0xec, 0xdd, 0xe1,
                              0x12, 0xfc, 0x91, 0xba, 0x62, 0x5b, 0x13, 0xc2};
    EXPECT_EQ(MakeDigestResponse(zero, ""), md5Zeros);
    EXPECT_EQ(DeriveCipherKey(zero, ""), md5Ones);
}

}  // namespace
}  // namespace telorad
