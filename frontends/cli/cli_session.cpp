#include "cli_session.h"

#include <cstdio>

#include "app/session.h"
#include "net/wire.h"
#include "script_runner.h"
#include "session_recorder.h"
#include "server_link.h"

namespace telorad::cli {

namespace {

int TakeSnapshot(ServerLink& link) {
    if (const int failed = link.AwaitSettled()) return failed;
    DisconnectFromServer(link.client());
    return WritePictureFile(link.options().output, link.client().framebuffer);
}

int SendCommandLine(ServerLink& link) {
    SendCommand(link.client().connection, link.options().commandText);
    link.LingerAndDisconnect();
    return kExitOk;
}

}  // namespace

int RunSession(const Options& options, const std::string& password) {
    CatchInterrupts();
    if (options.verb == Verb::Run) return RunScript(options, password);
    if (options.verb == Verb::Record) return RecordSession(options, password);
    ServerLink link(options, password);
    if (const int failed = link.Login()) return failed;
    return options.verb == Verb::Snapshot ? TakeSnapshot(link) : SendCommandLine(link);
}

}  // namespace telorad::cli
