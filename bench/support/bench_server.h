#pragma once
// Benchmarks' side of the bundled server: the server started on a loopback port of the system's
// choosing with the options a run needs, and a client connected to it.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace telorad {
struct Client;
}

namespace telorad::bench {

// Starts `serverPath --listen 127.0.0.1:0 --log /dev/null options...` and sets *port from its
// "listening on" line (0 when it did not say so within 10 s); returns its pid.
pid_t StartServer(const std::string& serverPath, const std::vector<std::string>& options,
                  std::uint16_t* port);
void StopServer(pid_t pid);

// Connects to 127.0.0.1:port, retrying while the server starts, and sends MODE_MONITOR.
bool ConnectWhenListening(Client& client, std::uint16_t port);

}  // namespace telorad::bench
