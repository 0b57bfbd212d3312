#pragma once
// Keeping the window, its scroll bars and the view offsets in step with the picture.
#include <cstdint>

#include "app/window_system.h"

namespace telorad {

struct Client;

// The main window's outer size at start, which is also how far the user may drag it before the
// first picture: half the screen, but wide enough for the whole menu bar (whose width a large
// font or scale factor can push past half the screen), and never wider than the screen.
Size StartWindowSize(Size screen, std::int32_t menuBarWidth);

// After a new geometry: offsets back to 0, the user's size limit set to the whole picture plus
// the frame, the window fitted to at most 800 × 600, range, page and position of both bars set
// for the new picture (also when the window kept its size), and the visible corner painted.
void FitWindowToPicture(Client& client);

// After every change of the client area: pulls the offsets back into range and sets both bars.
void OnClientSizeChanged(Client& client);

}  // namespace telorad
