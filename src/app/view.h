#pragma once
// Keeping the window, its scroll bars and the view offsets in step with the picture.
namespace telorad {

struct Client;

// After a new geometry: offsets back to 0, the user's size limit set to the whole picture plus
// the frame, the window fitted to at most 800 × 600, range, page and position of both bars set
// for the new picture (also when the window kept its size), and the visible corner painted.
void FitWindowToPicture(Client& client);

// After every change of the client area: pulls the offsets back into range and sets both bars.
void OnClientSizeChanged(Client& client);

}  // namespace telorad
