// The menu commands and accelerators of the main window.
#include <string_view>

#include "app/client.h"
#include "app/commands.h"
#include "app/connect_command.h"
#include "app/main_window.h"
#include "app/session.h"
#include "app/snapshot_commands.h"
#include "app/remote_command.h"
#include "net/wire.h"

namespace telorad {

namespace {

void ChooseMode(Client& client, int command, std::uint32_t mode) {
    // Sent every time, also when the item already carries the mark; no answer is awaited.
    SendSetMode(client.connection, mode);
    client.window.CheckMenuRadioItem(IDM_MODE_STANDBY, IDM_MODE_CONTROL, command);
}

void ToggleMark(Client& client, int command) {
    client.window.CheckMenuItem(command, !client.window.IsMenuItemChecked(command));
}

}  // namespace

void HandleCommand(Client& client, int command) {
    // A grayed item cannot be chosen and its accelerator produces nothing.
    if (!client.window.IsMenuItemEnabled(command)) return;
    switch (command) {
        case IDM_CONNECT:
            RunConnectCommand(client);
            break;
        case IDM_DISCONNECT:
            DisconnectFromServer(client);
            break;
        case IDM_MODE_STANDBY:
            ChooseMode(client, command, MODE_STANDBY);
            break;
        case IDM_MODE_MONITOR:
            ChooseMode(client, command, MODE_MONITOR);
            break;
        case IDM_MODE_CONTROL:
            ChooseMode(client, command, MODE_CONTROL);
            break;
        case IDM_AUTO_SCROLL:
        case IDM_SYNC_CURSOR:
            ToggleMark(client, command);
            break;
        case IDM_COMMAND:
            RunRemoteCommand(client);
            break;
        case IDM_COPY:
            CopySnapshot(client);
            break;
        case IDM_SAVE_BMP:
            SaveSnapshot(client);
            break;
        case IDM_PRINT:
            PrintSnapshot(client);
            break;
        case IDM_ABOUT:
            client.window.ShowMessageBox(kAboutText, kAboutCaption, MessageBoxStyle::Ok);
            break;
        case IDM_EXIT:
            client.window.DestroyMainWindow();
            break;
        default:  // Ctrl+O, Ctrl+R, Ctrl+V and anything else: no handler
            break;
    }
}

}  // namespace telorad
