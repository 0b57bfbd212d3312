#pragma once
// The client's only reader of the connection: what the server sends, acted on as it completes.
namespace telorad {

struct Client;

// Takes what has arrived, waiting at most client.pollWaitMs when nothing has. 1: one message
// read and handled (a login with the answer it reads counts as one). 0: no whole message yet;
// a partial one is kept for the next poll. -1: error (a closed or broken connection, a server
// that stalled in the middle of a message, an unknown type, a message that breaks a bound, a
// failed handshake); the caller closes the connection.
int ReceivePoll(Client& client);

}  // namespace telorad
