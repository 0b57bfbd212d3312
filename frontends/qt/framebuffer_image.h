#pragma once
// The framebuffer seen as a QImage, without copying or converting a pixel: the rows are already
// top-down, padded to 4 bytes, in the layouts Qt knows as RGB555, BGR888 and RGB32.
#include <QtGui/QImage>

#include "screen/screen_bitmap.h"

namespace telorad::qt {

// A null image for a bitmap that does not exist. The image borrows the pixels: it is valid only
// until the framebuffer changes.
QImage WrapFramebuffer(const ScreenBitmap& framebuffer);

// A copy that owns its pixels, for the clipboard and the printer.
QImage CopyFramebuffer(const ScreenBitmap& framebuffer);

}  // namespace telorad::qt
