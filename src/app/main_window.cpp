// Start-up and the main window's pointer and key events.
#include "app/main_window.h"

#include "app/client.h"
#include "app/scrolling.h"
#include "app/session.h"
#include "app/view.h"
#include "hosts/settings_path.h"
#include "app/input_forwarding.h"

namespace telorad {

void StartClient(Client& client, Size screenSize, std::int32_t menuBarWidth) {
    StartClientWithSettings(client, screenSize, SettingsFilePath(), menuBarWidth);
}

void StartClientWithSettings(Client& client, Size screenSize, const std::string& settingsPath,
                             std::int32_t menuBarWidth) {
    SetStartupMenuState(client);
    const Size start = StartWindowSize(screenSize, menuBarWidth);
    client.view.maxWindowWidth = start.width;
    client.view.maxWindowHeight = start.height;
    client.lastSyncTick = client.window.TickCount();
    client.settingsPath = settingsPath;
    client.wireCodePage = ReadWireCodePage(settingsPath);
    // An unreadable file leaves the history empty; it is then never overwritten blind.
    LoadHostHistory(client.hostHistory, settingsPath);
}

void OnMouseMove(Client& client, std::int32_t x, std::int32_t y) {
    SyncCursor(client, x, y);
    AutoScroll(client, x, y);
}

void OnMouseButton(Client& client, std::uint32_t event, std::int32_t x, std::int32_t y) {
    ForwardMouseButton(client, event, x, y);
}

void OnKeyEvent(Client& client) { SendKeyChanges(client); }

void OnFocusLost(Client& client) { ReleaseSentKeys(client); }

}  // namespace telorad
