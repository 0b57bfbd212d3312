#include "app/open_recording.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/client.h"
#include "app/session_recording.h"
#include "app/view.h"

namespace telorad {

bool OpenRecording(Client& client, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::vector<RecordedMessage> messages;
    ScreenBitmap framebuffer;
    ScreenBitmap tile;
    std::string error = "cannot read " + path;
    // The replay goes to bitmaps of its own, so a damaged file changes nothing on the screen.
    const bool replayed = in.is_open() && ReadRecording(bytes, messages, error) &&
                          ReplayRecording(bytes, messages, UINT64_MAX, framebuffer, tile, error);
    if (!replayed || !framebuffer.flags) {
        if (replayed) error = path + " holds no screen geometry";
        client.window.ShowMessageBox(error, "telorad --replay", MessageBoxStyle::Warning);
        return false;
    }
    client.framebuffer = std::move(framebuffer);
    client.tile = std::move(tile);
    FitWindowToPicture(client);
    client.window.RepaintNow();
    return true;
}

}  // namespace telorad
