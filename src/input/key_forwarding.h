#pragma once
// Keyboard and mouse forwarding in control mode: keys go to the server as changes against the
// state last sent, buttons as they happen, pointer moves (with cursor sync) at most every 500 ms.
#include <cstdint>

namespace telorad {

struct Client;

inline constexpr int kVirtualKeyCount = 256;
inline constexpr std::uint32_t kCursorSyncIntervalMs = 500;

// Window-message numbers that travel as mouse event codes; 0 is a cursor-sync move.
inline constexpr std::uint32_t WM_LBUTTONDOWN_CODE = 0x201;
inline constexpr std::uint32_t WM_LBUTTONUP_CODE = 0x202;
inline constexpr std::uint32_t WM_RBUTTONDOWN_CODE = 0x204;
inline constexpr std::uint32_t WM_RBUTTONUP_CODE = 0x205;
inline constexpr std::uint32_t WM_MBUTTONDOWN_CODE = 0x207;
inline constexpr std::uint32_t WM_MBUTTONUP_CODE = 0x208;
inline constexpr std::uint32_t kCursorSyncEvent = 0;

// In control mode: compares every code 0..255 (ascending) with sentKeyState and sends one
// MSG_KEY per difference, updating the table first. Outside control mode nothing happens.
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

// The client-area position as the window message packs it (x in the low, y in the high 16 bits)
// plus the scroll offsets, modulo 2^32.
std::uint32_t PackPosition(std::int32_t x, std::int32_t y, std::int32_t scrollX,
                           std::int32_t scrollY);

// The throttle rule alone: whether a sync move at `now` may go out.
bool CursorSyncDue(std::uint32_t lastSyncTick, std::uint32_t now);

}  // namespace telorad
