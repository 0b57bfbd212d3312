#pragma once
// The view onto the framebuffer: scroll offsets, the two scroll bars' records, and the largest
// outer window size the user may drag the window to. The arithmetic here is pure; the app layer
// applies it to the window.
#include <cstdint>

#include "screen/update_rect.h"

namespace telorad {

struct ScrollBarInfo {
    std::int32_t min = 0;
    std::int32_t max = 0;   // picture size - 1
    std::int32_t page = 0;  // client size at the last size change
    std::int32_t pos = 0;
};

struct ViewState {
    std::int32_t scrollX = 0;
    std::int32_t scrollY = 0;
    ScrollBarInfo hScrollInfo;
    ScrollBarInfo vScrollInfo;
    std::int32_t maxWindowWidth = 0;
    std::int32_t maxWindowHeight = 0;
};

inline constexpr std::int32_t kFitMaxWidth = 800;
inline constexpr std::int32_t kFitMaxHeight = 600;
inline constexpr std::int32_t kNonClientHeightGuess = 120;

inline constexpr std::int32_t kLineStep = 10;
inline constexpr std::int32_t kPageStep = 80;
inline constexpr std::int32_t kWheelStep = 16;       // pixels per notch
inline constexpr std::int32_t kWheelNotch = 120;     // wheel delta of one notch
inline constexpr std::int32_t kAutoScrollBand = 48;  // pixels along each edge
inline constexpr std::int32_t kAutoScrollStep = 16;
inline constexpr std::uint32_t kWheelShiftOnly = 4;  // key state: Shift, nothing else

// Scroll-bar request codes of the platform.
inline constexpr int SB_REQUEST_LINE_UP = 0;
inline constexpr int SB_REQUEST_LINE_DOWN = 1;
inline constexpr int SB_REQUEST_PAGE_UP = 2;
inline constexpr int SB_REQUEST_PAGE_DOWN = 3;
inline constexpr int SB_REQUEST_THUMB_POSITION = 4;
inline constexpr int SB_REQUEST_THUMB_TRACK = 5;

// Limits a request to move the view by `request` pixels along one axis, so that the offset
// stays between 0 and picture extent - page. Nothing moves along an axis on which the picture
// is not larger than the page.
std::int32_t LimitScrollRequest(std::int32_t request, std::int32_t offset,
                                std::int32_t pictureExtent, std::int32_t page);

// The move a scroll-bar request code asks for along the bar's axis: lines of 10, pages of 80,
// the thumb being dragged to thumbPosition; 0 for the release of the thumb and every other code.
std::int32_t ScrollRequestAmount(int code, std::uint32_t thumbPosition, std::int32_t offset);

// Pixels to scroll for a wheel delta: -delta × 16 / 120, truncated toward zero.
std::int32_t WheelScrollAmount(std::int32_t delta);

// One axis of the automatic scrolling: -16 in the band of 48 pixels at the near edge, +16 where
// the coordinate plus 48 passes the page, 0 when both or neither hold. The coordinate is the
// 16-bit pointer coordinate; all comparisons are unsigned.
std::int32_t AutoScrollStep(std::uint32_t coordinate, std::int32_t page);

// The largest outer extent the user may drag the window to along one axis: the stored limit
// plus the scroll bar that stands across that axis, when it is shown.
std::int32_t WindowExtentLimit(std::int32_t maxExtent, bool crossingBarShown,
                               std::int32_t crossingBarSize);

// After the client area changed size along one axis: when it reaches past the picture's far
// edge, the offset is pulled back so that the edges meet, but never below 0.
std::int32_t PullBackOffset(std::int32_t offset, std::int32_t clientExtent,
                            std::int32_t pictureExtent);

// The corner of the framebuffer that the client area shows: (scrollX, scrollY) and the client
// size, clipped to the picture (empty where the client area lies wholly beyond it).
PixelRect VisibleRect(const ViewState& view, std::int32_t clientWidth, std::int32_t clientHeight,
                      std::int32_t pictureWidth, std::int32_t pictureHeight);

}  // namespace telorad
