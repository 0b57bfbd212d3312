// Windows: remote.ini beside the program, found with the wide API so a folder name in any
// language works, unless that folder cannot take the file (Program Files, a read-only share):
// then %APPDATA%\Telorad\remote.ini. Paths go to the core as UTF-8.
#include <windows.h>
#include <shlobj.h>

#include "hosts/settings_path.h"
#include "hosts/utf16_win32.h"

namespace telorad {
namespace {

std::wstring ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (buffer.size() <= 32768) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);  // cut short: never use a truncated path
    }
    return {};
}

// An existing file that opens for writing, or a folder where a new file can be made.
bool CanHoldSettingsFile(const std::wstring& directory, const std::wstring& file) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return true;
    }
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    const std::wstring probe = directory + L"remote.ini.probe-" +
                               std::to_wstring(GetCurrentProcessId());
    handle = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

std::wstring UserSettingsFile() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, appData))) {
        return {};
    }
    const std::wstring directory = std::wstring(appData) + L"\\Telorad";
    CreateDirectoryW(directory.c_str(), nullptr);  // it may exist already
    return directory + L"\\remote.ini";
}

}  // namespace

std::string SettingsFilePath() {
    const std::wstring exe = ExecutablePath();
    const std::size_t separator = exe.find_last_of(L"\\/");
    const std::wstring directory =
        separator == std::wstring::npos ? std::wstring() : exe.substr(0, separator + 1);
    const std::wstring beside = directory + L"remote.ini";
    if (!directory.empty() && CanHoldSettingsFile(directory, beside)) return NarrowToUtf8(beside);
    const std::wstring user = UserSettingsFile();
    return NarrowToUtf8(user.empty() ? beside : user);
}

}  // namespace telorad
