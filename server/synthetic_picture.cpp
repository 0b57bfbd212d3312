#include "synthetic_picture.h"

#include <algorithm>
#include <string>

namespace telorad::server {

namespace {

constexpr std::uint32_t kBackground = Rgb(0x1C, 0x28, 0x33);
constexpr std::uint32_t kBars[8] = {Rgb(255, 255, 255), Rgb(255, 255, 0), Rgb(0, 255, 255),
                                    Rgb(0, 255, 0),     Rgb(255, 0, 255), Rgb(255, 0, 0),
                                    Rgb(0, 0, 255),     Rgb(0, 0, 0)};
constexpr std::uint32_t kClockColour = Rgb(0xFF, 0x80, 0x20);
constexpr std::uint32_t kCounterColour = Rgb(0x80, 0xE0, 0x80);

// Segments a to g in bits 0 to 6.
constexpr std::uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

// Goes 0 → range → 0 at speed pixels per frame.
std::int64_t Bounce(std::int64_t frame, std::int64_t speed, std::int64_t range) {
    if (range <= 0) return 0;
    const std::int64_t period = 2 * range;
    const std::int64_t u = (frame % period) * speed % period;
    return u < range ? u : period - u;
}

struct TextStyle {
    std::int64_t digitWidth;
    std::int64_t digitHeight;
    std::int64_t thickness;
    std::uint32_t rgb;
};

std::int64_t Advance(const TextStyle& style, char c) {
    const std::int64_t gap = style.thickness * 2;
    return (c == ':' || c == '.') ? style.thickness + gap : style.digitWidth + gap;
}

std::int64_t TextWidth(const TextStyle& style, const std::string& text) {
    std::int64_t width = 0;
    for (char c : text) width += Advance(style, c);
    return width;
}

void DrawDigit(Canvas& canvas, std::int64_t x, std::int64_t y, const TextStyle& style, int digit) {
    const std::int64_t w = style.digitWidth;
    const std::int64_t h = style.digitHeight;
    const std::int64_t t = style.thickness;
    const std::int64_t half = h / 2;
    const std::uint8_t mask = kSegments[digit];
    if (mask & 0x01) FillRect(canvas, x, y, w, t, style.rgb);                        // a
    if (mask & 0x02) FillRect(canvas, x + w - t, y, t, half + 1, style.rgb);         // b
    if (mask & 0x04) FillRect(canvas, x + w - t, y + half, t, h - half, style.rgb);  // c
    if (mask & 0x08) FillRect(canvas, x, y + h - t, w, t, style.rgb);                // d
    if (mask & 0x10) FillRect(canvas, x, y + half, t, h - half, style.rgb);          // e
    if (mask & 0x20) FillRect(canvas, x, y, t, half + 1, style.rgb);                 // f
    if (mask & 0x40) FillRect(canvas, x, y + half - t / 2, w, t, style.rgb);         // g
}

void DrawText(Canvas& canvas, std::int64_t x, std::int64_t y, const TextStyle& style,
              const std::string& text) {
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            DrawDigit(canvas, x, y, style, c - '0');
        } else if (c == ':') {
            FillRect(canvas, x, y + style.digitHeight / 4, style.thickness, style.thickness,
                     style.rgb);
            FillRect(canvas, x, y + style.digitHeight * 3 / 4 - style.thickness, style.thickness,
                     style.thickness, style.rgb);
        } else if (c == '.') {
            FillRect(canvas, x, y + style.digitHeight - style.thickness, style.thickness,
                     style.thickness, style.rgb);
        }
        x += Advance(style, c);
    }
}

std::string TwoDigits(std::int64_t value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

TextStyle MakeStyle(std::int64_t digitHeight, std::uint32_t rgb) {
    digitHeight = std::max<std::int64_t>(digitHeight, 5);
    return {std::max<std::int64_t>(digitHeight / 2, 3), digitHeight,
            std::max<std::int64_t>(digitHeight / 10, 1), rgb};
}

}  // namespace

void DrawSyntheticFrame(Canvas& canvas, std::int64_t frame, int fps) {
    const std::int64_t w = canvas.width;
    const std::int64_t h = canvas.height;
    FillRect(canvas, 0, 0, w, h, kBackground);

    // Colour bars across the top quarter, a 16-step grey ramp under them.
    const std::int64_t barsHeight = h / 4;
    for (std::int64_t k = 0; k < 8; ++k) {
        FillRect(canvas, w * k / 8, 0, w * (k + 1) / 8 - w * k / 8, barsHeight, kBars[k]);
    }
    const std::int64_t rampHeight = h / 16;
    for (std::int64_t k = 0; k < 16; ++k) {
        const std::uint32_t level = static_cast<std::uint32_t>(k * 17);
        FillRect(canvas, w * k / 16, barsHeight, w * (k + 1) / 16 - w * k / 16, rampHeight,
                 Rgb(level, level, level));
    }

    // The moving shapes share the band between the ramp and the clock.
    const std::int64_t bandTop = barsHeight + rampHeight;
    const std::int64_t bandHeight = h * 9 / 16 - bandTop;
    const std::int64_t side = std::max<std::int64_t>(std::min(w, h) / 10, 2);
    const std::int64_t squareX = Bounce(frame, 7, w - side);
    const std::int64_t squareY = bandTop + Bounce(frame, 5, bandHeight - side);
    FillRect(canvas, squareX, squareY, side, side, Rgb(0xE0, 0x30, 0x30));
    FillRect(canvas, squareX + side / 4, squareY + side / 4, side / 2, side / 2,
             Rgb(0xFF, 0xFF, 0xFF));
    const std::int64_t radius = side * 2 / 3;
    const std::int64_t circleX = radius + Bounce(frame, 11, w - 2 * radius);
    const std::int64_t circleY = bandTop + bandHeight / 2;
    FillCircle(canvas, circleX, circleY, radius, Rgb(0x30, 0xA0, 0xF0));

    // Clock: minutes, seconds and tenths since the first frame; a frame counter beneath.
    const std::int64_t tenths = frame * 10 / std::max(fps, 1);
    const std::string clock = TwoDigits(tenths / 600 % 100) + ":" + TwoDigits(tenths / 10 % 60) +
                              "." + std::string(1, static_cast<char>('0' + tenths % 10));
    const TextStyle clockStyle = MakeStyle(h / 6, kClockColour);
    const std::int64_t clockY = h * 11 / 16 - clockStyle.digitHeight / 2;
    DrawText(canvas, (w - TextWidth(clockStyle, clock)) / 2, clockY, clockStyle, clock);

    std::string counter = std::to_string(frame % 1000000);
    counter.insert(0, 6 - counter.size(), '0');
    const TextStyle counterStyle = MakeStyle(h / 16, kCounterColour);
    DrawText(canvas, (w - TextWidth(counterStyle, counter)) / 2,
             clockY + clockStyle.digitHeight + counterStyle.digitHeight / 2, counterStyle, counter);
}

}  // namespace telorad::server
