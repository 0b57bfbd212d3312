#include "cli_options.h"

#include <charconv>

#include "hosts/host_port.h"

namespace telorad::cli {

namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && value >= low && value <= high;
}

}  // namespace

std::string UsageText(const std::string& verb) {
    if (verb == "snapshot") {
        return "usage: telorad-cli snapshot [--password-file FILE] [--timeout S] [--settle MS] "
               "HOST[:PORT] OUTPUT.bmp\n"
               "Connects (port 9876 when none is given), logs in, waits for the picture to settle\n"
               "(no update for --settle ms, default 500, or 5 s after the screen geometry) and\n"
               "writes it as a BMP file. --timeout (default 30 s) bounds the whole run.\n"
               "Password: the bytes of --password-file (one trailing newline removed), else\n"
               "$TELORAD_PASSWORD, else the one remembered in remote.ini for HOST:PORT, else empty.\n"
               "Exit codes: 0 written, 2 cannot connect, 3 password refused, 4 protocol error,\n"
               "connection ended or time-out, 5 output not writable, 64 usage error.\n";
    }
    if (verb == "command") {
        return "usage: telorad-cli command [--password-file FILE] [--timeout S] HOST[:PORT] TEXT\n"
               "Logs in like snapshot, sends TEXT as a command line for the server to run, and\n"
               "disconnects. Same password sources and exit codes as snapshot.\n";
    }
    return "usage: telorad-cli snapshot [options] HOST[:PORT] OUTPUT.bmp\n"
           "       telorad-cli command [options] HOST[:PORT] TEXT\n"
           "       telorad-cli --version\n"
           "Run 'telorad-cli COMMAND --help' for the options of a command.\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    if (args.empty()) {
        error = "missing command";
        return std::nullopt;
    }
    const std::string& verb = args[0];
    if (verb == "--version") {
        options.verb = Verb::Version;
        return options;
    }
    if (verb == "--help" || verb == "-h") {
        options.verb = Verb::Help;
        return options;
    }
    if (verb == "snapshot") {
        options.verb = Verb::Snapshot;
    } else if (verb == "command") {
        options.verb = Verb::Command;
    } else {
        error = "unknown command '" + verb + "'";
        return std::nullopt;
    }

    std::vector<std::string> positional;
    for (std::size_t n = 1; n < args.size(); ++n) {
        const std::string& arg = args[n];
        const bool hasValue = n + 1 < args.size();
        long long value = 0;
        if (arg == "--help" || arg == "-h") {
            options.helpFor = verb;
            options.verb = Verb::Help;
            return options;
        } else if (arg == "--password-file" && hasValue) {
            options.passwordFile = args[++n];
        } else if (arg == "--timeout" && hasValue) {
            if (!ParseNumber(args[++n], 1, 86400, value)) {
                error = "--timeout takes whole seconds from 1 to 86400";
                return std::nullopt;
            }
            options.timeoutSeconds = static_cast<int>(value);
        } else if (arg == "--settle" && hasValue && options.verb == Verb::Snapshot) {
            if (!ParseNumber(args[++n], 0, 600000, value)) {
                error = "--settle takes milliseconds from 0 to 600000";
                return std::nullopt;
            }
            options.settleMs = static_cast<int>(value);
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(n) + 1, args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-' && positional.empty()) {
            error = "unknown or incomplete option '" + arg + "'";
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) {
        error = options.verb == Verb::Snapshot ? "expected HOST[:PORT] and OUTPUT.bmp"
                                               : "expected HOST[:PORT] and TEXT";
        return std::nullopt;
    }
    std::string why;
    if (!ParseHostPort(positional[0], options.host, options.port, why)) {
        error = "bad HOST[:PORT] '" + positional[0] + "': " + why;
        return std::nullopt;
    }
    (options.verb == Verb::Snapshot ? options.output : options.commandText) = positional[1];
    return options;
}

}  // namespace telorad::cli
