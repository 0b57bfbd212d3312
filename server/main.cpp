// telorad-server: a development server that speaks the viewer's protocol from the other side.
#include <cstdio>
#include <string>
#include <vector>

#include "dump_frame.h"
#include "event_log.h"
#include "listener.h"
#include "options.h"
#include "screen_source.h"
#include "server_socket.h"
#include "session.h"
#include "telorad_version.h"

namespace {

constexpr int kUsageError = 64;

}  // namespace

int main(int argc, char** argv) {
    using namespace telorad::server;
    StartServerPlatform();

    ServerOptions options;
    const ParseResult parsed =
        ParseOptions(std::vector<std::string>(argv + (argc > 0), argv + argc), options);
    switch (parsed.outcome) {
        case ParseOutcome::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case ParseOutcome::Version:
            std::printf("telorad-server %s\n", telorad::kTeloradVersion);
            return 0;
        case ParseOutcome::Error:
            std::fprintf(stderr, "telorad-server: %s\n%s", parsed.error.c_str(),
                         UsageText().c_str());
            return kUsageError;
        case ParseOutcome::Run:
            break;
    }

    std::string error;
    if (!options.dumpFramePath.empty()) {
        if (!DumpFrame(options, error)) {
            std::fprintf(stderr, "telorad-server: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }

    ScreenSource source;
    if (!OpenScreenSource(options, source, error)) {
        std::fprintf(stderr, "telorad-server: %s\n", error.c_str());
        return 1;
    }
    if (!options.imagePath.empty() && options.sizeGiven) {
        std::fprintf(stderr, "telorad-server: --size ignored, the image is %dx%d\n",
                     source.canvas.width, source.canvas.height);
    }
    EventLog log;
    if (!OpenEventLog(log, options.logPath)) {
        std::fprintf(stderr, "telorad-server: cannot open log %s\n", options.logPath.c_str());
        return 1;
    }
    Listener listener;
    if (!OpenListener(listener, options.listenAddress, options.listenPort, error)) {
        std::fprintf(stderr, "telorad-server: %s\n", error.c_str());
        return 1;
    }
    std::fprintf(stderr, "listening on %s:%u\n", listener.address.c_str(),
                 static_cast<unsigned>(listener.port));
    std::fflush(stderr);

    int status = 0;
    for (;;) {
        std::string peer;
        const telorad::SocketHandle client = AcceptClient(listener, peer);
        if (client == telorad::kNoSocket) {
            std::fprintf(stderr, "telorad-server: accept failed\n");
            status = 1;
            break;
        }
        // A connection that closes without a word (a readiness probe) does not count as the
        // client --once waits for.
        const bool spoke = RunSession(client, peer, options, source, log);
        if (options.once && spoke) break;
    }
    CloseListener(listener);
    CloseEventLog(log);
    return status;
}
