#include "password_source.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/text_encoding.h"
#include "hosts/host_history.h"
#include "hosts/settings_path.h"

namespace telorad::cli {

PasswordStatus FindPassword(const std::string& passwordFile, const std::string& label,
                            std::string& password, std::string& message) {
    if (!passwordFile.empty()) {
        std::ifstream in(passwordFile, std::ios::binary);
        if (!in) {
            message = "cannot read the password file " + passwordFile;
            return PasswordStatus::Unreadable;
        }
        password.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!password.empty() && password.back() == '\n') {
            password.pop_back();
            if (!password.empty() && password.back() == '\r') password.pop_back();
        }
        return PasswordStatus::Found;
    }
    if (const char* fromEnvironment = std::getenv("TELORAD_PASSWORD")) {
        password = fromEnvironment;
        return PasswordStatus::Found;
    }
    const std::string settingsPath = SettingsFilePath();
    HostHistory history;
    LoadHostHistory(history, settingsPath);
    password.clear();
    const HostEntry* remembered = FindHostByLabel(history, label);
    if (remembered == nullptr) return PasswordStatus::Found;
    const std::uint32_t codePage = ReadWireCodePage(settingsPath);
    const TextConversion result = RememberedPasswordToWire(remembered->password, codePage, password);
    if (result != TextConversion::kOk) {
        message = RefusalMessage(RefusedText::kPassword, result, codePage);
        return PasswordStatus::Refused;
    }
    return PasswordStatus::Found;
}

}  // namespace telorad::cli
