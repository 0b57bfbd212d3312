#include "app/command_line.h"

#include "hosts/connect_params.h"
#include "hosts/host_port.h"
#include "telorad_version.h"

namespace telorad {

ViewerOptions ParseViewerArguments(const std::vector<std::string>& args) {
    ViewerOptions options;
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") options.start = ViewerStart::kHelp;
        if (arg == "--version" && options.start != ViewerStart::kHelp) {
            options.start = ViewerStart::kVersion;
        }
    }
    if (options.start != ViewerStart::kRun) return options;

    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t n = 0; n < args.size(); ++n) {
        const std::string& arg = args[n];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--replay" && n + 1 < args.size()) {
            options.replayFile = args[++n];
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            options.start = ViewerStart::kUsageError;
            options.error = arg == "--replay" ? "--replay needs a FILE" : "unknown option '" + arg + "'";
            return options;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() > 1) {
        options.start = ViewerStart::kUsageError;
        options.error = "one server at most, as HOST[:PORT]";
        return options;
    }
    if (positional.size() == 1 && !options.replayFile.empty()) {
        options.start = ViewerStart::kUsageError;
        options.error = "a recording or a server, not both";
        return options;
    }
    if (positional.size() == 1) {
        options.port = kDefaultPort;
        if (!ParseHostPort(positional[0], options.host, options.port, options.error)) {
            options.start = ViewerStart::kUsageError;
            options.error = "bad server '" + positional[0] + "': " + options.error;
            return options;
        }
        options.serverGiven = true;
    }
    return options;
}

std::string ViewerUsageText() {
    return "usage: telorad [HOST[:PORT]]\n"
           "       telorad --replay FILE\n"
           "       telorad --help | --version\n"
           "Shows the screen of a remote computer. With HOST[:PORT] (port 9876 when none is\n"
           "given) the connect dialog opens at once with that server filled in, and with its\n"
           "password when one is remembered, so Enter connects. With --replay the window shows\n"
           "the last picture of a recording made by telorad-cli record, without any server.\n"
           "Exit codes: 0 window closed, 64 bad argument, 69 no display to open.\n";
}

std::string ViewerVersionText() { return std::string("telorad ") + kTeloradVersion + "\n"; }

}  // namespace telorad
