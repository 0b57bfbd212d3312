#pragma once
// The client's only reader of the connection: one message per call, handshakes included.
namespace telorad {

struct Client;

inline constexpr int kPollWaitMs = 1;

// 1: one message read and handled. 0: nothing readable within kPollWaitMs. -1: error (a closed
// or broken connection, a short read, an unknown type, a message that breaks a bound, a failed
// handshake); the caller closes the connection.
int ReceivePoll(Client& client);

}  // namespace telorad
