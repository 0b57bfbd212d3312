#pragma once
// The remote command: a line of text for the server to run, sent once, no answer awaited.
#include <cstddef>

namespace telorad {

struct Client;

// The longest command sent, in bytes of the wire code page (the dialog's 1,024-byte buffer less
// its NUL).
inline constexpr std::size_t kMaxRemoteCommandBytes = 1023;

// Runs the command dialog; after OK converts the text to the wire code page, cut to
// kMaxRemoteCommandBytes at a character boundary, and sends it, connected or not. Text the code
// page cannot hold is refused with a message box, nothing is sent, and the dialog opens again
// with the text as typed, so the user can mend it.
void RunRemoteCommand(Client& client);

}  // namespace telorad
