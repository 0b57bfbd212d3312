#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "hosts/settings_path.h"

namespace telorad {
namespace {

std::string ExecutablePath() {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        if (buffer.size() >= 65536) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// mkdir -p, each new directory private to the user.
bool MakeDirectories(const std::string& directory) {
    for (std::size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string part = directory.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat info {};
    return ::stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

std::string UserSettingsDirectory(const SettingsLocationEnv& env) {
    if (env.xdgConfigHome.starts_with('/')) return env.xdgConfigHome + "/telorad";
    if (env.home.starts_with('/')) return env.home + "/.config/telorad";
    return {};
}

std::string ChooseSettingsFilePath(std::string_view exePath, const SettingsLocationEnv& env) {
    std::string besideExe;
    // An installed program (under /usr, /bin or /sbin) does not write beside itself, not even as
    // root: the directory belongs to the system, and removing the package would leave the file.
    const bool installed = exePath.starts_with("/usr/") || exePath.starts_with("/bin/") ||
                           exePath.starts_with("/sbin/");
    if (exePath.starts_with('/')) {
        besideExe = SettingsPathBesideExecutable(exePath, '/', false);
    }
    if (!besideExe.empty() && !installed) {
        const std::string directory =
            besideExe.substr(0, besideExe.size() - kSettingsFileName.size());
        struct stat info {};
        if (::stat(besideExe.c_str(), &info) == 0 || ::access(directory.c_str(), W_OK) == 0) {
            return besideExe;
        }
    }
    const std::string userDirectory = UserSettingsDirectory(env);
    if (userDirectory.empty())
        return besideExe.empty() ? std::string(kSettingsFileName) : besideExe;
    // A directory that cannot be made shows up as a failed save, which the caller reports.
    MakeDirectories(userDirectory);
    return userDirectory + "/" + std::string(kSettingsFileName);
}

std::string SettingsFilePath() {
    return ChooseSettingsFilePath(ExecutablePath(),
                                  {EnvironmentValue("XDG_CONFIG_HOME"), EnvironmentValue("HOME")});
}

}  // namespace telorad
