#pragma once
// Where the headless client's password comes from. Never from the command line, where other
// users could read it.
#include <string>

namespace telorad::cli {

enum class PasswordStatus { Found, Unreadable };

// The bytes of passwordFile with one trailing newline removed, else $TELORAD_PASSWORD as given,
// else the password remembered in the settings file for label (its bytes as stored), else empty.
// `message` explains Unreadable.
PasswordStatus FindPassword(const std::string& passwordFile, const std::string& label,
                            std::string& password, std::string& message);

}  // namespace telorad::cli
