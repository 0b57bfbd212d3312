#pragma once
// One headless connection: connect, log in, poll within the run's time limit, wait for the
// picture to settle, and leave without resetting what the server has not yet read.
#include <chrono>
#include <string>

#include "app/client.h"
#include "app/null_window_system.h"
#include "cli_options.h"
#include "interrupts.h"

namespace telorad::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCannotConnect = 2;
inline constexpr int kExitAuthRefused = 3;
inline constexpr int kExitProtocol = 4;  // also a time-out or the connection ending
inline constexpr int kExitCannotWrite = 5;
inline constexpr int kExitExpectFailed = 6;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitBadRecording = 65;
inline constexpr int kExitInterrupted = 130;

// Message boxes of a windowless client: lines on stderr, the last text kept for the exit code.
class CliWindowSystem : public NullWindowSystem {
  public:
    CliWindowSystem();
    std::string lastBox;
};

class ServerLink {
  public:
    using Clock = std::chrono::steady_clock;

    ServerLink(const Options& options, const std::string& password);

    // Connects and waits for the first screen geometry. 0 or an exit code.
    int Login();

    // One poll, bounded by what is left of the run. After a poll that found nothing, it first
    // sleeps until bytes come or wakeBy, the end of the run or a partial message's stall limit
    // is reached, whichever is first (no sleep with the default). 1 or 0; -1 with an exit code
    // in `failure` when the poll failed, time ran out or an interrupt came.
    int Poll(int& failure, Clock::time_point wakeBy = Clock::time_point::min());
    // Polls until nothing more is readable. 0 or an exit code.
    int Drain();
    // Polls until no update came for --settle ms (5 s at most). 0 or an exit code.
    int AwaitSettled();
    // Reads for a moment so that closing does not reset a connection holding unread data,
    // then disconnects.
    void LingerAndDisconnect();

    bool TimeIsUp() const { return RemainingMs() == 0; }
    int RemainingMs() const;
    void NoDeadline() { deadline_ = Clock::time_point::max(); }

    Client& client() { return client_; }
    const Options& options() const { return options_; }

  private:
    void WaitForBytes(Clock::time_point wakeBy);

    const Options& options_;
    CliWindowSystem window_;
    Client client_;
    Clock::time_point deadline_;
    bool idle_ = false;  // the last poll found nothing
};

// Writes the picture, saying what was written on stdout. 0 or kExitCannotWrite.
int WritePictureFile(const std::string& path, const ScreenBitmap& picture);

}  // namespace telorad::cli
