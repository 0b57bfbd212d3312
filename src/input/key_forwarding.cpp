#include "input/key_forwarding.h"

#include "net/wire.h"

namespace telorad {

void SendKeyStateChanges(Connection& connection, SentKeyTable& sent,
                         const std::function<bool(int)>& isKeyDown) {
    // The message's own key is not looked at: the scan finds every change, auto-repeat finds
    // none, and keys that changed while the window saw no key events are caught up here.
    for (int code = 0; code < kVirtualKeyCount; ++code) {
        const std::uint32_t down = isKeyDown(code) ? 1 : 0;
        std::uint32_t& last = sent[static_cast<std::size_t>(code)];
        if (down == last) continue;
        last = down;
        SendKeyEvent(connection, 1 - down, static_cast<std::uint32_t>(code));
    }
}

void SendReleasesOwed(Connection& connection, SentKeyTable& sent) {
    for (int code = 0; code < kVirtualKeyCount; ++code) {
        std::uint32_t& last = sent[static_cast<std::size_t>(code)];
        if (last == 0) continue;
        last = 0;
        SendKeyEvent(connection, 1, static_cast<std::uint32_t>(code));
    }
}

std::uint32_t PackPosition(std::int32_t x, std::int32_t y, std::int32_t scrollX,
                           std::int32_t scrollY) {
    const std::uint32_t message =
        (static_cast<std::uint32_t>(y) & 0xFFFFu) << 16 | (static_cast<std::uint32_t>(x) & 0xFFFFu);
    return message + static_cast<std::uint32_t>(scrollY) * 65536u +
           static_cast<std::uint32_t>(scrollX);
}

bool CursorSyncDue(std::uint32_t lastSyncTick, std::uint32_t now) {
    // Both sides as signed 32-bit values, the sum wrapping.
    return static_cast<std::int32_t>(lastSyncTick + kCursorSyncIntervalMs) <
           static_cast<std::int32_t>(now);
}

void SendCursorSync(Connection& connection, std::uint32_t& lastSyncTick, std::uint32_t now,
                    std::uint32_t position) {
    if (!CursorSyncDue(lastSyncTick, now)) return;
    lastSyncTick = now;
    SendMouseEvent(connection, kCursorSyncEvent, position);
}

}  // namespace telorad
