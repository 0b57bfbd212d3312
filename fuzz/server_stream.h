#pragma once
// A server's byte stream as the fuzzer sees it: cut into the units the client reads one after
// another, and taken through the cipher the way a server would. After a verdict that turns the
// cipher on, every byte on the wire is encrypted with the key from the challenge and password;
// mutating the wire bytes there gives noise. The mutator works on the plain bytes instead and
// encrypts them again, so updates behind an encrypting login are as reachable as plain ones.
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string_view>
#include <vector>

namespace fuzz {

// The password the harness's client logs in with; the stream's cipher key derives from it.
inline constexpr std::string_view kPassword = "fuzz";

struct StreamUnit {
    std::size_t offset = 0;
    std::size_t size = 0;
};

// The units of a plain stream: a message (a login with the answer it reads counts as one), or
// at the end whatever the client would stop at (a short unit, an unknown type, all that follows).
std::vector<StreamUnit> SplitStream(std::span<const std::uint8_t> plain);

// Wire bytes to plain bytes and back: the same walk through the units, with the cipher keyed
// behind each verdict that turns it on.
std::vector<std::uint8_t> WireToPlain(std::span<const std::uint8_t> wire);
std::vector<std::uint8_t> PlainToWire(std::span<const std::uint8_t> plain);

// One well-formed message (sometimes with a field just outside its bounds) of a random kind:
// geometry, raw or coded update, digest or legacy login, or a type the client does not know.
std::vector<std::uint8_t> MakeMessage(std::minstd_rand& random);

}  // namespace fuzz
