#pragma once
// The connect command: the connect dialog, then the connection.
#include <cstdint>
#include <string>
#include <string_view>

namespace telorad {

struct Client;

inline constexpr std::string_view kHostTooLongText =
    "ホスト名が長すぎます (127 バイトまで)。\nThe host name is too long (at most 127 bytes).";
inline constexpr std::string_view kSettingsNotSavedText =
    "設定ファイル remote.ini に書き込めませんでした。この接続先は次回の起動時には表示されません。\n"
    "The settings file remote.ini could not be written; this server will not be listed at the "
    "next start.";

// Runs the connect dialog over the host history. After OK: the password converted to the wire
// code page, ConnectParams, history and settings file updated, then ConnectAndAnnounce. A
// password the code page cannot hold, or a host that does not fit, is refused with a message
// and the dialog opens again as the user left it. Cancel changes nothing.
void RunConnectCommand(Client& client);

// The same for a server named on the command line: the dialog opens with host:port filled in
// (and its remembered password, see OpenConnectFormFor), so OK alone connects.
void RunConnectCommandFor(Client& client, const std::string& host, std::uint16_t port);

}  // namespace telorad
