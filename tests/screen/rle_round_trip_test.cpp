// The server's encoder against the client's decoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "rle_encoder.h"
#include "screen/rle.h"

namespace telorad {
namespace {

using server::EncodeRle16;

std::vector<std::uint8_t> Words(const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return bytes;
}

std::uint16_t WordAt(const std::vector<std::uint8_t>& bytes, std::size_t word) {
    return static_cast<std::uint16_t>(bytes[2 * word] | bytes[2 * word + 1] << 8);
}

// Encodes into capacity bytes and decodes into a buffer of exactly the input's size.
std::vector<std::uint8_t> RoundTrip(const std::vector<std::uint8_t>& input,
                                    std::size_t capacity = kRleScratchBytes,
                                    std::vector<std::uint8_t>* codeOut = nullptr) {
    std::vector<std::uint8_t> code(capacity);
    const std::optional<std::size_t> size =
        EncodeRle16(input.data(), input.size() / 2, code.data(), code.size());
    EXPECT_TRUE(size.has_value());
    if (!size) return {};
    EXPECT_LE(*size, capacity);
    code.resize(*size);
    std::vector<std::uint8_t> output(input.size());
    EXPECT_TRUE(DecodeRle16(code.data(), static_cast<std::int32_t>(code.size() / 2), output.data(),
                            output.size()));
    if (codeOut) *codeOut = code;
    return output;
}

std::vector<std::uint8_t> RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

TEST(RleRoundTrip, LongestRunsSplitAt7FFF) {
    const std::vector<std::uint8_t> input =
        Words(std::vector<std::uint16_t>(2 * 0x7FFF + 5, 0xABCD));
    std::vector<std::uint8_t> code;
    EXPECT_EQ(RoundTrip(input, kRleScratchBytes, &code), input);
    // Three runs (0x7FFF, 0x7FFF, 5) and the end mark.
    EXPECT_EQ(Words({0xFFFF, 0xABCD, 0xFFFF, 0xABCD, 0x8005, 0xABCD, 0x0000}), code);
}

TEST(RleRoundTrip, LongestLiteralsSplitAt7FFF) {
    // Alternating words never repeat, so everything is literal.
    std::vector<std::uint16_t> words;
    for (int k = 0; k < 0x7FFF + 10; ++k) words.push_back(k % 2 ? 0x1234 : 0x4321);
    const std::vector<std::uint8_t> input = Words(words);
    std::vector<std::uint8_t> code;
    EXPECT_EQ(RoundTrip(input, 2 * kRleScratchBytes, &code), input);
    ASSERT_EQ(code.size(), 2u * (1 + 0x7FFF + 1 + 10 + 1));
    EXPECT_EQ(WordAt(code, 0), 0x7FFF);
    EXPECT_EQ(WordAt(code, 0x8000), 10);
    EXPECT_EQ(WordAt(code, code.size() / 2 - 1), 0);
}

TEST(RleRoundTrip, Patterns) {
    const struct {
        const char* name;
        std::vector<std::uint16_t> words;
    } cases[] = {
        {"empty", {}},
        {"one", {0x0102}},
        {"pairs", {1, 1, 2, 2, 3, 3, 4, 4}},
        {"triples", {7, 7, 7, 8, 8, 8, 9}},
        {"zero words", {0, 0, 0, 0, 0, 0x8000, 0x8000, 0x8000}},
        {"token-like words", {0x8000, 0x0000, 0xFFFF, 0x7FFF, 0x0001}},
        {"run after literal", {1, 2, 3, 5, 5, 5, 5, 6}},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> input = Words(c.words);
        EXPECT_EQ(RoundTrip(input), input) << c.name;
    }
}

TEST(RleRoundTrip, RandomTilesWithRuns) {
    // 64 × 64 × 32-bit tiles: random pixels broken by runs of random lengths.
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> tile = RandomBytes(64 * 64 * 4, round);
        for (int k = 0; k < 20; ++k) {
            const std::size_t at = random() % 8192, length = random() % 600;
            for (std::size_t w = at; w < at + length && w < 8192; ++w) {
                tile[2 * w] = static_cast<std::uint8_t>(k);
                tile[2 * w + 1] = static_cast<std::uint8_t>(round);
            }
        }
        ASSERT_EQ(RoundTrip(tile), tile) << "round " << round;
    }
}

TEST(RleRoundTrip, WholeRandomTileFitsTheScratch) {
    // The server's default tile, all literal, is far below the 65,536-byte payload limit.
    const std::vector<std::uint8_t> tile = RandomBytes(64 * 64 * 4, 99);
    EXPECT_EQ(RoundTrip(tile), tile);
}

TEST(RleRoundTrip, ReportsWhatDoesNotFit) {
    // 32,768 random words need two literal tokens besides: 65,540 bytes.
    const std::vector<std::uint8_t> big = RandomBytes(65536, 7);
    std::vector<std::uint8_t> code(kRleScratchBytes);
    EXPECT_FALSE(EncodeRle16(big.data(), big.size() / 2, code.data(), code.size()).has_value());

    // With room for the code but not the end mark, the code comes without it and still decodes.
    const std::vector<std::uint8_t> small = Words({1, 2, 3});
    ASSERT_EQ(RoundTrip(small, 8), small);
    std::vector<std::uint8_t> tight(7);
    EXPECT_FALSE(EncodeRle16(small.data(), 3, tight.data(), tight.size()).has_value());
    EXPECT_EQ(EncodeRle16(small.data(), 0, tight.data(), 0), std::optional<std::size_t>(0));
}

}  // namespace
}  // namespace telorad
