#include "dump_frame.h"

#include <cstdio>

#include "screen/bmp_file.h"
#include "screen_source.h"

namespace telorad::server {

bool DumpFrame(const ServerOptions& options, std::string& error) {
    ScreenSource source;
    if (!OpenScreenSource(options, source, error)) return false;
    ScreenBitmap picture;
    if (!RenderFrame(source, DumpFrameNumber(options), picture)) {
        error = "not enough memory for the picture";
        return false;
    }
    const std::vector<std::uint8_t> bytes = EncodeBmpFile(picture);
    std::FILE* file = std::fopen(options.dumpFramePath.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot create " + options.dumpFramePath;
        return false;
    }
    const bool written =
        !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        error = "cannot write " + options.dumpFramePath;
        return false;
    }
    return true;
}

}  // namespace telorad::server
