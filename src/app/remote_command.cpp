#include "app/remote_command.h"

#include <string>

#include "app/client.h"
#include "app/text_encoding.h"
#include "net/wire.h"

namespace telorad {

void RunRemoteCommand(Client& client) {
    const std::optional<std::string> typed = client.window.RunCommandDialog();
    if (!typed) return;
    std::string wire;
    const TextConversion result =
        ConvertToCodePageLimited(*typed, client.wireCodePage, kMaxRemoteCommandBytes, wire);
    if (result != TextConversion::kOk) {
        client.window.ShowMessageBox(
            RefusalMessage(RefusedText::kCommand, result, client.wireCodePage), kRefusalCaption,
            MessageBoxStyle::Warning);
        return;
    }
    SendCommand(client.connection, wire);
}

}  // namespace telorad
