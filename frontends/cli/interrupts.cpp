#include "interrupts.h"

#include <algorithm>
#include <csignal>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace telorad::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

#ifndef _WIN32
// The handler writes a byte here, so a poll() that began just before the signal ends too.
int wakeUp[2] = {-1, -1};
#endif

extern "C" void NoteInterrupt(int) {
    interrupted = 1;
#ifndef _WIN32
    if (wakeUp[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = ::write(wakeUp[1], &byte, 1);
    }
#endif
}

}  // namespace

void CatchInterrupts() {
#ifndef _WIN32
    if (wakeUp[0] < 0 && ::pipe(wakeUp) == 0) {
        for (int fd : wakeUp) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
#endif
    std::signal(SIGINT, NoteInterrupt);
    std::signal(SIGTERM, NoteInterrupt);
}

bool Interrupted() { return interrupted != 0; }

void WaitReceivableOrInterrupt(Connection& connection, int waitMs) {
    // Bytes read ahead, a readable socket or no socket at all: nothing to wait for.
    if (Interrupted() || WaitReceivable(connection, 0) != 0) return;
#ifdef _WIN32
    // Windows runs the handler on a thread of its own, which cannot end a select(): the wait
    // goes in slices, so an interrupt is noticed within a fifth of a second.
    WaitReceivable(connection, std::min(waitMs, 200));
#else
    pollfd waiters[2] = {{static_cast<int>(connection.socket), POLLIN, 0},
                         {wakeUp[0], POLLIN, 0}};
    // An interrupt ends it early (EINTR or the byte); the caller looks at the flag.
    ::poll(waiters, wakeUp[0] >= 0 ? 2 : 1, waitMs);
#endif
}

}  // namespace telorad::cli
