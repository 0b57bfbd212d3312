#pragma once
// The protocol's 16-bit run-length code.
#include <cstddef>
#include <cstdint>

namespace telorad {

inline constexpr int kRleScratchBytes = 65536;

// Decodes wordCount little-endian words of source into destination, word after word from its
// first byte. Returns false, having written nothing beyond destinationBytes, when a run's value
// word or a literal reaches past wordCount words, or when the output would pass
// destinationBytes. A zero token ends decoding; wordCount <= 0 decodes nothing.
// On failure the tokens before the failing one stay written; the failing one writes nothing.
bool DecodeRle16(const std::uint8_t* source, std::int32_t wordCount, std::uint8_t* destination,
                 std::size_t destinationBytes);

}  // namespace telorad
