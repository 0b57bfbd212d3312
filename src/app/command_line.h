#pragma once
// The viewer's command line: telorad [--help | --version | --replay FILE | [--] HOST[:PORT]].
#include <cstdint>
#include <string>
#include <vector>

namespace telorad {

inline constexpr int kExitUsage = 64;      // a bad argument
inline constexpr int kExitNoDisplay = 69;  // no display to show the window on

enum class ViewerStart { kRun, kHelp, kVersion, kUsageError };

struct ViewerOptions {
    ViewerStart start = ViewerStart::kRun;
    bool serverGiven = false;  // kRun: open the connect dialog on host:port at once
    std::string host;
    std::uint16_t port = 0;
    std::string replayFile;  // kRun: show this recording instead of connecting
    std::string error;  // kUsageError: one line, without the program's name
};

// argv[1..]. --help or --version anywhere wins over everything else, as users expect.
ViewerOptions ParseViewerArguments(const std::vector<std::string>& args);

std::string ViewerUsageText();
std::string ViewerVersionText();

}  // namespace telorad
