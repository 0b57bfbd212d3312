#pragma once
// Connecting, disconnecting and draining the connection: the steps that move the client
// between its connected and disconnected states.
namespace telorad {

struct Client;

// Grays what needs a connection (and Save and Print, which stay grayed for the whole run).
void SetStartupMenuState(Client& client);
void SetConnectedMenuState(Client& client);
void SetDisconnectedMenuState(Client& client);

// Both ciphers off, then a TCP connection to ConnectParams' host and port. On success the menu
// goes to the connected state with the mode mark on Monitor.
bool ConnectToServer(Client& client);

// After the connect dialog's OK: connects; on failure shows "Connection Error"; on success clears
// the keys last sent and sends MODE_MONITOR, the first message of every connection.
bool ConnectAndAnnounce(Client& client);

// Closes the socket (nothing is sent first) and puts the menu into the disconnected state.
void DisconnectFromServer(Client& client);

// After a receive error: closes the connection, resets the menu and says "切断されました".
void CloseAfterReceiveError(Client& client);

// What the network part of a turn left behind.
enum class DrainResult {
    Idle,         // nothing more readable, or no connection
    BudgetSpent,  // client.drainBudgetMs ran out while messages kept coming: more may wait
    Closed,       // an error closed the connection and the user was told
};

// The network part of one main-loop turn: while a socket is held, polls until nothing more is
// readable or the drain's time budget is spent (one poll at least), so that a server that never
// pauses cannot keep window events waiting. An error closes the connection and tells the user.
DrainResult DrainNetwork(Client& client);

}  // namespace telorad
