#include "screen/rle.h"

#include <cstring>

namespace telorad {
namespace {

inline std::uint32_t WordAt(const std::uint8_t* source, std::int64_t index) {
    return static_cast<std::uint32_t>(source[2 * index]) |
           static_cast<std::uint32_t>(source[2 * index + 1]) << 8;
}

// Writes count copies of the two bytes at value. Whole 16-byte blocks first: the block loop
// becomes plain vector stores, which matters because long runs are what coded screens are made of.
inline void FillWords(std::uint8_t* out, const std::uint8_t* value, std::size_t count) {
    std::size_t bytes = count * 2;
    if (value[0] == value[1]) {
        std::memset(out, value[0], bytes);
        return;
    }
    std::uint8_t block[16];
    for (int k = 0; k < 16; k += 2) {
        block[k] = value[0];
        block[k + 1] = value[1];
    }
    while (bytes >= sizeof block) {
        std::memcpy(out, block, sizeof block);
        out += sizeof block;
        bytes -= sizeof block;
    }
    std::memcpy(out, block, bytes);
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
