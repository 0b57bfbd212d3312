#pragma once
// One headless run: connect, log in, then take a snapshot, send a command, run actions or
// record what the server sends.
#include "cli_options.h"

namespace telorad::cli {

// Runs a connecting verb with the given password bytes; returns the exit code.
int RunSession(const Options& options, const std::string& password);

}  // namespace telorad::cli
