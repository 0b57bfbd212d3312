// Feeds arbitrary code to DecodeRle16 and checks it against a word-by-word model of the code.
// The first two bytes choose the destination's size; AddressSanitizer sees any write outside it.
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "screen/rle.h"

namespace {

// The model's branches say nothing about the decoder: kept out of the coverage, they neither
// steer the fuzzer nor cost a callback for every word written.
__attribute__((no_sanitize("coverage"))) bool ModelDecode(const std::uint8_t* source,
                                                          std::int64_t words, std::uint8_t* out,
                                                          std::size_t outBytes) {
    std::int64_t i = 0;
    std::size_t o = 0;
    const std::size_t outWords = outBytes / 2;
    while (i < words) {
        const unsigned token = source[2 * i] | source[2 * i + 1] << 8;
        ++i;
        if (token == 0) return true;
        const bool run = token & 0x8000;
        const std::size_t count = run ? token - 0x8000 : token;
        const std::int64_t needed = run ? 1 : static_cast<std::int64_t>(count);
        if (i + needed > words || o + count > outWords) return false;
        for (std::size_t k = 0; k < count; ++k, ++o) {
            const std::int64_t from = run ? i : i + static_cast<std::int64_t>(k);
            out[2 * o] = source[2 * from];
            out[2 * o + 1] = source[2 * from + 1];
        }
        i += needed;
    }
    return true;
}

// The largest destination the two size bytes can ask for.
constexpr std::size_t kMaxOut = 0xFFFF;

// One block for every run: the destination starts where the block starts (the heap's red zone
// lies in front) and the bytes behind it are poisoned, so a write outside it is caught exactly as
// with a block of its own size, without allocating and clearing 64 KiB per input.
std::uint8_t* Destination(std::size_t bytes) {
    static std::vector<std::uint8_t> block(kMaxOut);
    ASAN_UNPOISON_MEMORY_REGION(block.data(), bytes);
    ASAN_POISON_MEMORY_REGION(block.data() + bytes, kMaxOut - bytes);
    return block.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t outBytes = data[0] | data[1] << 8;
    const std::uint8_t* code = data + 2;
    const std::size_t codeBytes = size - 2;
    if (codeBytes > telorad::kRleScratchBytes) return 0;
    const auto words = static_cast<std::int32_t>(codeBytes / 2);

    static std::vector<std::uint8_t> expected(kMaxOut);
    std::uint8_t* const actual = Destination(outBytes);
    std::memset(actual, 0xA5, outBytes);
    std::memset(expected.data(), 0xA5, outBytes);
    const bool ok = telorad::DecodeRle16(code, words, actual, outBytes);
    const bool modelOk = ModelDecode(code, words, expected.data(), outBytes);
    if (ok != modelOk || std::memcmp(actual, expected.data(), outBytes) != 0) std::abort();
    return 0;
}
