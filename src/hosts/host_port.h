#pragma once
// A server named on a command line: "HOST" or "HOST:PORT".
#include <cstdint>
#include <string>
#include <string_view>

namespace telorad {

// "HOST" (port left as it is) or "HOST:PORT" (port 1-65535, decimal digits only). The host is
// everything before the last colon; it must be non-empty, at most kMaxHostBytes long (a cut name
// would reach another machine) and free of control characters. False with `error` saying what
// is wrong; host and port are then unchanged.
bool ParseHostPort(std::string_view text, std::string& host, std::uint16_t& port,
                   std::string& error);

}  // namespace telorad
