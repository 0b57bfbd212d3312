#pragma once
// The view onto the framebuffer: scroll offsets, the two scroll bars' records, and the largest
// outer window size the user may drag the window to.
#include <cstdint>

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

}  // namespace telorad
