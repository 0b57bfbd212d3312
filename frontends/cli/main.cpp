// telorad-cli: the headless client. Takes a snapshot of a server's screen or sends it a command.
#include <cstdio>
#include <string>
#include <vector>

#include "cli_options.h"
#include "cli_session.h"
#include "hosts/host_history.h"
#include "hosts/connect_params.h"
#include "password_source.h"
#include "telorad_version.h"

int main(int argc, char** argv) {
    using namespace telorad::cli;
    // argc is 0 when the program was started with an empty argument list.
    const std::vector<std::string> args(argv + (argc > 0), argv + argc);
    std::string error;
    const auto options = ParseOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "telorad-cli: %s\n%s", error.c_str(), UsageText("").c_str());
        return kExitUsage;
    }
    if (options->verb == Verb::Version) {
        std::printf("telorad-cli %s\n", telorad::kTeloradVersion);
        return kExitOk;
    }
    if (options->verb == Verb::Help) {
        std::printf("%s", UsageText(options->helpFor).c_str());
        return kExitOk;
    }

    std::string password;
    std::string message;
    const std::string label = telorad::MakeHostLabel(options->host, options->port);
    const PasswordStatus status = FindPassword(options->passwordFile, label, password, message);
    if (status != PasswordStatus::Found) {
        std::fprintf(stderr, "telorad-cli: %s\n", message.c_str());
        return kExitUsage;
    }
    if (password.size() > telorad::kMaxPasswordBytes) {
        std::fprintf(stderr, "telorad-cli: the password is cut to its first %zu bytes\n",
                     telorad::kMaxPasswordBytes);
        password.resize(telorad::kMaxPasswordBytes);
    }
    return RunSession(*options, password);
}
