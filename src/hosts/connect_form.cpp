#include "hosts/connect_form.h"

#include <limits>

namespace telorad {
namespace {

void FillFields(ConnectForm& form, const HostEntry& entry) {
    // The port field shows the stored number unsigned, as a file value of -1 would appear.
    form.portText = std::to_string(static_cast<std::uint32_t>(entry.port));
    form.hostText = entry.host;
    form.passwordText = entry.password;
}

}  // namespace

ConnectForm OpenConnectForm(const HostHistory& history) {
    ConnectForm form;
    for (const HostEntry& entry : history) form.labels.push_back(entry.label);
    if (history.empty()) {
        form.portText = std::to_string(kDefaultPort);
        form.hostText = "127.0.0.1";
        return form;
    }
    form.selection = 0;
    FillFields(form, history.front());
    return form;
}

ConnectForm OpenConnectFormFor(const HostHistory& history, const std::string& host,
                               std::uint16_t port) {
    ConnectForm form = OpenConnectForm(history);
    const std::string label = MakeHostLabel(host, port);
    for (std::size_t i = 0; i < history.size(); ++i) {
        if (history[i].label == label) {
            SelectConnectFormEntry(form, history, static_cast<int>(i));
            return form;
        }
    }
    form.selection = -1;
    form.hostText = host;
    form.portText = std::to_string(port);
    form.passwordText.clear();
    return form;
}

void SelectConnectFormEntry(ConnectForm& form, const HostHistory& history, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= history.size()) return;
    form.selection = index;
    FillFields(form, history[static_cast<std::size_t>(index)]);
}

std::uint16_t ReadPortField(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > std::numeric_limits<std::uint32_t>::max()) return 0;
    }
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}

ConnectFormOutcome ConfirmConnectForm(const ConnectForm& form, HostHistory& history,
                                      ConnectParams& params, const std::string& settingsPath) {
    ConnectFormOutcome outcome;
    if (form.hostText.size() > kMaxHostBytes) return outcome;
    params.port = ReadPortField(form.portText);
    params.host = form.hostText;
    params.password = form.passwordText.substr(0, kMaxPasswordBytes);

    HostEntry entry;
    entry.host = params.host;
    entry.port = params.port;
    entry.password = params.password;
    entry.label = MakeHostLabel(entry.host, entry.port);
    RememberHost(history, std::move(entry));
    outcome.result = kConnectFormOk;
    outcome.saved = SaveHostHistory(history, settingsPath);
    return outcome;
}

}  // namespace telorad
