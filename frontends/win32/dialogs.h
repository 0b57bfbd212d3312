#pragma once
// The connect and command dialogs from their resources: they show the core's texts and hand
// back what was typed, as UTF-8.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace telorad {
struct Client;
class ConnectForm;
}  // namespace telorad

namespace telorad::win32 {

// 1 after OK, 2 after Cancel; the form holds the fields as the user left them.
int RunConnectDialogBox(HINSTANCE instance, HWND owner, ConnectForm& form, Client* client);

// The typed command, or std::nullopt after Cancel.
// Opens with `shownText` in the field; the text as confirmed, or nothing after Cancel.
std::optional<std::string> RunCommandDialogBox(HINSTANCE instance, HWND owner,
                                               std::string_view shownText);

// The text of a dialog control, as UTF-8.
std::string ControlText(HWND dialog, int control);

}  // namespace telorad::win32
