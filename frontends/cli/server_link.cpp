#include "server_link.h"

#include <algorithm>
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

}  // namespace

CliWindowSystem::CliWindowSystem() {
    onMessageBox = [this](std::string_view text, std::string_view caption) {
        std::fprintf(stderr, "%.*s [%.*s]\n", static_cast<int>(text.size()), text.data(),
                     static_cast<int>(caption.size()), caption.data());
        if (text != "切断されました") lastBox = std::string(text);
    };
}

ServerLink::ServerLink(const Options& options, const std::string& password)
    : options_(options),
      client_(window_),
      deadline_(Clock::now() + std::chrono::seconds(options.timeoutSeconds)) {
    client_.connectParams.host = options.host;
    client_.connectParams.port = options.port;
    client_.connectParams.password = password;
    // Polls never wait: the link sleeps on the socket itself, until the moment it must wake.
    client_.pollWaitMs = 0;
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
        if (Poll(failure, deadline_) < 0) return failure;
    }
    return 0;
}

void ServerLink::WaitForBytes(Clock::time_point wakeBy) {
    const auto now = Clock::now();
    if (wakeBy <= now) return;
    long long waitMs = std::min<long long>(
        std::chrono::ceil<milliseconds>(wakeBy - now).count(), RemainingMs());
    const int untilStall = client_.parser.MsUntilStall(client_.connection);
    if (untilStall >= 0) waitMs = std::min<long long>(waitMs, untilStall + 1);
    if (waitMs > 0) WaitReceivableOrInterrupt(client_.connection, static_cast<int>(waitMs));
}

int ServerLink::Poll(int& failure, Clock::time_point wakeBy) {
    if (idle_) WaitForBytes(wakeBy);
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
    idle_ = result == 0;
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
        const auto settledAt = std::min(lastChange + milliseconds(options_.settleMs),
                                        start + kLongestSettle);
        if (Poll(failure, settledAt) < 0) return failure;
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
    while (client_.connection.socket != kNoSocket) {
        const auto left = std::chrono::ceil<milliseconds>(until - Clock::now()).count();
        if (left <= 0) break;
        const int result = ReceivePoll(client_);
        if (result < 0) break;
        if (result == 0) WaitReceivable(client_.connection, static_cast<int>(left));
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
