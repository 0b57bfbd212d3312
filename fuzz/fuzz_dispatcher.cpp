// Feeds arbitrary server bytes to the receive dispatcher. The bytes wait in a local socket pair
// whose far end has stopped writing, so every poll sees them as a real connection would, and
// the stream ends where the input ends.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "app/client.h"
#include "app/null_window_system.h"
#include "app/receive_poll.h"
#include "net/transport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 200 * 1024) return 0;  // what one socket buffer holds without a reader
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return 0;
    int room = 1 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t put = ::send(fds[1], data + written, size - written, MSG_NOSIGNAL);
        if (put <= 0) break;
        written += static_cast<std::size_t>(put);
    }
    ::shutdown(fds[1], SHUT_WR);

    telorad::NullWindowSystem window;
    telorad::Client client(window);
    client.connection.socket = fds[0];
    client.connection.stallTimeoutMs = 10;
    client.connectParams.password = "fuzz";
    // Pictures of a few MiB reach every path a gigabyte does, without the time spent clearing
    // the gigabyte: inputs run hundreds of times faster.
    client.pictureLimitBytes = 4 << 20;
    // Each poll handles one message; the stream is finite, so this ends with -1.
    for (int polls = 0; polls < 100000; ++polls) {
        if (telorad::ReceivePoll(client) < 0) break;
    }
    telorad::CloseConnection(client.connection);
    ::close(fds[1]);
    return 0;
}
