#include "app/connect_command.h"

#include <string>

#include "app/client.h"
#include "app/connect_form_text.h"
#include "app/session.h"
#include "app/text_encoding.h"
#include "hosts/connect_form.h"

namespace telorad {

namespace {

void RunConnectDialogAndConnect(Client& client, ConnectForm form) {
    WindowSystem& window = client.window;
    DecodeConnectForm(form, client.wireCodePage);
    for (;;) {
        if (window.RunConnectDialog(form) != kConnectFormOk) return;

        // Refuse before anything is stored, so a refused text leaves no trace. The form keeps
        // what was typed, for the dialog shown again.
        ConnectForm stored = form;
        const StoredFormText converted = EncodeConnectFormForStorage(stored, client.wireCodePage);
        if (converted.result != TextConversion::kOk) {
            window.ShowMessageBox(
                RefusalMessage(converted.refused, converted.result, client.wireCodePage),
                kRefusalCaption, MessageBoxStyle::Warning);
            continue;
        }

        const ConnectFormOutcome outcome = ConfirmConnectForm(stored, client.hostHistory,
                                                              client.connectParams,
                                                              client.settingsPath);
        if (outcome.result != kConnectFormOk) {
            window.ShowMessageBox(kHostTooLongText, kRefusalCaption, MessageBoxStyle::Warning);
            continue;
        }
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
