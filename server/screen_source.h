#pragma once
// Where the server's picture comes from: the moving synthetic screen or a still BMP file.
#include <cstdint>
#include <string>

#include "canvas.h"
#include "options.h"
#include "screen/screen_bitmap.h"

namespace telorad::server {

struct ScreenSource {
    Canvas canvas;
    bool fromImage = false;
    int fps = 10;
    int bitsPerPixel = 24;
};

// The screen size is the image's with --image, else --size. False with a reason in error.
bool OpenScreenSource(const ServerOptions& options, ScreenSource& source, std::string& error);

// Draws frame number frame and writes it into picture in the protocol's layout at the chosen
// depth. A still image looks the same in every frame, so a picture that already has its
// geometry is left as it is. False when memory runs out.
bool RenderFrame(ScreenSource& source, std::int64_t frame, ScreenBitmap& picture);

}  // namespace telorad::server
