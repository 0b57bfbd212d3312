// RC4's low-level interface serves as the reference; it is deprecated in OpenSSL 3.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "crypto/cipher.h"

#include <gtest/gtest.h>
#include <openssl/rc4.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace telorad {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t length, std::uint32_t salt = 1) {
    std::vector<std::uint8_t> bytes(length);
    std::uint32_t x = 0x9E3779B9u * salt;
    for (auto& byte : bytes) {
        x = x * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(x >> 24);
    }
    return bytes;
}

CipherState Keyed(const std::vector<std::uint8_t>& key) {
    CipherState state;
    CipherSetKey(state, key.data(), static_cast<int>(key.size()));
    return state;
}

std::vector<std::uint8_t> Crypt(CipherState& state, const std::vector<std::uint8_t>& input) {
    std::vector<std::uint8_t> output(input.size());
    CipherCrypt(state, input.data(), static_cast<int>(input.size()), output.data());
    return output;
}

bool SameState(const CipherState& a, const CipherState& b) {
    return a.i == b.i && a.j == b.j && a.enabled == b.enabled &&
           std::memcmp(a.perm, b.perm, sizeof a.perm) == 0;
}

// Straightforward model of the key schedule and keystream, for checking the real one.
struct ModelCipher {
    unsigned s[256];
    unsigned i = 0;
    unsigned j = 0;

    explicit ModelCipher(const std::vector<std::uint8_t>& key) {
        const unsigned length = static_cast<unsigned>(key.size());
        for (unsigned n = 0; n < 256; ++n) s[n] = n;
        unsigned t = length % 256;
        for (unsigned n = 0; n < 256; ++n) {
            t = (t + s[n] + key[n % length]) % 256;
            std::swap(s[n], s[t]);
        }
        for (int n = 0; n < 256; ++n) Next();
    }
    unsigned Next() {
        i = (i + 1) % 256;
        j = (j + s[i]) % 256;
        std::swap(s[i], s[j]);
        return s[(s[i] + s[j]) % 256];
    }
};

TEST(Cipher, MatchesModelForManyKeyLengths) {
    const auto input = Pattern(3003);  // not a multiple of 8: the byte-wise tail runs too
    for (const std::size_t keyLength : {1u, 2u, 5u, 15u, 16u, 17u, 100u, 255u, 256u, 257u, 300u}) {
        SCOPED_TRACE(keyLength);
        const auto key = Pattern(keyLength, static_cast<std::uint32_t>(keyLength));
        CipherState state = Keyed(key);
        ModelCipher model(key);
        EXPECT_EQ(state.enabled, 1u);
        EXPECT_EQ(state.i, 0u);  // 256 discard steps bring i back round
        EXPECT_EQ(state.j, model.j);
        for (int n = 0; n < 256; ++n) ASSERT_EQ(state.perm[n], model.s[n]);
        const auto output = Crypt(state, input);
        for (std::size_t n = 0; n < input.size(); ++n) {
            ASSERT_EQ(output[n], input[n] ^ model.Next()) << "byte " << n;
        }
    }
}

TEST(Cipher, NullKeyDisablesAndKeepsIndicesAndPermutation) {
    CipherState state = Keyed(Pattern(16));
    const auto advance = Pattern(77);
    (void)Crypt(state, advance);  // move i and j away from their keyed values
    const CipherState before = state;

    CipherSetKey(state, nullptr, 16);
    EXPECT_EQ(state.enabled, 0u);
    EXPECT_EQ(state.i, before.i);
    EXPECT_EQ(state.j, before.j);
    EXPECT_EQ(std::memcmp(state.perm, before.perm, sizeof state.perm), 0);

    const auto input = Pattern(100, 3);
    EXPECT_EQ(Crypt(state, input), input);
    EXPECT_EQ(state.i, before.i);
    EXPECT_EQ(state.j, before.j);
}

TEST(Cipher, LengthZeroKeyIsItsStringLength) {
    for (const std::string& text :
         std::vector<std::string>{"k", "secret", "0123456789abcdef", std::string(300, 'z')}) {
        SCOPED_TRACE(text.size());
        const auto* key = reinterpret_cast<const std::uint8_t*>(text.c_str());
        CipherState counted;
        CipherState terminated;
        CipherSetKey(counted, key, static_cast<int>(text.size()));
        CipherSetKey(terminated, key, 0);
        EXPECT_TRUE(SameState(counted, terminated));
    }
    // Only the bytes before the first NUL are key bytes.
    const std::uint8_t withNul[] = {'a', 'b', 0, 'c'};
    CipherState prefix;
    CipherState zero;
    CipherSetKey(prefix, withNul, 2);
    CipherSetKey(zero, withNul, 0);
    EXPECT_TRUE(SameState(prefix, zero));
}

TEST(Cipher, EmptyOrNegativeLengthKeyLeavesStateDisabled) {
    const std::uint8_t empty[] = {0, 'x'};
    const std::uint8_t some[] = {'x', 'y'};
    struct Case {
        const std::uint8_t* key;
        int length;
    };
    for (const Case& c : {Case{empty, 0}, Case{some, -1}, Case{some, -256}}) {
        SCOPED_TRACE(c.length);
        CipherState fresh;
        CipherSetKey(fresh, c.key, c.length);
        EXPECT_EQ(fresh.enabled, 0u);

        CipherState keyed = Keyed(Pattern(16));
        CipherSetKey(keyed, c.key, c.length);
        EXPECT_EQ(keyed.enabled, 0u);
        const auto input = Pattern(40);
        EXPECT_EQ(Crypt(keyed, input), input);
    }
}

TEST(Cipher, SameKeySameKeystreamAndRoundTrip) {
    const auto key = Pattern(16, 9);
    CipherState sender = Keyed(key);
    CipherState receiver = Keyed(key);
    EXPECT_TRUE(SameState(sender, receiver));

    const auto plain = Pattern(5000, 4);
    const auto cipher = Crypt(sender, plain);
    EXPECT_NE(cipher, plain);
    EXPECT_EQ(Crypt(receiver, cipher), plain);
    EXPECT_TRUE(SameState(sender, receiver));

    CipherState otherKey = Keyed(Pattern(16, 10));
    CipherState fresh = Keyed(key);
    EXPECT_NE(Crypt(otherKey, plain), Crypt(fresh, plain));
}

TEST(Cipher, AnyChunkingEqualsOneCall) {
    const auto key = Pattern(16, 2);
    const auto input = Pattern(4100, 5);
    CipherState whole = Keyed(key);
    const auto expected = Crypt(whole, input);

    const std::vector<std::vector<int>> patterns = {
        {1}, {2}, {3, 1, 7}, {255}, {256}, {257}, {1024}, {1, 1023, 1024, 4096}, {0, 5, 0, 9}};
    for (const auto& sizes : patterns) {
        CipherState state = Keyed(key);
        std::vector<std::uint8_t> output(input.size(), 0xEE);
        std::size_t at = 0;
        for (std::size_t k = 0; at < input.size(); ++k) {
            const int size =
                std::min<int>(sizes[k % sizes.size()], static_cast<int>(input.size() - at));
            CipherCrypt(state, input.data() + at, size, output.data() + at);
            at += static_cast<std::size_t>(size);
        }
        EXPECT_EQ(output, expected) << "first chunk " << sizes[0];
        EXPECT_TRUE(SameState(state, whole));
    }
}

TEST(Cipher, NonPositiveLengthTouchesNothing) {
    for (const bool enabled : {true, false}) {
        for (const int length : {0, -1, -1024}) {
            SCOPED_TRACE(testing::Message() << "enabled " << enabled << " length " << length);
            CipherState state = Keyed(Pattern(16));
            if (!enabled) CipherSetKey(state, nullptr, 0);
            const CipherState before = state;
            const auto source = Pattern(32, 6);
            std::vector<std::uint8_t> destination(32, 0xA5);
            CipherCrypt(state, source.data(), length, destination.data());
            EXPECT_TRUE(SameState(state, before));
            EXPECT_EQ(destination, std::vector<std::uint8_t>(32, 0xA5));
        }
    }
}

TEST(Cipher, InPlaceMatchesSeparateBuffers) {
    const auto key = Pattern(16, 7);
    const auto input = Pattern(2051, 8);
    CipherState separate = Keyed(key);
    CipherState inPlace = Keyed(key);
    const auto expected = Crypt(separate, input);
    auto buffer = input;
    CipherCrypt(inPlace, buffer.data(), static_cast<int>(buffer.size()), buffer.data());
    EXPECT_EQ(buffer, expected);
    EXPECT_TRUE(SameState(separate, inPlace));
}

TEST(Cipher, DisabledInPlaceDoesNothingAndSeparateCopies) {
    CipherState state;  // disabled from the start
    const CipherState before = state;
    auto buffer = Pattern(64, 11);
    const auto original = buffer;
    CipherCrypt(state, buffer.data(), static_cast<int>(buffer.size()), buffer.data());
    EXPECT_EQ(buffer, original);
    EXPECT_TRUE(SameState(state, before));

    std::vector<std::uint8_t> copy(64, 0);
    CipherCrypt(state, buffer.data(), static_cast<int>(buffer.size()), copy.data());
    EXPECT_EQ(copy, original);
    EXPECT_TRUE(SameState(state, before));
}

// RC4 output of the plain key schedule, from the first keystream byte on.
std::vector<std::uint8_t> Rc4Keystream(const std::vector<std::uint8_t>& key, std::size_t length) {
    RC4_KEY rc4;
    RC4_set_key(&rc4, static_cast<int>(key.size()), key.data());
    std::vector<std::uint8_t> zeros(length, 0);
    std::vector<std::uint8_t> stream(length);
    RC4(&rc4, length, zeros.data(), stream.data());
    return stream;
}

TEST(Cipher, KeyLengthMultipleOf256IsRc4WithoutFirst256Bytes) {
    for (const std::size_t keyLength : {256u, 512u}) {
        SCOPED_TRACE(keyLength);
        const auto key = Pattern(keyLength, 12);
        const auto input = Pattern(4096, 13);
        const auto stream = Rc4Keystream(key, 256 + input.size());
        CipherState state = Keyed(key);
        const auto output = Crypt(state, input);
        for (std::size_t n = 0; n < input.size(); ++n) {
            ASSERT_EQ(output[n], input[n] ^ stream[256 + n]) << "byte " << n;
        }
    }
}

TEST(Cipher, SixteenByteKeyDiffersFromRc4) {
    const auto key = Pattern(16, 14);
    const std::vector<std::uint8_t> zeros(256, 0);
    const auto stream = Rc4Keystream(key, 512);
    CipherState state = Keyed(key);
    const auto ours = Crypt(state, zeros);
    EXPECT_NE(ours, std::vector<std::uint8_t>(stream.begin() + 256, stream.end()));
    EXPECT_NE(ours, std::vector<std::uint8_t>(stream.begin(), stream.begin() + 256));
}

}  // namespace
}  // namespace telorad
