#include "app/connect_form_text.h"

#include <string>

#include "hosts/connect_params.h"

namespace telorad {
namespace {

void DecodeFields(ConnectForm& form, std::uint32_t codePage) {
    form.hostStored = form.hostText;
    form.hostText = form.hostShown = DecodeFromCodePage(form.hostStored, codePage);
    form.passwordStored = form.passwordText;
    form.passwordText = form.passwordShown = DecodeFromCodePage(form.passwordStored, codePage);
}

}  // namespace

void DecodeConnectForm(ConnectForm& form, std::uint32_t codePage) {
    for (std::string& label : form.labels) label = DecodeFromCodePage(label, codePage);
    DecodeFields(form, codePage);
}

void SelectDecodedConnectFormEntry(ConnectForm& form, const HostHistory& history, int index,
                                   std::uint32_t codePage) {
    if (index < 0 || static_cast<std::size_t>(index) >= history.size()) return;
    SelectConnectFormEntry(form, history, index);
    DecodeFields(form, codePage);
}

StoredFormText EncodeConnectFormForStorage(ConnectForm& form, std::uint32_t codePage) {
    StoredFormText stored;
    std::string host = form.hostStored;
    if (form.hostText != form.hostShown) {
        stored.result = ConvertToCodePage(form.hostText, codePage, host);
        stored.refused = RefusedText::kHost;
        if (stored.result != TextConversion::kOk) return stored;
    }
    std::string password = form.passwordStored;
    if (form.passwordText != form.passwordShown) {
        stored.result =
            ConvertToCodePageLimited(form.passwordText, codePage, kMaxPasswordBytes, password);
        stored.refused = RefusedText::kPassword;
        if (stored.result != TextConversion::kOk) return stored;
    }
    form.hostText = std::move(host);
    form.passwordText = std::move(password);
    return stored;
}

}  // namespace telorad
