#pragma once
// The default screen: colour bars, a grey ramp, two moving shapes and a seven-segment clock
// showing the time since the first frame. Pure function of the frame number, so every run
// with the same options draws the same frames.
#include <cstdint>

#include "canvas.h"

namespace telorad::server {

// Draws frame number frame (0 first) onto the whole canvas; fps turns frames into clock time.
void DrawSyntheticFrame(Canvas& canvas, std::int64_t frame, int fps);

}  // namespace telorad::server
