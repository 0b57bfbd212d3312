// Feeds arbitrary code to DecodeRle16 and checks it against a word-by-word model of the code.
// The first two bytes choose the destination's size; the destination is exactly that large, so
// AddressSanitizer sees any write past it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "screen/rle.h"

namespace {

bool ModelDecode(const std::uint8_t* source, std::int64_t words, std::uint8_t* out,
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t outBytes = data[0] | data[1] << 8;
    const std::uint8_t* code = data + 2;
    const std::size_t codeBytes = size - 2;
    if (codeBytes > telorad::kRleScratchBytes) return 0;
    const auto words = static_cast<std::int32_t>(codeBytes / 2);

    std::vector<std::uint8_t> actual(outBytes, 0xA5), expected(outBytes, 0xA5);
    const bool ok = telorad::DecodeRle16(code, words, actual.data(), actual.size());
    const bool modelOk = ModelDecode(code, words, expected.data(), expected.size());
    if (ok != modelOk || actual != expected) std::abort();
    return 0;
}
