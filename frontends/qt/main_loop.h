#pragma once
// The viewer's one loop. Each turn handles every waiting window event, then drains the network
// while a connection is open, then waits at most 10 ms for the next window event. Modal dialogs
// and message boxes run their own event loops, so nothing is read from the network meanwhile.
#include <QtCore/QTimer>

namespace telorad {
struct Client;
}

namespace telorad::qt {

class ViewerWindow;

class MainLoop {
  public:
    MainLoop(ViewerWindow& window, Client& client);
    // One turn; false once the window is closed (the loop then ends without polling again).
    bool Turn();
    void Run() {
        while (Turn()) {
        }
    }

  private:
    ViewerWindow& window_;
    Client& client_;
    QTimer pause_;
};

}  // namespace telorad::qt
