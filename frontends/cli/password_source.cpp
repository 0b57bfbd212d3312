#include "password_source.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

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
    // The settings file holds the bytes the server expects: sent as they are.
    if (remembered != nullptr) password = remembered->password;
    return PasswordStatus::Found;
}

}  // namespace telorad::cli
