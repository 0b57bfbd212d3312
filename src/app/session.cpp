#include "app/session.h"

#include <chrono>

#include "app/client.h"
#include "app/commands.h"
#include "app/receive_poll.h"
#include "net/transport.h"
#include "net/wire.h"

namespace telorad {

namespace {

constexpr int kConnectionCommands[] = {IDM_DISCONNECT, IDM_MODE_STANDBY, IDM_MODE_MONITOR,
                                       IDM_MODE_CONTROL};

}  // namespace

void SetStartupMenuState(Client& client) {
    client.window.EnableMenuItem(IDM_SAVE_BMP, false);
    client.window.EnableMenuItem(IDM_PRINT, false);
    for (int command : kConnectionCommands) client.window.EnableMenuItem(command, false);
}

void SetConnectedMenuState(Client& client) {
    client.window.EnableMenuItem(IDM_CONNECT, false);
    for (int command : kConnectionCommands) client.window.EnableMenuItem(command, true);
}

void SetDisconnectedMenuState(Client& client) {
    client.window.EnableMenuItem(IDM_CONNECT, true);
    for (int command : kConnectionCommands) client.window.EnableMenuItem(command, false);
}

bool ConnectToServer(Client& client) {
    client.connection.sendCipher.enabled = 0;
    client.connection.receiveCipher.enabled = 0;
    client.parser.Reset();
    if (!OpenConnection(client.connection, client.connectParams.host.c_str(),
                        client.connectParams.port)) {
        return false;
    }
    SetConnectedMenuState(client);
    client.window.CheckMenuRadioItem(IDM_MODE_STANDBY, IDM_MODE_CONTROL, IDM_MODE_MONITOR);
    return true;
}

bool ConnectAndAnnounce(Client& client) {
    if (!ConnectToServer(client)) {
        client.window.ShowMessageBox("Connection Error", "Debug", MessageBoxStyle::Ok);
        return false;
    }
    client.sentKeyState.fill(0);
    SendSetMode(client.connection, MODE_MONITOR);
    return true;
}

void DisconnectFromServer(Client& client) {
    // A message cut off here is dropped with the connection.
    CloseConnection(client.connection);
    client.parser.Reset();
    SetDisconnectedMenuState(client);
}

DrainResult DrainNetwork(Client& client) {
    if (client.connection.socket == kNoSocket) return DrainResult::Idle;
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(client.drainBudgetMs);
    for (;;) {
        const int result = ReceivePoll(client);
        if (result == 0) return DrainResult::Idle;
        if (result < 0) {
            CloseAfterReceiveError(client);
            return DrainResult::Closed;
        }
        if (std::chrono::steady_clock::now() >= end) return DrainResult::BudgetSpent;
    }
}

void CloseAfterReceiveError(Client& client) {
    DisconnectFromServer(client);
    client.window.ShowMessageBox("切断されました", "Error.", MessageBoxStyle::Ok);
}

}  // namespace telorad
