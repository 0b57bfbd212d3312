#pragma once
// The viewer showing a recording instead of a server's screen.
#include <string>

namespace telorad {

struct Client;

// Replays the whole recording at `path` into the client's picture and fits the window to it.
// A file that cannot be read or is damaged leaves the picture as it was and says why in a
// message box. True when the picture was replaced.
bool OpenRecording(Client& client, const std::string& path);

}  // namespace telorad
