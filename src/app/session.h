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

// The network part of one main-loop turn: while a socket is held, polls until nothing more is
// readable. An error closes the connection and tells the user. Returns false after an error.
bool DrainNetwork(Client& client);

}  // namespace telorad
