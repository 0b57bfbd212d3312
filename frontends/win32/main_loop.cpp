#include "main_loop.h"

#include "app/client.h"
#include "app/session.h"

namespace telorad::win32 {

MainLoop::MainLoop(HWND window, HACCEL accelerators, Client& client)
    : window_(window), accelerators_(accelerators), client_(client), readable_(WSACreateEvent()) {
    // The loop waits for the socket itself, so a poll has no reason to wait.
    client_.pollWaitMs = 0;
}

MainLoop::~MainLoop() {
    if (readable_ != WSA_INVALID_EVENT) WSACloseEvent(readable_);
}

void MainLoop::Dispatch(MSG& message) {
    // No TranslateMessage: the window never receives character messages.
    if (!TranslateAcceleratorW(window_, accelerators_, &message)) DispatchMessageW(&message);
}

bool MainLoop::ProcessWindowMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) return false;
        GetMessageW(&message, nullptr, 0, 0);
        Dispatch(message);
    }
    return true;
}

void MainLoop::WatchSocket() {
    const Connection& connection = client_.connection;
    if (connection.socket == kNoSocket) {
        // Closing the socket ended its tie to the event; a signal it left is stale.
        if (watching_) WSAResetEvent(readable_);
        watching_ = false;
        return;
    }
    // A new connection may have been given the closed one's handle value.
    if (watching_ && connection.opened == watchedConnection_) return;
    // This also makes the socket non-blocking: the transport waits out a full send buffer.
    watching_ = readable_ != WSA_INVALID_EVENT &&
                WSAEventSelect(static_cast<SOCKET>(connection.socket), readable_,
                               FD_READ | FD_CLOSE) == 0;
    watchedConnection_ = connection.opened;
}

void MainLoop::SleepUntilSomethingCanChange() {
    DWORD timeout = INFINITE;
    const int untilStall = client_.parser.MsUntilStall(client_.connection);
    if (untilStall >= 0) timeout = static_cast<DWORD>(untilStall) + 1;
    // Without the event (it could not be made or tied), the socket is looked at every 10 ms.
    if (client_.connection.socket != kNoSocket && !watching_ && timeout > 10) timeout = 10;
    // MWMO_INPUTAVAILABLE: messages that came in while the network was drained wake it too.
    MsgWaitForMultipleObjectsEx(watching_ ? 1 : 0, &readable_, timeout, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    if (!watching_) return;
    // Clears the socket's record of events and the event object; reading what woke the loop
    // arms them again (FD_READ comes back with the next bytes after a read).
    WSANETWORKEVENTS events;
    WSAEnumNetworkEvents(static_cast<SOCKET>(client_.connection.socket), readable_, &events);
}

int MainLoop::Run() {
    while (ProcessWindowMessages()) {
        // Does nothing without a connection; reads until nothing is left or its time is spent.
        // Then, with messages still coming, the next turn drains on after the window's messages.
        if (DrainNetwork(client_) == DrainResult::BudgetSpent) continue;
        WatchSocket();
        SleepUntilSomethingCanChange();
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
    return static_cast<int>(message.wParam);
}

}  // namespace telorad::win32
