#pragma once
// `telorad-cli record` and `telorad-cli replay`.
#include <string>

#include "cli_options.h"

namespace telorad::cli {

// Logs in and writes every screen message into options.output (mode 0600) until the duration,
// the frame count or Ctrl+C. The exit code.
int RecordSession(const Options& options, const std::string& password);

// Writes the picture of options.recording at options.atSeconds into options.output.
int ReplayRecordingToFile(const Options& options);

}  // namespace telorad::cli
