#pragma once
// The server's side of the 16-bit run-length code: runs and literals of up to 0x7FFF words.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace telorad::server {

inline constexpr std::size_t kMaxRleCount = 0x7FFF;

// Codes wordCount little-endian words of words into out and returns the bytes written, a zero
// end token included when it fits; nullopt when the code does not fit in outCapacity bytes
// (send the tile raw then).
std::optional<std::size_t> EncodeRle16(const std::uint8_t* words, std::size_t wordCount,
                                       std::uint8_t* out, std::size_t outCapacity);

}  // namespace telorad::server
