#pragma once
// One headless run: connect, log in, then take a snapshot or send a command.
#include "cli_options.h"

namespace telorad::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitCannotConnect = 2;
inline constexpr int kExitAuthRefused = 3;
inline constexpr int kExitProtocol = 4;
inline constexpr int kExitCannotWrite = 5;
inline constexpr int kExitUsage = 64;

// Runs a snapshot or command verb with the given password bytes; returns the exit code.
int RunSession(const Options& options, const std::string& password);

}  // namespace telorad::cli
