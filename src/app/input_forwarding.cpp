#include "app/input_forwarding.h"

#include "app/client.h"
#include "app/commands.h"
#include "input/key_forwarding.h"
#include "net/wire.h"

namespace telorad {

namespace {

bool ControlMode(Client& client) { return client.window.IsMenuItemChecked(IDM_MODE_CONTROL); }

std::uint32_t Position(const Client& client, std::int32_t x, std::int32_t y) {
    return PackPosition(x, y, client.view.scrollX, client.view.scrollY);
}

}  // namespace

void SendKeyChanges(Client& client) {
    if (!ControlMode(client)) return;
    SendKeyStateChanges(client.connection, client.sentKeyState,
                        [&client](int code) { return client.window.IsKeyDown(code); });
}

void ReleaseSentKeys(Client& client) {
    if (!ControlMode(client)) return;
    SendReleasesOwed(client.connection, client.sentKeyState);
}

void ForwardMouseButton(Client& client, std::uint32_t event, std::int32_t x, std::int32_t y) {
    if (!ControlMode(client)) return;
    SendMouseEvent(client.connection, event, Position(client, x, y));
}

void SyncCursor(Client& client, std::int32_t x, std::int32_t y) {
    if (!ControlMode(client) || !client.window.IsMenuItemChecked(IDM_SYNC_CURSOR)) return;
    SendCursorSync(client.connection, client.lastSyncTick, client.window.TickCount(),
                   Position(client, x, y));
}

}  // namespace telorad
