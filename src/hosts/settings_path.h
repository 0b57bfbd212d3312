#pragma once
// Where the settings file lives: beside the executable, or, when that directory cannot take it
// (an installed program), in the user's configuration directory (%APPDATA%\Telorad on Windows).
// On Windows paths are UTF-8 and the files are opened through the wide API.
#include <string>
#include <string_view>

namespace telorad {

inline constexpr std::string_view kSettingsFileName = "remote.ini";

// The executable's directory joined with "remote.ini". The directory ends at the last separator;
// a separator at the very first byte does not count, except for '/', where it is the root.
// With shiftJisScan, a byte 0x81-0x9F or 0xE0-0xEC starts a two-byte character whose second byte
// is skipped, so a trailing 0x5C of such a character is not taken for a backslash. Without a
// separator the path is used as it is.
std::string SettingsPathBesideExecutable(std::string_view exePath, char separator,
                                         bool shiftJisScan);

// The full path of the settings file for this process, computed afresh on every call.
std::string SettingsFilePath();

#ifndef _WIN32
struct SettingsLocationEnv {
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME, empty when unset
    std::string home;           // $HOME, empty when unset
};

// "$XDG_CONFIG_HOME/telorad", else "$HOME/.config/telorad"; relative values do not count.
// Empty when neither gives a directory.
std::string UserSettingsDirectory(const SettingsLocationEnv& env);

// The executable's directory when remote.ini exists there or the directory is writable, unless
// the executable is installed under /usr, /bin or /sbin; otherwise remote.ini in
// UserSettingsDirectory, which is created (mode 0700) when missing.
// Falls back to the executable's directory when there is no user directory either.
std::string ChooseSettingsFilePath(std::string_view exePath, const SettingsLocationEnv& env);
#endif

}  // namespace telorad
