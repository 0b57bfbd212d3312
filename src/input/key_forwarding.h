#pragma once
// Keyboard and mouse forwarding in control mode: keys go to the server as changes against the
// state last sent, buttons as they happen, pointer moves (with cursor sync) at most every 500 ms.
#include <array>
#include <cstdint>
#include <functional>

namespace telorad {

struct Connection;

inline constexpr int kVirtualKeyCount = 256;
// The state of every key code as last sent to the server: 1 down, 0 up.
using SentKeyTable = std::array<std::uint32_t, kVirtualKeyCount>;
inline constexpr std::uint32_t kCursorSyncIntervalMs = 500;

// Window-message numbers that travel as mouse event codes; 0 is a cursor-sync move.
inline constexpr std::uint32_t WM_LBUTTONDOWN_CODE = 0x201;
inline constexpr std::uint32_t WM_LBUTTONUP_CODE = 0x202;
inline constexpr std::uint32_t WM_RBUTTONDOWN_CODE = 0x204;
inline constexpr std::uint32_t WM_RBUTTONUP_CODE = 0x205;
inline constexpr std::uint32_t WM_MBUTTONDOWN_CODE = 0x207;
inline constexpr std::uint32_t WM_MBUTTONUP_CODE = 0x208;
inline constexpr std::uint32_t kCursorSyncEvent = 0;

// Compares every code 0..255 (ascending) with the table and sends one MSG_KEY per
// difference, updating the table first.
void SendKeyStateChanges(Connection& connection, SentKeyTable& sent,
                         const std::function<bool(int)>& isKeyDown);

// Sends a cursor-sync move (event 0) when CursorSyncDue, and notes the time.
void SendCursorSync(Connection& connection, std::uint32_t& lastSyncTick, std::uint32_t now,
                    std::uint32_t position);

// Sends a release for every code the table says is down (ascending) and marks it up.
void SendReleasesOwed(Connection& connection, SentKeyTable& sent);

// The client-area position as the window message packs it (x in the low, y in the high 16 bits)
// plus the scroll offsets, modulo 2^32.
std::uint32_t PackPosition(std::int32_t x, std::int32_t y, std::int32_t scrollX,
                           std::int32_t scrollY);

// The throttle rule alone: whether a sync move at `now` may go out.
bool CursorSyncDue(std::uint32_t lastSyncTick, std::uint32_t now);

}  // namespace telorad
