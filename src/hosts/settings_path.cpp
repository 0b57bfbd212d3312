#include "hosts/settings_path.h"

namespace telorad {

std::string SettingsPathBesideExecutable(std::string_view exePath, char separator,
                                         bool shiftJisScan) {
    std::size_t cut = 0;  // length of the directory part, 0 while no separator counts
    for (std::size_t i = 0; i < exePath.size(); ++i) {
        const auto byte = static_cast<unsigned char>(exePath[i]);
        if (shiftJisScan && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEC))) {
            ++i;  // the second byte of the character is never a separator
            continue;
        }
        if (exePath[i] == separator && (i > 0 || separator == '/')) cut = i + 1;
    }
    std::string path(cut > 0 ? exePath.substr(0, cut) : exePath);
    path += kSettingsFileName;
    return path;
}

}  // namespace telorad
