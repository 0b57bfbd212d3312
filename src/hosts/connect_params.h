#pragma once
// The server chosen last in the connect dialog.
#include <cstddef>
#include <cstdint>
#include <string>

namespace telorad {

inline constexpr std::size_t kMaxHostBytes = 127;
inline constexpr std::size_t kMaxPasswordBytes = 127;
inline constexpr std::uint16_t kDefaultPort = 9876;

struct ConnectParams {
    std::string host;  // at most kMaxHostBytes
    std::uint16_t port = kDefaultPort;
    std::string password;  // at most kMaxPasswordBytes, bytes as the server expects them
};

}  // namespace telorad
