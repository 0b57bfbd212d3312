#pragma once
// `telorad-cli run`: the actions, in order, over one connection.
#include <string>

#include "cli_options.h"

namespace telorad::cli {

// Reads the pictures that expect compares with, logs in and runs options.actions. Every key
// and button still held is released before it returns, whatever the outcome. The exit code.
int RunScript(const Options& options, const std::string& password);

}  // namespace telorad::cli
