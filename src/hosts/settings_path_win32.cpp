#include <windows.h>

#include "hosts/settings_path.h"

namespace telorad {

std::string SettingsFilePath() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            buffer.clear();
            break;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        // Cut short: try a longer buffer rather than use a truncated path.
        if (buffer.size() >= 32768) {
            buffer.clear();
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return SettingsPathBesideExecutable(buffer, '\\', true);
}

}  // namespace telorad
