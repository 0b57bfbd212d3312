#include "dialogs.h"

#include <vector>

#include "app/client.h"
#include "app/connect_form_text.h"
#include "hosts/connect_form.h"
#include "hosts/utf16_win32.h"
#include "resource.h"

namespace telorad::win32 {
namespace {

struct ConnectDialogState {
    ConnectForm* form;
    Client* client;
};

void SetControlText(HWND dialog, int control, const std::string& utf8) {
    SetDlgItemTextW(dialog, control, WidenUtf8(utf8).c_str());
}

void ShowFields(HWND dialog, const ConnectForm& form) {
    SetControlText(dialog, IDC_PORT, form.portText);
    SetControlText(dialog, IDC_HOST, form.hostText);
    SetControlText(dialog, IDC_PASSWORD, form.passwordText);
}

void ReadFields(HWND dialog, ConnectForm& form) {
    form.portText = ControlText(dialog, IDC_PORT);
    form.hostText = ControlText(dialog, IDC_HOST);
    form.passwordText = ControlText(dialog, IDC_PASSWORD);
}

// Every message returns FALSE, handled or not: the dialog manager keeps its default handling,
// and no focus of our own is set at the start.
INT_PTR CALLBACK ConnectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ConnectDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<ConnectDialogState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const HWND list = GetDlgItem(dialog, IDC_HISTORY);
            // Inserting by position keeps the history's order despite the sorted style.
            for (std::size_t i = 0; i < state->form->labels.size(); ++i) {
                SendMessageW(list, CB_INSERTSTRING, i,
                             reinterpret_cast<LPARAM>(WidenUtf8(state->form->labels[i]).c_str()));
            }
            SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(state->form->selection), 0);
            ShowFields(dialog, *state->form);
            return FALSE;
        }
        case WM_COMMAND:
            if (state == nullptr) return FALSE;
            if (LOWORD(wParam) == IDC_HISTORY && HIWORD(wParam) == CBN_SELCHANGE) {
                const int index = static_cast<int>(
                    SendDlgItemMessageW(dialog, IDC_HISTORY, CB_GETCURSEL, 0, 0));
                if (state->client != nullptr) {
                    SelectDecodedConnectFormEntry(*state->form, state->client->hostHistory, index,
                                                  state->client->wireCodePage);
                    ShowFields(dialog, *state->form);
                }
            } else if (LOWORD(wParam) == IDOK) {
                ReadFields(dialog, *state->form);
                state->form->selection = static_cast<int>(
                    SendDlgItemMessageW(dialog, IDC_HISTORY, CB_GETCURSEL, 0, 0));
                EndDialog(dialog, kConnectFormOk);
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, kConnectFormCancel);
            }
            return FALSE;
        default:
            return FALSE;
    }
}

struct CommandDialogState {
    std::string_view shown;
    std::optional<std::string> typed;
};

INT_PTR CALLBACK CommandDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const auto* state = reinterpret_cast<const CommandDialogState*>(lParam);
            SetControlText(dialog, IDC_COMMAND_TEXT, std::string(state->shown));
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state =
                    reinterpret_cast<CommandDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
                state->typed = ControlText(dialog, IDC_COMMAND_TEXT);
                EndDialog(dialog, IDOK);
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::string ControlText(HWND dialog, int control) {
    const HWND item = GetDlgItem(dialog, control);
    const int length = GetWindowTextLengthW(item);
    if (length <= 0) return {};
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(item, text.data(), length + 1);
    return NarrowToUtf8(std::wstring_view(text.data(), static_cast<std::size_t>(got)));
}

int RunConnectDialogBox(HINSTANCE instance, HWND owner, ConnectForm& form, Client* client) {
    ConnectDialogState state{&form, client};
    const INT_PTR result =
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_CONNECT_DIALOG), owner, ConnectDialogProc,
                        reinterpret_cast<LPARAM>(&state));
    return result == kConnectFormOk ? kConnectFormOk : kConnectFormCancel;
}

std::optional<std::string> RunCommandDialogBox(HINSTANCE instance, HWND owner,
                                               std::string_view shownText) {
    CommandDialogState state{shownText, std::nullopt};
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_COMMAND_DIALOG), owner, CommandDialogProc,
                    reinterpret_cast<LPARAM>(&state));
    return state.typed;
}

}  // namespace telorad::win32
