#pragma once
// Writing one frame of the server's picture as a BMP file, so tests can compare a client's
// snapshot with what the server sent, byte for byte.
#include <string>

#include "options.h"

namespace telorad::server {

// Renders DumpFrameNumber(options) of the configured screen and writes it as a BMP file
// (54-byte header, rows bottom-up). False with a reason in error.
bool DumpFrame(const ServerOptions& options, std::string& error);

}  // namespace telorad::server
