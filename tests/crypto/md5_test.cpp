#include "crypto/md5.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace telorad {
namespace {

std::string Hex(const Digest16& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

const std::uint8_t* Bytes(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

Digest16 Md5Once(const std::uint8_t* data, std::uint32_t length) {
    Md5Context context;
    Md5Init(context);
    Md5Update(context, data, length);
    return Md5Final(context);
}

Digest16 OpenSslMd5(const std::uint8_t* data, std::size_t length) {
    Digest16 digest{};
    unsigned int size = 0;
    EXPECT_EQ(EVP_Digest(data, length, digest.data(), &size, EVP_md5(), nullptr), 1);
    EXPECT_EQ(size, 16u);
    return digest;
}

// Deterministic filler so that every byte position differs.
std::vector<std::uint8_t> Pattern(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    std::uint32_t x = 0x12345678u;
    for (auto& byte : bytes) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(x >> 23);
    }
    return bytes;
}

TEST(Md5, Rfc1321TestSuite) {
    struct Case {
        std::string_view input;
        const char* digest;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890"
         "1234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.input));
        EXPECT_EQ(Hex(Md5Once(Bytes(c.input), static_cast<std::uint32_t>(c.input.size()))),
                  c.digest);
    }
}

// Block and padding boundaries: 55 leaves room for the length in one block, 56 does not.
constexpr std::size_t kBoundaryLengths[] = {0,  1,  2,   55,  56,  57,  63,
                                            64, 65, 119, 120, 127, 128, 129};

TEST(Md5, MatchesReferenceAtBlockBoundaries) {
    for (const std::size_t length : kBoundaryLengths) {
        SCOPED_TRACE(length);
        const auto data = Pattern(length);
        EXPECT_EQ(Md5Once(data.data(), static_cast<std::uint32_t>(length)),
                  OpenSslMd5(data.data(), length));
    }
}

TEST(Md5, MatchesReferenceOnLongerInputs) {
    for (const std::size_t length : {200u, 1000u, 4096u, 65537u, 1u << 20}) {
        SCOPED_TRACE(length);
        const auto data = Pattern(length);
        EXPECT_EQ(Md5Once(data.data(), static_cast<std::uint32_t>(length)),
                  OpenSslMd5(data.data(), length));
    }
}

TEST(Md5, EverySplitIntoTwoOrThreeUpdatesEqualsOneUpdate) {
    for (const std::size_t length : kBoundaryLengths) {
        SCOPED_TRACE(length);
        const auto data = Pattern(length);
        const Digest16 whole = Md5Once(data.data(), static_cast<std::uint32_t>(length));
        for (std::size_t a = 0; a <= length; ++a) {
            Md5Context two;
            Md5Init(two);
            Md5Update(two, data.data(), static_cast<std::uint32_t>(a));
            Md5Update(two, data.data() + a, static_cast<std::uint32_t>(length - a));
            ASSERT_EQ(Md5Final(two), whole) << "split at " << a;
            for (std::size_t b = a; b <= length; ++b) {
                Md5Context three;
                Md5Init(three);
                Md5Update(three, data.data(), static_cast<std::uint32_t>(a));
                Md5Update(three, data.data() + a, static_cast<std::uint32_t>(b - a));
                Md5Update(three, data.data() + b, static_cast<std::uint32_t>(length - b));
                ASSERT_EQ(Md5Final(three), whole) << "splits at " << a << ", " << b;
            }
        }
    }
}

TEST(Md5, EmptyUpdatesChangeNothing) {
    const auto data = Pattern(70);
    Md5Context context;
    Md5Init(context);
    Md5Update(context, nullptr, 0);
    Md5Update(context, data.data(), 30);
    Md5Update(context, data.data() + 30, 0);
    Md5Update(context, data.data() + 30, 40);
    Md5Update(context, nullptr, 0);
    EXPECT_EQ(Md5Final(context), OpenSslMd5(data.data(), data.size()));
}

TEST(Md5, BitCountCarriesIntoHighWord) {
    const auto data = Pattern(64);
    Md5Context context;
    Md5Init(context);
    context.count[0] = 0xFFFFFE00u;  // 64 bytes short of 2^32 bits, block-aligned
    Md5Update(context, data.data(), 64);
    EXPECT_EQ(context.count[0], 0u);
    EXPECT_EQ(context.count[1], 1u);
    Md5Update(context, data.data(), 3);
    EXPECT_EQ(context.count[0], 24u);
    EXPECT_EQ(context.count[1], 1u);
}

TEST(Md5, FreshInitAfterFinalStartsOver) {
    Md5Context context;
    Md5Init(context);
    Md5Update(context, Bytes("abc"), 3);
    (void)Md5Final(context);
    Md5Init(context);
    Md5Update(context, Bytes("a"), 1);
    EXPECT_EQ(Hex(Md5Final(context)), "0cc175b9c0f1b6a831c399e269772661");
}

}  // namespace
}  // namespace telorad
