// Feeds arbitrary bytes to the recording reader and replays whatever it accepts at a few
// moments. An accepted file must replay without touching memory outside its bitmaps; refusals
// are fine but must say why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/session_recording.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::vector<telorad::RecordedMessage> messages;
    std::string error;
    if (!telorad::ReadRecording(bytes, messages, error)) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    for (const std::uint64_t at : {std::uint64_t{0}, std::uint64_t{1000000}, UINT64_MAX}) {
        telorad::ScreenBitmap framebuffer;
        telorad::ScreenBitmap tile;
        // A small picture limit keeps one input from asking for a gigabyte.
        telorad::ReplayRecording(bytes, messages, at, framebuffer, tile, error, 4 << 20);
    }
    return 0;
}
