#include "cli_session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/client.h"
#include "app/null_window_system.h"
#include "app/receive_poll.h"
#include "app/session.h"
#include "net/wire.h"
#include "screen/bmp_file.h"

namespace telorad::cli {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr auto kLongestSettle = std::chrono::seconds(5);
constexpr auto kCommandLinger = milliseconds(300);
constexpr int kMaxStallMs = 30000;
constexpr int kMaxConnectMs = 15000;

// Message boxes of a windowless client: lines on stderr, the last text kept for the exit code.
class CliWindowSystem : public NullWindowSystem {
public:
    CliWindowSystem() {
        onMessageBox = [this](std::string_view text, std::string_view caption) {
            std::fprintf(stderr, "%.*s [%.*s]\n", static_cast<int>(text.size()), text.data(),
                         static_cast<int>(caption.size()), caption.data());
            if (text != "切断されました") lastBox = std::string(text);
        };
    }
    std::string lastBox;
};

class Run {
public:
    Run(const Options& options, const std::string& password)
        : options_(options),
          client_(window_),
          deadline_(Clock::now() + std::chrono::seconds(options.timeoutSeconds)) {
        client_.connectParams.host = options.host;
        client_.connectParams.port = options.port;
        client_.connectParams.password = password;
    }

    int Execute() {
        client_.connection.connectTimeoutMs = std::min(kMaxConnectMs, RemainingMs());
        if (!ConnectAndAnnounce(client_)) return kExitCannotConnect;
        if (const int failed = AwaitGeometry()) return failed;
        return options_.verb == Verb::Snapshot ? TakeSnapshot() : SendCommandLine();
    }

private:
    int RemainingMs() const {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline_ - Clock::now());
        return static_cast<int>(std::max<long long>(left.count(), 0));
    }

    // One poll with blocked reads bounded by what is left of the run. 1, 0, or an exit code
    // through `failure` when the poll failed or time ran out.
    int Poll(int& failure) {
        const int remaining = RemainingMs();
        if (remaining == 0) {
            std::fprintf(stderr, "telorad-cli: timed out after %d s\n", options_.timeoutSeconds);
            failure = kExitProtocol;
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

    // The login is complete once the first screen geometry has been applied.
    int AwaitGeometry() {
        int failure = 0;
        while (client_.received.screenInfos == 0) {
            if (Poll(failure) < 0) return failure;
        }
        return 0;
    }

    int TakeSnapshot() {
        const auto geometryTime = Clock::now();
        auto lastChange = geometryTime;
        std::uint64_t updates = client_.received.updates;
        int failure = 0;
        for (;;) {
            const auto now = Clock::now();
            if (now - lastChange >= milliseconds(options_.settleMs) ||
                now - geometryTime >= kLongestSettle) {
                break;
            }
            if (Poll(failure) < 0) return failure;
            if (client_.received.updates != updates) {
                updates = client_.received.updates;
                lastChange = Clock::now();
            }
        }
        DisconnectFromServer(client_);
        return WriteSnapshot();
    }

    int WriteSnapshot() {
        const std::vector<std::uint8_t> bytes = EncodeBmpFile(client_.framebuffer);
        if (bytes.empty()) {
            std::fprintf(stderr, "telorad-cli: there is no picture to write\n");
            return kExitProtocol;
        }
        std::ofstream out(options_.output, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<std::streamsize>(bytes.size()));
        if (out) out.close();
        if (!out) {
            std::fprintf(stderr, "telorad-cli: cannot write %s\n", options_.output.c_str());
            std::remove(options_.output.c_str());
            return kExitCannotWrite;
        }
        std::printf("%s: %d x %d, %d bits per pixel, %zu bytes\n", options_.output.c_str(),
                    client_.framebuffer.width, client_.framebuffer.height,
                    client_.framebuffer.bitsPerPixel, bytes.size());
        return kExitOk;
    }

    int SendCommandLine() {
        SendCommand(client_.connection, options_.commandText);
        // Read what the server sends meanwhile, so that closing with unread data does not reset
        // the connection before the command has been taken.
        const auto until = Clock::now() + kCommandLinger;
        int failure = 0;
        while (Clock::now() < until && client_.connection.socket != kNoSocket) {
            if (Poll(failure) < 0) break;
        }
        DisconnectFromServer(client_);
        return kExitOk;
    }

    const Options& options_;
    CliWindowSystem window_;
    Client client_;
    Clock::time_point deadline_;
};

}  // namespace

int RunSession(const Options& options, const std::string& password) {
    Run run(options, password);
    return run.Execute();
}

}  // namespace telorad::cli
