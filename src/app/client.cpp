#include "app/client.h"

#include "screen/rle.h"

namespace telorad {

Client::Client(WindowSystem& windowSystem)
    : window(windowSystem), rleScratch(kRleScratchBytes) {
    TransportStartup(connection);
    CreateStartupPicture(framebuffer);
}

Client::~Client() {
    TransportShutdown(connection);
    DestroyScreenBitmap(tile);
    DestroyScreenBitmap(framebuffer);
}

}  // namespace telorad
