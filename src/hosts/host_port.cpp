#include "hosts/host_port.h"

#include <algorithm>
#include <charconv>

#include "hosts/connect_params.h"

namespace telorad {

bool ParseHostPort(std::string_view text, std::string& host, std::uint16_t& port,
                   std::string& error) {
    const std::size_t colon = text.rfind(':');
    const std::string_view name = text.substr(0, colon);
    std::uint16_t number = port;
    if (colon != std::string_view::npos) {
        const std::string_view digits = text.substr(colon + 1);
        unsigned value = 0;
        const char* end = digits.data() + digits.size();
        const auto [stop, failure] = std::from_chars(digits.data(), end, value);
        if (failure != std::errc() || stop != end || value < 1 || value > 65535) {
            error = "the port must be a number from 1 to 65535";
            return false;
        }
        number = static_cast<std::uint16_t>(value);
    }
    if (name.empty()) {
        error = "the host name is missing";
        return false;
    }
    if (name.size() > kMaxHostBytes) {
        error = "the host name is too long (at most 127 bytes)";
        return false;
    }
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        error = "the host name holds a control character";
        return false;
    }
    host.assign(name);
    port = number;
    return true;
}

}  // namespace telorad
