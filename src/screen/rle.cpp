#include "screen/rle.h"

#include <algorithm>
#include <cstring>

namespace telorad {
namespace {

inline std::uint32_t WordAt(const std::uint8_t* source, std::int64_t index) {
    return static_cast<std::uint32_t>(source[2 * index]) |
           static_cast<std::uint32_t>(source[2 * index + 1]) << 8;
}

// Writes count copies of the two bytes at value, never past them: a short payload must leave the
// tile's older bytes alone. Screens are mostly runs, so this is the decoder's hot path: 8-byte
// stores of the repeated word, and for long runs a doubling copy that lets memcpy's wide stores
// do the work.
inline void FillWords(std::uint8_t* out, const std::uint8_t* value, std::size_t count) {
    std::size_t bytes = count * 2;
    if (value[0] == value[1]) {
        std::memset(out, value[0], bytes);
        return;
    }
    std::uint16_t word;
    std::memcpy(&word, value, 2);
    const std::uint64_t pattern = word * std::uint64_t{0x0001000100010001};
    constexpr std::size_t kDoublingFrom = 256;
    if (bytes >= kDoublingFrom) {
        for (std::size_t k = 0; k < 64; k += 8) std::memcpy(out + k, &pattern, 8);
        std::size_t filled = 64;
        while (filled < bytes) {
            const std::size_t step = std::min(filled, bytes - filled);
            std::memcpy(out + filled, out, step);
            filled += step;
        }
        return;
    }
    for (; bytes >= 32; bytes -= 32, out += 32) {
        std::memcpy(out, &pattern, 8);
        std::memcpy(out + 8, &pattern, 8);
        std::memcpy(out + 16, &pattern, 8);
        std::memcpy(out + 24, &pattern, 8);
    }
    for (; bytes >= 8; bytes -= 8, out += 8) std::memcpy(out, &pattern, 8);
    if (bytes >= 4) {
        std::memcpy(out, &pattern, 4);
        out += 4;
        bytes -= 4;
    }
    if (bytes >= 2) std::memcpy(out, &pattern, 2);
}

}  // namespace

// A token whose words reach past the input, or whose output would pass the destination, fails
// before writing anything; what earlier tokens wrote stays.
bool DecodeRle16(const std::uint8_t* source, std::int32_t wordCount, std::uint8_t* destination,
                 std::size_t destinationBytes) {
    if (wordCount <= 0) return true;
    const std::int64_t inputWords = wordCount;
    const std::size_t outputWords = destinationBytes / 2;
    std::int64_t in = 0;
    std::size_t out = 0;
    while (in < inputWords) {
        const std::uint32_t token = WordAt(source, in);
        ++in;
        if (token & 0x8000u) {
            const std::size_t count = token - 0x8000u;
            if (in >= inputWords) return false;  // the value word is missing
            if (count > outputWords - out) return false;
            if (count != 0) FillWords(destination + 2 * out, source + 2 * in, count);
            ++in;
            out += count;
        } else if (token == 0) {
            return true;
        } else {
            const std::size_t count = token;
            if (static_cast<std::int64_t>(count) > inputWords - in) return false;
            if (count > outputWords - out) return false;
            std::memcpy(destination + 2 * out, source + 2 * in, count * 2);
            in += static_cast<std::int64_t>(count);
            out += count;
        }
    }
    return true;
}

}  // namespace telorad
