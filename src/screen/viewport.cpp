#include "screen/viewport.h"

#include <algorithm>
#include <limits>

namespace telorad {

namespace {

std::int32_t ClampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::int32_t LimitScrollRequest(std::int32_t request, std::int32_t offset,
                                std::int32_t pictureExtent, std::int32_t page) {
    // 64 bits, so that no request or stale page can overflow on the way.
    std::int64_t amount = request;
    amount = std::min<std::int64_t>(amount, std::int64_t{pictureExtent} - offset - page);
    amount = std::max<std::int64_t>(amount, -std::int64_t{offset});
    return ClampToInt32(amount);
}

std::int32_t ScrollRequestAmount(int code, std::uint32_t thumbPosition, std::int32_t offset) {
    switch (code) {
        case SB_REQUEST_LINE_UP:
            return -kLineStep;
        case SB_REQUEST_LINE_DOWN:
            return kLineStep;
        case SB_REQUEST_PAGE_UP:
            return -kPageStep;
        case SB_REQUEST_PAGE_DOWN:
            return kPageStep;
        case SB_REQUEST_THUMB_TRACK:
            return ClampToInt32(std::int64_t{thumbPosition} - offset);
        default:  // thumb released, top, bottom, end of scroll
            return 0;
    }
}

std::int32_t WheelScrollAmount(std::int32_t delta) {
    // Integer division truncates toward zero, so small deltas move nothing.
    return static_cast<std::int32_t>(-std::int64_t{delta} * kWheelStep / kWheelNotch);
}

std::int32_t AutoScrollStep(std::uint32_t coordinate, std::int32_t page) {
    const std::uint32_t position = coordinate & 0xFFFFu;
    const std::uint32_t band = static_cast<std::uint32_t>(kAutoScrollBand);
    const int towardFar = static_cast<std::uint32_t>(page) < position + band ? 1 : 0;
    const int towardNear = position < band ? 1 : 0;
    return kAutoScrollStep * (towardFar - towardNear);
}

std::int32_t WindowExtentLimit(std::int32_t maxExtent, bool crossingBarShown,
                               std::int32_t crossingBarSize) {
    if (!crossingBarShown) return maxExtent;
    return ClampToInt32(std::int64_t{maxExtent} + crossingBarSize);
}

std::int32_t PullBackOffset(std::int32_t offset, std::int32_t clientExtent,
                            std::int32_t pictureExtent) {
    if (std::int64_t{clientExtent} < std::int64_t{pictureExtent} - offset) return offset;
    return ClampToInt32(std::max<std::int64_t>(std::int64_t{pictureExtent} - clientExtent, 0));
}

PixelRect VisibleRect(const ViewState& view, std::int32_t clientWidth, std::int32_t clientHeight,
                      std::int32_t pictureWidth, std::int32_t pictureHeight) {
    PixelRect rect{view.scrollX, view.scrollY, 0, 0};
    rect.width = ClampToInt32(
        std::min<std::int64_t>(clientWidth, std::int64_t{pictureWidth} - view.scrollX));
    rect.height = ClampToInt32(
        std::min<std::int64_t>(clientHeight, std::int64_t{pictureHeight} - view.scrollY));
    if (rect.x < 0 || rect.y < 0 || rect.Empty()) return {view.scrollX, view.scrollY, 0, 0};
    return rect;
}

}  // namespace telorad
