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
        // Small pictures reach every path large ones do. Kept below 128 KiB, they also stay
        // off the fresh mappings (and page faults) that AddressSanitizer gives larger blocks.
        telorad::ReplayRecording(bytes, messages, at, framebuffer, tile, error, 64 << 10);
    }
    return 0;
}
