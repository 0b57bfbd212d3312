#pragma once
// What a front end calls when its main window gets an event. Each call holds the rule of the
// system for that event; the front end only translates its toolkit's events into these.
#include <cstdint>
#include <string>
#include <string_view>

#include "screen/update_rect.h"
#include "app/window_system.h"

namespace telorad {

struct Client;

// Start-up before the window is shown: menu graying, the host history from the settings file,
// the size limit of the start window (StartWindowSize: half the screen, widened for a menu bar
// of menuBarWidth outer pixels), the cursor-sync clock.
void StartClient(Client& client, Size screenSize, std::int32_t menuBarWidth = 0);
// The same with the settings file named (tests, or a front end with its own location). The file
// also gives the wire code page (section Client, key CodePage; 932 when absent).
void StartClientWithSettings(Client& client, Size screenSize, const std::string& settingsPath,
                             std::int32_t menuBarWidth = 0);

// A menu command or accelerator (IDM_...). Unknown identifiers do nothing, and so does the
// command of a grayed item (a grayed item's accelerator produces nothing), so a front end may
// route every shortcut here.
//
// IDM_CONNECT runs WindowSystem::RunConnectDialog with a form that OpenConnectForm filled from
// client.hostHistory, decoded from the wire code page (UTF-8). The dialog shows it; on a
// selection change it calls SelectDecodedConnectFormEntry(form, client.hostHistory, index,
// client.wireCodePage); OK returns 1 with the texts as edited (the core then stores edited texts
// converted and untouched ones as their stored bytes, runs ConfirmConnectForm and connects),
// Cancel returns 2. When the core refuses the texts (a character the wire code page cannot hold,
// a host over 127 bytes) it shows a message box and runs the dialog again as the user left it.
void HandleCommand(Client& client, int command);

inline constexpr std::string_view kAboutCaption = "About Telorad client";
inline constexpr std::string_view kAboutText =
    "Telorad client Ver.0.3\n\t\u00a9 2026 the Telorad developers";

// The four scroll-bar request codes of the platform (0 line up ... 5 thumb track).
void OnScrollRequest(Client& client, ScrollBarKind bar, int code, std::uint32_t thumbPosition);
// Wheel: keyState holds the platform's key-state bits (4 = Shift alone), delta the signed wheel
// delta (120 per notch away from the user).
void OnMouseWheel(Client& client, std::uint32_t keyState, std::int32_t delta);
// Pointer moved to (x, y) in the client area: cursor sync, then auto scroll.
void OnMouseMove(Client& client, std::int32_t x, std::int32_t y);
// A button event with its window-message number (513 left down ... 520 middle up).
void OnMouseButton(Client& client, std::uint32_t event, std::int32_t x, std::int32_t y);
// Any key went down or up (auto-repeat included): the 256-code scan against sentKeyState.
void OnKeyEvent(Client& client);
// The main window lost the keyboard focus: the releases the server is owed go out at once.
void OnFocusLost(Client& client);
// While the user drags a border: limits the proposed outer size.
Size LimitWindowSize(Client& client, Size proposed);
// The framebuffer rectangle to show at the client area's corner (what a repaint copies).
PixelRect VisiblePart(const Client& client);

}  // namespace telorad
