#pragma once
// The server chosen last in the connect dialog: what the connect step and the handshakes use.
#include <cstddef>
#include <cstdint>
#include <string>

namespace telorad {

inline constexpr std::size_t kConnectHostMax = 127;
inline constexpr std::size_t kConnectPasswordMax = 127;

struct ConnectParams {
    std::string host;  // at most kConnectHostMax bytes
    std::uint16_t port = 9876;
    std::string password;  // at most kConnectPasswordMax bytes
};

}  // namespace telorad
