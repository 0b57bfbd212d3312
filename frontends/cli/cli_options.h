#pragma once
// The headless client's command line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace telorad::cli {

enum class Verb { Snapshot, Command, Help, Version };

struct Options {
    Verb verb = Verb::Help;
    std::string passwordFile;
    int timeoutSeconds = 30;
    int settleMs = 500;
    std::string host;
    std::uint16_t port = 9876;
    std::string output;       // snapshot
    std::string commandText;  // command
    std::string helpFor;      // "snapshot", "command" or empty for the overview
};

// Parses argv[1..]; std::nullopt with `error` set on a usage error.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

std::string UsageText(const std::string& verb);

}  // namespace telorad::cli
