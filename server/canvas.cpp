#include "canvas.h"

#include <algorithm>
#include <exception>

namespace telorad::server {

bool ResizeCanvas(Canvas& canvas, int width, int height) {
    canvas = Canvas{};
    try {
        canvas.rgb.assign(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0), 0);
    } catch (const std::exception&) {
        return false;
    }
    canvas.width = std::max(width, 0);
    canvas.height = std::max(height, 0);
    return true;
}

void FillRect(Canvas& canvas, std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
              std::uint32_t rgb) {
    const std::int64_t left = std::max<std::int64_t>(x, 0);
    const std::int64_t top = std::max<std::int64_t>(y, 0);
    const std::int64_t right = std::min<std::int64_t>(x + w, canvas.width);
    const std::int64_t bottom = std::min<std::int64_t>(y + h, canvas.height);
    for (std::int64_t row = top; row < bottom; ++row) {
        auto first = canvas.rgb.begin() + row * canvas.width;
        std::fill(first + left, first + std::max(left, right), rgb);
    }
}

void FillCircle(Canvas& canvas, std::int64_t cx, std::int64_t cy, std::int64_t radius,
                std::uint32_t rgb) {
    if (radius <= 0) return;
    const std::int64_t top = std::max<std::int64_t>(cy - radius, 0);
    const std::int64_t bottom = std::min<std::int64_t>(cy + radius, canvas.height - 1);
    for (std::int64_t row = top; row <= bottom; ++row) {
        const std::int64_t dy = row - cy;
        // Widest dx with dx² + dy² <= r², by integer search from the outside in.
        std::int64_t dx = radius;
        while (dx > 0 && dx * dx + dy * dy > radius * radius) --dx;
        FillRect(canvas, cx - dx, row, 2 * dx + 1, 1, rgb);
    }
}

bool ConvertCanvas(const Canvas& canvas, int bitsPerPixel, ScreenBitmap& picture) {
    if (picture.flags == 0 || picture.width != canvas.width || picture.height != canvas.height ||
        picture.bitsPerPixel != bitsPerPixel || picture.rowOrder != RowOrder::BottomUp) {
        if (!CreateScreenBitmap(picture, canvas.width, canvas.height, bitsPerPixel,
                                RowOrder::BottomUp)) {
            return false;
        }
    }
    const std::size_t stride = static_cast<std::size_t>(picture.stride);
    for (int y = 0; y < canvas.height; ++y) {
        const std::uint32_t* in = canvas.rgb.data() + static_cast<std::size_t>(y) * canvas.width;
        std::uint8_t* out = picture.pixels.data() + (canvas.height - 1 - y) * stride;
        // One loop per depth: this runs over every pixel of every frame.
        if (bitsPerPixel == 16) {
            for (int x = 0; x < canvas.width; ++x, out += 2) {
                const std::uint32_t c = in[x];
                const std::uint32_t word =
                    (c >> 9 & 0x7C00) | (c >> 6 & 0x03E0) | (c >> 3 & 0x001F);
                out[0] = static_cast<std::uint8_t>(word);
                out[1] = static_cast<std::uint8_t>(word >> 8);
            }
        } else if (bitsPerPixel == 32) {
            for (int x = 0; x < canvas.width; ++x, out += 4) {
                const std::uint32_t c = in[x] & 0xFFFFFF;
                out[0] = static_cast<std::uint8_t>(c);
                out[1] = static_cast<std::uint8_t>(c >> 8);
                out[2] = static_cast<std::uint8_t>(c >> 16);
                out[3] = 0;
            }
        } else {
            for (int x = 0; x < canvas.width; ++x, out += 3) {
                const std::uint32_t c = in[x];
                out[0] = static_cast<std::uint8_t>(c);
                out[1] = static_cast<std::uint8_t>(c >> 8);
                out[2] = static_cast<std::uint8_t>(c >> 16);
            }
        }
    }
    return true;
}

}  // namespace telorad::server
