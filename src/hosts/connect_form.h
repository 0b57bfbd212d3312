#pragma once
// The connect dialog's logic on plain values. A front end shows `labels` in a list with
// `selection` chosen and three edit fields bound to the texts, forwards selection changes, and
// ends the dialog with the result of OK or Cancel.
#include <string>
#include <vector>

#include "hosts/connect_params.h"
#include "hosts/host_history.h"

namespace telorad {

// Dialog results. Refused: OK did nothing and the dialog stays open (the host does not fit).
inline constexpr int kConnectFormRefused = 0;
inline constexpr int kConnectFormOk = 1;
inline constexpr int kConnectFormCancel = 2;

// Plain data; declared a class because the window-system interface forward-declares it so.
class ConnectForm {
public:
    std::vector<std::string> labels;  // line i is history entry i
    int selection = -1;               // -1: nothing selected (empty history)
    std::string hostText;
    std::string portText;
    std::string passwordText;
    // While the texts are shown decoded: the stored bytes behind host and password and the text
    // first shown for them, so a field left alone keeps its bytes even where they do not decode.
    std::string hostStored;
    std::string hostShown;
    std::string passwordStored;
    std::string passwordShown;
};

struct ConnectFormOutcome {
    int result = kConnectFormRefused;
    bool saved = false;  // OK only: whether the settings file was written
};

// The list from the history and the fields from entry 0, or 127.0.0.1, 9876 and no password.
ConnectForm OpenConnectForm(const HostHistory& history);

// The form for a server named at start: the list from the history with that server's entry
// selected and its fields shown (so its remembered password), or, when the history does not
// know host:port, nothing selected and the fields holding host, port and no password.
ConnectForm OpenConnectFormFor(const HostHistory& history, const std::string& host,
                               std::uint16_t port);

// Selection change: fills the fields from entry index; an index outside the history is ignored.
void SelectConnectFormEntry(ConnectForm& form, const HostHistory& history, int index);

// The port text as the unsigned dialog-field reading gives it: leading blanks skipped, then the
// leading decimal digits; 0 for no digits or a number beyond 32 bits. Reduced to 16 bits.
std::uint16_t ReadPortField(const std::string& text);

// OK: ConnectParams from the fields (password cut to 127 bytes), the server put first in the
// history, the history written to settingsPath. A host longer than 127 bytes is refused rather
// than cut, since a cut name would reach a different machine: then nothing changes and the
// result is kConnectFormRefused. A failed save still ends the dialog with kConnectFormOk and
// `saved` false, so the front end can say so.
ConnectFormOutcome ConfirmConnectForm(const ConnectForm& form, HostHistory& history,
                                      ConnectParams& params, const std::string& settingsPath);

}  // namespace telorad
