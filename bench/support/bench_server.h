#pragma once
// Benchmarks' side of the bundled server: a free loopback port, the server started on it with
// the options a run needs, and a client connected to it.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace telorad {
struct Client;
}

namespace telorad::bench {

std::uint16_t FreeLoopbackPort();

// Starts `serverPath --listen 127.0.0.1:PORT --log /dev/null options...`; returns its pid.
pid_t StartServer(const std::string& serverPath, std::uint16_t port,
                  const std::vector<std::string>& options);
void StopServer(pid_t pid);

// Connects to 127.0.0.1:port, retrying while the server starts, and sends MODE_MONITOR.
bool ConnectWhenListening(Client& client, std::uint16_t port);

}  // namespace telorad::bench
