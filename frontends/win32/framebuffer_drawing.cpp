// The framebuffer's rows are top-down with the padding of a DIB, so GDI draws them without a
// per-pixel conversion: a BITMAPINFO with a negative height describes them.
#include <windows.h>

#include <algorithm>

#include "win32_window_system.h"

namespace telorad::win32 {

void DrawFramebuffer(HDC target, const ScreenBitmap& framebuffer, const PixelRect& source,
                     std::int32_t x, std::int32_t y) {
    if (framebuffer.flags == 0 || framebuffer.rowOrder != RowOrder::TopDown) return;
    const std::int32_t left = std::clamp(source.x, 0, framebuffer.width);
    const std::int32_t top = std::clamp(source.y, 0, framebuffer.height);
    const std::int32_t width = std::min(source.width, framebuffer.width - left);
    const std::int32_t height = std::min(source.height, framebuffer.height - top);
    if (width <= 0 || height <= 0) return;
    // Only the rows drawn, as a DIB of their own: source row 0 is unambiguous in either order.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = framebuffer.width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(framebuffer.bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    const std::uint8_t* rows =
        framebuffer.pixels.data() + static_cast<std::size_t>(top) * framebuffer.stride;
    StretchDIBits(target, x + (left - source.x), y + (top - source.y), width, height, left, 0,
                  width, height, rows, &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace telorad::win32
