#include "app/connect_command.h"

#include <string>

#include "app/client.h"
#include "app/session.h"
#include "app/text_encoding.h"
#include "hosts/connect_form.h"

namespace telorad {

namespace {

void RunConnectDialogAndConnect(Client& client, ConnectForm form) {
    WindowSystem& window = client.window;
    for (;;) {
        if (window.RunConnectDialog(form) != kConnectFormOk) return;

        // Refuse before anything is stored, so a refused password leaves no trace.
        std::string wirePassword;
        const TextConversion converted = ConvertToCodePageLimited(
            form.passwordText, client.wireCodePage, kMaxPasswordBytes, wirePassword);
        if (converted != TextConversion::kOk) {
            window.ShowMessageBox(
                RefusalMessage(RefusedText::kPassword, converted, client.wireCodePage),
                kRefusalCaption, MessageBoxStyle::Warning);
            continue;
        }

        const ConnectFormOutcome outcome =
            ConfirmConnectForm(form, client.hostHistory, client.connectParams, client.settingsPath);
        if (outcome.result != kConnectFormOk) {
            window.ShowMessageBox(kHostTooLongText, kRefusalCaption, MessageBoxStyle::Warning);
            continue;
        }
        // The history keeps the password as typed; the handshake needs the server's bytes.
        client.connectParams.password = wirePassword;
        if (!outcome.saved) {
            window.ShowMessageBox(kSettingsNotSavedText, kRefusalCaption, MessageBoxStyle::Warning);
        }
        break;
    }
    ConnectAndAnnounce(client);
}

}  // namespace

void RunConnectCommand(Client& client) {
    RunConnectDialogAndConnect(client, OpenConnectForm(client.hostHistory));
}

void RunConnectCommandFor(Client& client, const std::string& host, std::uint16_t port) {
    RunConnectDialogAndConnect(client, OpenConnectFormFor(client.hostHistory, host, port));
}

}  // namespace telorad
