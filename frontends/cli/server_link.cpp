#include "server_link.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

#include "app/receive_poll.h"
#include "app/session.h"
#include "image_files.h"

namespace telorad::cli {

namespace {

using std::chrono::milliseconds;

constexpr auto kLongestSettle = std::chrono::seconds(5);
constexpr auto kLinger = milliseconds(300);
constexpr int kMaxStallMs = 30000;
constexpr int kMaxConnectMs = 15000;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void NoteInterrupt(int) { interrupted = 1; }

}  // namespace

CliWindowSystem::CliWindowSystem() {
    onMessageBox = [this](std::string_view text, std::string_view caption) {
        std::fprintf(stderr, "%.*s [%.*s]\n", static_cast<int>(text.size()), text.data(),
                     static_cast<int>(caption.size()), caption.data());
        if (text != "切断されました") lastBox = std::string(text);
    };
}

void CatchInterrupts() {
    std::signal(SIGINT, NoteInterrupt);
    std::signal(SIGTERM, NoteInterrupt);
}

bool Interrupted() { return interrupted != 0; }

ServerLink::ServerLink(const Options& options, const std::string& password)
    : options_(options),
      client_(window_),
      deadline_(Clock::now() + std::chrono::seconds(options.timeoutSeconds)) {
    client_.connectParams.host = options.host;
    client_.connectParams.port = options.port;
    client_.connectParams.password = password;
}

int ServerLink::RemainingMs() const {
    if (deadline_ == Clock::time_point::max()) return kMaxStallMs;
    const auto left = std::chrono::duration_cast<milliseconds>(deadline_ - Clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

int ServerLink::Login() {
    client_.connection.connectTimeoutMs = std::min(kMaxConnectMs, RemainingMs());
    if (!ConnectAndAnnounce(client_)) return kExitCannotConnect;
    // The login is complete once the first screen geometry has been applied.
    int failure = 0;
    while (client_.received.screenInfos == 0) {
        if (Poll(failure) < 0) return failure;
    }
    return 0;
}

int ServerLink::Poll(int& failure) {
    const int remaining = RemainingMs();
    if (remaining == 0) {
        std::fprintf(stderr, "telorad-cli: timed out after %d s\n", options_.timeoutSeconds);
        failure = kExitProtocol;
        return -1;
    }
    if (Interrupted()) {
        failure = kExitInterrupted;
        return -1;
    }
    client_.connection.stallTimeoutMs = std::min(kMaxStallMs, remaining);
    const int result = ReceivePoll(client_);
    if (result < 0) {
        CloseAfterReceiveError(client_);
        failure = window_.lastBox == "Auth error!" ? kExitAuthRefused : kExitProtocol;
    }
    return result;
}

int ServerLink::Drain() {
    int failure = 0;
    for (;;) {
        const int result = Poll(failure);
        if (result < 0) return failure;
        if (result == 0) return 0;
    }
}

int ServerLink::AwaitSettled() {
    const auto start = Clock::now();
    auto lastChange = start;
    std::uint64_t updates = client_.received.updates;
    int failure = 0;
    for (;;) {
        const auto now = Clock::now();
        if (now - lastChange >= milliseconds(options_.settleMs) || now - start >= kLongestSettle) {
            return 0;
        }
        if (Poll(failure) < 0) return failure;
        if (client_.received.updates != updates) {
            updates = client_.received.updates;
            lastChange = Clock::now();
        }
    }
}

void ServerLink::LingerAndDisconnect() {
    // Its own bound: after a time-out or Ctrl+C the releases just sent must still arrive.
    const auto until = Clock::now() + kLinger;
    client_.connection.stallTimeoutMs = static_cast<int>(kLinger.count());
    while (Clock::now() < until && client_.connection.socket != kNoSocket) {
        if (ReceivePoll(client_) < 0) break;
    }
    DisconnectFromServer(client_);
}

int WritePictureFile(const std::string& path, const ScreenBitmap& picture) {
    std::string error;
    if (!WritePicture(path, picture, error)) {
        std::fprintf(stderr, "telorad-cli: %s\n", error.c_str());
        return kExitCannotWrite;
    }
    std::printf("%s: %d x %d, %d bits per pixel\n", path.c_str(), picture.width, picture.height,
                picture.bitsPerPixel);
    return kExitOk;
}

}  // namespace telorad::cli
