#include "framebuffer_image.h"

namespace telorad::qt {
namespace {

QImage::Format FormatFor(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 16:
            return QImage::Format_RGB555;
        case 24:
            return QImage::Format_BGR888;
        case 32:
            return QImage::Format_RGB32;
        default:
            return QImage::Format_Invalid;
    }
}

}  // namespace

QImage WrapFramebuffer(const ScreenBitmap& framebuffer) {
    const QImage::Format format = FormatFor(framebuffer.bitsPerPixel);
    if (framebuffer.flags == 0 || format == QImage::Format_Invalid || framebuffer.width <= 0 ||
        framebuffer.height <= 0) {
        return {};
    }
    const auto needed =
        static_cast<std::size_t>(framebuffer.stride) * static_cast<std::size_t>(framebuffer.height);
    if (framebuffer.stride < RowStride(framebuffer.width, framebuffer.bitsPerPixel) ||
        framebuffer.pixels.size() < needed) {
        return {};
    }
    QImage image(framebuffer.pixels.data(), framebuffer.width, framebuffer.height,
                 framebuffer.stride, format);
    // The framebuffer is kept top-down; a bottom-up one would need a flipped copy.
    return framebuffer.rowOrder == RowOrder::TopDown ? image : image.mirrored();
}

QImage CopyFramebuffer(const ScreenBitmap& framebuffer) {
    const QImage borrowed = WrapFramebuffer(framebuffer);
    // convertToFormat shares the borrowed pixels when the format already matches.
    if (borrowed.format() == QImage::Format_RGB32) return borrowed.copy();
    return borrowed.convertToFormat(QImage::Format_RGB32);
}

}  // namespace telorad::qt
