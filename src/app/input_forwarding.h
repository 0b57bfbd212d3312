#pragma once
// Keyboard and mouse forwarding as the window's events reach the client: in control mode only,
// with the client's connection, key table and view offsets handed to the rules in input/.
#include <cstdint>

namespace telorad {

struct Client;

// In control mode: one MSG_KEY per key whose state differs from the table last sent.
// Outside control mode nothing happens.
void SendKeyChanges(Client& client);

// The window lost the keyboard focus: in control mode, a release for every code the server was
// last told is down (ascending), at once, so no key stays held there while another window has
// the keyboard. Outside control mode nothing happens.
void ReleaseSentKeys(Client& client);

// In control mode: sends the button event with the packed framebuffer position.
void ForwardMouseButton(Client& client, std::uint32_t event, std::int32_t x, std::int32_t y);

// With control mode and cursor sync both on: sends a move (event 0) when more than 500 ms
// have passed since the last one, by the strict signed comparison lastSyncTick + 500 < now.
void SyncCursor(Client& client, std::int32_t x, std::int32_t y);

}  // namespace telorad
