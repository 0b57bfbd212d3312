#pragma once
// The headless client's command line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli_actions.h"

namespace telorad::cli {

enum class Verb { Snapshot, Command, Run, Record, Replay, Help, Version };

struct Options {
    Verb verb = Verb::Help;
    std::string passwordFile;
    int timeoutSeconds = 30;
    int settleMs = 500;
    std::string host;
    std::uint16_t port = 9876;
    std::string output;       // snapshot, record (the recording), replay (the picture)
    std::string commandText;  // command
    std::string helpFor;      // a verb, or empty for the overview
    // run
    std::vector<Action> actions;
    std::string scriptPath;  // "-" is standard input
    int expectTimeoutSeconds = 10;
    // record: 0 for no limit
    int durationSeconds = 0;
    int frames = 0;
    // replay
    std::string recording;
    double atSeconds = -1;  // negative: the end
};

// Parses argv[1..]; std::nullopt with `error` set on a usage error. Actions of `run` are
// checked here; a script file is read and checked by LoadScript.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// Appends the actions of options.scriptPath, if any. False with `error` on a read or parse error.
bool LoadScript(Options& options, std::string& error);

std::string UsageText(const std::string& verb);

}  // namespace telorad::cli
