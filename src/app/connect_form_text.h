#pragma once
// The connect dialog's texts between the settings file and the person: stored hosts and passwords
// are wire bytes; the dialog shows them decoded and stores what was typed converted once.
#include <cstdint>

#include "app/text_encoding.h"
#include "hosts/connect_form.h"
#include "hosts/host_history.h"

namespace telorad {

// Labels and fields of a freshly opened form, decoded from the code page for display.
void DecodeConnectForm(ConnectForm& form, std::uint32_t codePage);

// A history line chosen in the list: its fields, decoded for display.
void SelectDecodedConnectFormEntry(ConnectForm& form, const HostHistory& history, int index,
                                   std::uint32_t codePage);

struct StoredFormText {
    TextConversion result = TextConversion::kOk;
    RefusedText refused = RefusedText::kPassword;  // which field, when result is not kOk
};

// Turns the shown texts back into wire bytes in hostText and passwordText: a field left as shown
// keeps its stored bytes; an edited one is converted (the password cut to its byte limit at a
// character boundary). On a refusal the form is left as it was.
StoredFormText EncodeConnectFormForStorage(ConnectForm& form, std::uint32_t codePage);

}  // namespace telorad
