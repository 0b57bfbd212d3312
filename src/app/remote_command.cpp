#include "app/remote_command.h"

#include <string>

#include "app/client.h"
#include "app/text_encoding.h"
#include "net/wire.h"

namespace telorad {

void RunRemoteCommand(Client& client) {
    std::string shown;  // every run starts empty; a refused text comes back to be mended
    for (;;) {
        const std::optional<std::string> typed = client.window.RunCommandDialog(shown);
        if (!typed) return;
        std::string wire;
        const TextConversion result =
            ConvertToCodePageLimited(*typed, client.wireCodePage, kMaxRemoteCommandBytes, wire);
        if (result == TextConversion::kOk) {
            SendCommand(client.connection, wire);
            return;
        }
        client.window.ShowMessageBox(
            RefusalMessage(RefusedText::kCommand, result, client.wireCodePage), kRefusalCaption,
            MessageBoxStyle::Warning);
        shown = *typed;
    }
}

}  // namespace telorad
