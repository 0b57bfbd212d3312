// telorad-cli: the headless client. Snapshots, commands, scripted input, recordings.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli_options.h"
#include "cli_session.h"
#include "input/key_names.h"
#include "server_link.h"
#include "session_recorder.h"
#include "hosts/host_history.h"
#include "hosts/connect_params.h"
#include "password_source.h"
#include "telorad_version.h"

namespace {

void PrintKeyNames() {
    std::printf("Key names (case does not matter; 0x01 to 0xFF name any code):\n");
    std::string line;
    for (const telorad::KeyName& key : telorad::KeyNames()) {
        char entry[64];
        std::snprintf(entry, sizeof entry, " %s=0x%02X", key.name, key.code);
        if (line.size() + std::strlen(entry) > 80) {
            std::printf("%s\n", line.c_str());
            line.clear();
        }
        line += entry;
    }
    std::printf("%s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace telorad::cli;
    // argc is 0 when the program was started with an empty argument list.
    const std::vector<std::string> args(argv + (argc > 0), argv + argc);
    std::string error;
    auto options = ParseOptions(args, error);
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
        if (options->helpFor == "run") PrintKeyNames();
        return kExitOk;
    }
    if (options->verb == Verb::Replay) return ReplayRecordingToFile(*options);
    if (!LoadScript(*options, error)) {
        std::fprintf(stderr, "telorad-cli: %s\n", error.c_str());
        return kExitUsage;
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
