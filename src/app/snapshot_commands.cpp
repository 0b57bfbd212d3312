#include "app/snapshot_commands.h"

#include "app/client.h"
#include "screen/snapshot_export.h"

namespace telorad {

bool SaveSnapshot(Client& client) {
    const std::optional<std::string> path = client.window.AskSaveFileName();
    if (!path) return false;
    return WriteBmpFile(client.framebuffer, *path);
}

bool PrintSnapshot(Client& client) {
    const ScreenBitmap& picture = client.framebuffer;
    return client.window.PrintPicture(picture, [&picture](Size printable) {
        return FitPrintRect(picture.width, picture.height, printable.width, printable.height);
    });
}

void CopySnapshot(Client& client) { client.window.CopyToClipboard(client.framebuffer); }

}  // namespace telorad
