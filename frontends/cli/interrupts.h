#pragma once
// Ctrl+C (SIGINT) and SIGTERM set a flag instead of ending the process, so that a run can
// release what it holds and a recording can be closed properly. A wait for the server's bytes
// ends when one of them comes.
#include "net/transport.h"

namespace telorad::cli {

void CatchInterrupts();
bool Interrupted();

// Waits at most waitMs until the connection has something to hand over (bytes, the end of the
// stream or an error) or an interrupt came.
void WaitReceivableOrInterrupt(Connection& connection, int waitMs);

}  // namespace telorad::cli
