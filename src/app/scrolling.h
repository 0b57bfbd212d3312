#pragma once
// Moving the view over the picture: every scrolling path ends in ScrollView.
#include <cstdint>

namespace telorad {

struct Client;

// Moves the view by up to (dx, dy) pixels, keeping both offsets within the picture; sets both
// scroll bars, moves what the window shows and repaints the uncovered strips at once. A request
// that leaves nothing to move does nothing at all.
void ScrollView(Client& client, std::int32_t dx, std::int32_t dy);

// While the Auto scroll mark is set: moves the view 16 pixels toward an edge when the pointer,
// at (x, y) in the client area, lies in the 48-pixel band along it.
void AutoScroll(Client& client, std::int32_t x, std::int32_t y);

}  // namespace telorad
