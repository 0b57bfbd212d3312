#include "screen_source.h"

#include "bmp_image.h"
#include "synthetic_picture.h"

namespace telorad::server {

bool OpenScreenSource(const ServerOptions& options, ScreenSource& source, std::string& error) {
    source = ScreenSource{};
    source.fps = options.fps;
    source.bitsPerPixel = options.depth;
    if (!options.imagePath.empty()) {
        source.fromImage = true;
        return LoadBmp24(options.imagePath, source.canvas, error);
    }
    if (!ResizeCanvas(source.canvas, options.width, options.height)) {
        error = "not enough memory for a " + std::to_string(options.width) + "x" +
                std::to_string(options.height) + " picture";
        return false;
    }
    return true;
}

bool RenderFrame(ScreenSource& source, std::int64_t frame, ScreenBitmap& picture) {
    if (source.fromImage) {
        // A still image: a picture of its geometry was converted from it already.
        if (picture.flags != 0 && picture.width == source.canvas.width &&
            picture.height == source.canvas.height && picture.bitsPerPixel == source.bitsPerPixel) {
            return true;
        }
    } else {
        DrawSyntheticFrame(source.canvas, frame, source.fps);
    }
    return ConvertCanvas(source.canvas, source.bitsPerPixel, picture);
}

}  // namespace telorad::server
