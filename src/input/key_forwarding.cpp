#include "input/key_forwarding.h"

#include "app/client.h"
#include "app/commands.h"
#include "net/wire.h"

namespace telorad {

namespace {

bool ControlMode(Client& client) { return client.window.IsMenuItemChecked(IDM_MODE_CONTROL); }

}  // namespace

void SendKeyChanges(Client& client) {
    if (!ControlMode(client)) return;
    // The message's own key is not looked at: the scan finds every change, auto-repeat finds
    // none, and keys that changed while the window saw no key events are caught up here.
    for (int code = 0; code < kVirtualKeyCount; ++code) {
        const std::uint32_t down = client.window.IsKeyDown(code) ? 1 : 0;
        std::uint32_t& sent = client.sentKeyState[static_cast<std::size_t>(code)];
        if (down == sent) continue;
        sent = down;
        SendKeyEvent(client.connection, 1 - down, static_cast<std::uint32_t>(code));
    }
}

void ReleaseSentKeys(Client& client) {
    if (!ControlMode(client)) return;
    for (int code = 0; code < kVirtualKeyCount; ++code) {
        std::uint32_t& sent = client.sentKeyState[static_cast<std::size_t>(code)];
        if (sent == 0) continue;
        sent = 0;
        SendKeyEvent(client.connection, 1, static_cast<std::uint32_t>(code));
    }
}

std::uint32_t PackPosition(std::int32_t x, std::int32_t y, std::int32_t scrollX,
                           std::int32_t scrollY) {
    const std::uint32_t message =
        (static_cast<std::uint32_t>(y) & 0xFFFFu) << 16 | (static_cast<std::uint32_t>(x) & 0xFFFFu);
    return message + static_cast<std::uint32_t>(scrollY) * 65536u +
           static_cast<std::uint32_t>(scrollX);
}

void ForwardMouseButton(Client& client, std::uint32_t event, std::int32_t x, std::int32_t y) {
    if (!ControlMode(client)) return;
    SendMouseEvent(client.connection, event,
                   PackPosition(x, y, client.view.scrollX, client.view.scrollY));
}

bool CursorSyncDue(std::uint32_t lastSyncTick, std::uint32_t now) {
    // Both sides as signed 32-bit values, the sum wrapping.
    return static_cast<std::int32_t>(lastSyncTick + kCursorSyncIntervalMs) <
           static_cast<std::int32_t>(now);
}

void SyncCursor(Client& client, std::int32_t x, std::int32_t y) {
    if (!ControlMode(client) || !client.window.IsMenuItemChecked(IDM_SYNC_CURSOR)) return;
    const std::uint32_t now = client.window.TickCount();
    if (!CursorSyncDue(client.lastSyncTick, now)) return;
    client.lastSyncTick = now;
    SendMouseEvent(client.connection, kCursorSyncEvent,
                   PackPosition(x, y, client.view.scrollX, client.view.scrollY));
}

}  // namespace telorad
