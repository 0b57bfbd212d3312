#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "screen/rle.h"

namespace telorad {
namespace {

constexpr std::uint8_t kUntouched = 0xAA;
constexpr std::int32_t kAll = INT32_MIN;  // word count: the whole input

std::vector<std::uint8_t> LittleEndian(const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return bytes;
}

struct DecodeCase {
    const char* name;
    std::vector<std::uint16_t> input;
    std::int32_t wordCount;
    std::size_t destinationBytes;
    bool ok;
    std::vector<std::uint16_t> written;  // the words expected at the destination's start
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTable, WritesExactlyTheExpectedWords) {
    const DecodeCase& c = GetParam();
    const std::vector<std::uint8_t> source = LittleEndian(c.input);
    const std::int32_t wordCount =
        c.wordCount == kAll ? static_cast<std::int32_t>(c.input.size()) : c.wordCount;
    // Guard bytes behind the destination show writes past destinationBytes.
    std::vector<std::uint8_t> memory(c.destinationBytes + 16, kUntouched);

    EXPECT_EQ(DecodeRle16(source.data(), wordCount, memory.data(), c.destinationBytes), c.ok);

    std::vector<std::uint8_t> expected = LittleEndian(c.written);
    expected.resize(memory.size(), kUntouched);
    EXPECT_EQ(memory, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rle, DecodeTable,
    ::testing::Values(
        DecodeCase{"ExampleStopsAtEndMark",
                   {0x8003, 0x7FFF, 0x0002, 0x1234, 0x5678, 0x0000, 0x0001, 0x9999},
                   kAll,
                   32,
                   true,
                   {0x7FFF, 0x7FFF, 0x7FFF, 0x1234, 0x5678}},
        DecodeCase{"Run8000ConsumesItsValueWord",
                   {0x8000, 0xBEEF, 0x0001, 0x1111},
                   kAll,
                   8,
                   true,
                   {0x1111}},
        DecodeCase{"ZeroTokenFirstChangesNothing", {0x0000, 0x0001, 0x2222}, kAll, 8, true, {}},
        DecodeCase{"ZeroTokenWithWordsBehind",
                   {0x0001, 0x2222, 0x0000, 0x8004, 0x3333},
                   kAll,
                   16,
                   true,
                   {0x2222}},
        DecodeCase{"EndOfInputWithoutEndMark",
                   {0x8002, 0x4455, 0x0001, 0x6677},
                   kAll,
                   16,
                   true,
                   {0x4455, 0x4455, 0x6677}},
        DecodeCase{
            "WordCountLimitsTheInput", {0x0001, 0x1111, 0x0001, 0x2222}, 2, 16, true, {0x1111}},
        DecodeCase{"EmptyPayload", {}, 0, 8, true, {}},
        DecodeCase{"NegativeWordCount", {0x0001, 0x1111}, -5, 8, true, {}},
        DecodeCase{"RunValueWordMissing", {0x0001, 0x1111, 0x8002}, kAll, 16, false, {0x1111}},
        DecodeCase{"ZeroRunValueWordMissing", {0x8000}, kAll, 16, false, {}},
        DecodeCase{"LiteralPastTheInput", {0x0003, 0x1111, 0x2222}, kAll, 16, false, {}},
        DecodeCase{"LiteralPastWordCount", {0x0002, 0x1111, 0x2222}, 2, 16, false, {}},
        DecodeCase{"RunFillsTheBufferExactly",
                   {0x8004, 0x0102},
                   kAll,
                   8,
                   true,
                   {0x0102, 0x0102, 0x0102, 0x0102}},
        DecodeCase{"RunPastTheBuffer", {0x8005, 0x0102}, kAll, 8, false, {}},
        DecodeCase{"LiteralPastTheBuffer", {0x0003, 0x1111, 0x2222, 0x3333}, kAll, 4, false, {}},
        DecodeCase{"OddBufferHoldsNoHalfWord", {0x8003, 0x0102}, kAll, 5, false, {}},
        DecodeCase{"EarlierTokensStayWritten",
                   {0x8002, 0x1234, 0x8010, 0x5678},
                   kAll,
                   8,
                   false,
                   {0x1234, 0x1234}},
        DecodeCase{"ZeroBufferTakesOnlyEmptyRuns", {0x8000, 0x1111, 0x0000}, kAll, 0, true, {}},
        // 21 words: whole 16-byte blocks and a tail, bytes differing (no memset shortcut).
        DecodeCase{"LongRunOfUnequalBytes",
                   {0x8015, 0xA1B2, 0x0001, 0x0C0D},
                   kAll,
                   64,
                   true,
                   std::vector<std::uint16_t>{0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2,
                                              0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2,
                                              0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2, 0xA1B2,
                                              0xA1B2, 0xA1B2, 0xA1B2, 0x0C0D}}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

TEST(Rle, OddPayloadIgnoresItsLastByte) {
    // A 5-byte payload is two words; the fifth byte would be a run token if it were read.
    const std::uint8_t payload[] = {0x01, 0x00, 0x44, 0x33, 0x85};
    std::vector<std::uint8_t> out(8, kUntouched);
    ASSERT_TRUE(DecodeRle16(payload, sizeof payload >> 1, out.data(), out.size()));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x44, 0x33, kUntouched, kUntouched, kUntouched,
                                              kUntouched, kUntouched, kUntouched}));
}

TEST(Rle, LongestRunAndLiteral) {
    // The longest tokens at the buffer's end exactly.
    std::vector<std::uint16_t> words = {0xFFFF, 0x00FF, 0x7FFF};
    for (int k = 0; k < 0x7FFF; ++k) words.push_back(static_cast<std::uint16_t>(k * 7919));
    const std::vector<std::uint8_t> source = LittleEndian(words);
    std::vector<std::uint8_t> out(4 * 0x7FFF);
    ASSERT_TRUE(DecodeRle16(source.data(), static_cast<std::int32_t>(words.size()), out.data(),
                            out.size()));
    for (int k = 0; k < 0x7FFF; ++k) {
        ASSERT_EQ(out[2 * k], 0xFF);
        ASSERT_EQ(out[2 * k + 1], 0x00);
        const auto expected = static_cast<std::uint16_t>(k * 7919);
        ASSERT_EQ(out[2 * (0x7FFF + k)], expected & 0xFF);
        ASSERT_EQ(out[2 * (0x7FFF + k) + 1], expected >> 8);
    }
    // One byte less and the literal no longer fits.
    EXPECT_FALSE(DecodeRle16(source.data(), static_cast<std::int32_t>(words.size()), out.data(),
                             out.size() - 1));
}

TEST(Rle, RunsOfEveryLengthAcrossStoreWidths) {
    // Short runs, whole 8- and 32-byte stores with tails, and the long-run copy path; the guard
    // bytes right behind each run must stay untouched.
    for (std::uint16_t value : {0x3C5A, 0x7777}) {
        for (int count = 1; count <= 700; count += count < 300 ? 1 : 37) {
            const std::vector<std::uint8_t> code =
                LittleEndian({static_cast<std::uint16_t>(0x8000 + count), value});
            std::vector<std::uint8_t> out(2 * count + 6, kUntouched);
            ASSERT_TRUE(DecodeRle16(code.data(), 2, out.data(), out.size()));
            for (int k = 0; k < count; ++k) {
                ASSERT_EQ(out[2 * k], value & 0xFF) << count;
                ASSERT_EQ(out[2 * k + 1], value >> 8) << count;
            }
            for (std::size_t k = 2 * count; k < out.size(); ++k) ASSERT_EQ(out[k], kUntouched);
        }
    }
}

}  // namespace
}  // namespace telorad
