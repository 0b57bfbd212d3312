// Feeds arbitrary server bytes to the client's receive path in pieces the input chooses: its
// first byte sets how the rest is cut (0: whole), so partial messages wait between polls as they
// do on a slow link. The bytes go through a local socket pair, as a real connection would bring
// them, and the stream ends where the input ends.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/client.h"
#include "app/null_window_system.h"
#include "app/receive_poll.h"
#include "net/transport.h"

namespace {

// Polls until the client has taken all it can; false once it gave the connection up.
bool Drain(telorad::Client& client) {
    for (int polls = 0; polls < 100000; ++polls) {
        const int result = telorad::ReceivePoll(client);
        if (result < 0) return false;
        if (result == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 200 * 1024) return 0;  // what one socket buffer holds unread
    const std::uint8_t cut = data[0];
    ++data;
    --size;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return 0;
    int room = 1 << 20;
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
    setsockopt(fds[0], SOL_SOCKET, SO_RCVBUF, &room, sizeof room);

    telorad::NullWindowSystem window;
    telorad::Client client(window);
    client.connection.socket = fds[0];
    client.connection.stallTimeoutMs = 10;
    client.pollWaitMs = 0;
    client.connectParams.password = "fuzz";
    // Pictures of a few MiB reach every path a gigabyte does, without the time spent clearing
    // the gigabyte: inputs run hundreds of times faster.
    client.pictureLimitBytes = 4 << 20;

    // Piece sizes from 1 to 4 × cut, drawn from a generator the cut byte seeds.
    std::uint32_t generator = cut;
    bool open = true;
    std::size_t at = 0;
    while (open && at < size) {
        std::size_t piece = size - at;
        if (cut != 0) {
            generator = generator * 1103515245u + 12345u;
            piece = std::min<std::size_t>(piece, 1 + (generator >> 16) % (4u * cut));
        }
        const ssize_t put = ::send(fds[1], data + at, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put <= 0) break;
        at += static_cast<std::size_t>(put);
        open = Drain(client);
    }
    ::shutdown(fds[1], SHUT_WR);
    if (open) Drain(client);
    telorad::CloseConnection(client.connection);
    ::close(fds[1]);
    return 0;
}
