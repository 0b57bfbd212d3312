#pragma once
// The viewer's one loop. Each turn handles every waiting window event, then drains the network
// while a connection is open, then sleeps until something can change: a window event, bytes on
// the socket, or the moment a message that is only partly here runs out of its stall limit.
// An idle connection costs nothing; a server that never pauses gets the network's share of a
// turn (Client::drainBudgetMs) and the window its events in between. Modal dialogs and message
// boxes run their own event loops, so nothing is read from the network meanwhile.
#include <QtCore/QSocketNotifier>
#include <QtCore/QTimer>
#include <cstdint>
#include <memory>

#include "net/socket.h"

namespace telorad {
struct Client;
}

namespace telorad::qt {

class ViewerWindow;

class MainLoop {
  public:
    MainLoop(ViewerWindow& window, Client& client);
    ~MainLoop();
    // One turn; false once the window is closed (the loop then ends without polling again).
    bool Turn();
    void Run() {
        while (Turn()) {
        }
    }

  private:
    // Keeps the notifier on the client's socket, armed for the next sleep.
    void WatchSocket();

    ViewerWindow& window_;
    Client& client_;
    QTimer stallDeadline_;
    std::unique_ptr<QSocketNotifier> readable_;
    SocketHandle watched_ = kNoSocket;
    std::uint64_t watchedConnection_ = 0;  // Connection::opened when watched_ was taken
};

}  // namespace telorad::qt
