#pragma once
// telorad.exe's one loop. Each turn hands every waiting window message to the accelerator table
// and the window, drains the network while a connection is open, then sleeps until something
// can change: a window message, bytes or the end of the stream on the socket (an event object
// tied to it with WSAEventSelect), or the moment a message that is only partly here runs out
// of its stall limit. An idle connection costs no wake-ups; a server that never pauses gets the
// network's share of a turn (Client::drainBudgetMs) and the window its messages in between.
#include <winsock2.h>
// after winsock2.h, which must come first
#include <windows.h>

#include <cstdint>

namespace telorad {
struct Client;
}

namespace telorad::win32 {

class MainLoop {
  public:
    MainLoop(HWND window, HACCEL accelerators, Client& client);
    ~MainLoop();
    MainLoop(const MainLoop&) = delete;
    MainLoop& operator=(const MainLoop&) = delete;

    // Turns until the quit request is next; then hands out what is left in the queue and
    // returns the quit request's code.
    int Run();

  private:
    // Through the accelerator table, else to the window.
    void Dispatch(MSG& message);
    // False when the quit request is next; it stays in the queue for the end of Run.
    bool ProcessWindowMessages();
    // Ties the event object to the client's socket, once per connection.
    void WatchSocket();
    void SleepUntilSomethingCanChange();

    HWND window_;
    HACCEL accelerators_;
    Client& client_;
    WSAEVENT readable_;
    bool watching_ = false;
    std::uint64_t watchedConnection_ = 0;  // Connection::opened of the watched socket
};

}  // namespace telorad::win32
