#include <windows.h>

#include "hosts/settings_file.h"
#include "hosts/utf16_win32.h"

namespace telorad {
namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }
    bool Close() {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

}  // namespace

SettingsFileStatus ReadSettingsFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FileHandle file(CreateFileW(WidenUtf8(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? SettingsFileStatus::kMissing
                   : SettingsFileStatus::kUnreadable;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > kSettingsFileMaxBytes) {
        return SettingsFileStatus::kUnreadable;
    }
    char buffer[65536];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
            return SettingsFileStatus::kUnreadable;
        }
        if (count == 0) break;
        bytes.append(buffer, count);
        if (bytes.size() > kSettingsFileMaxBytes) return SettingsFileStatus::kUnreadable;
    }
    return SettingsFileStatus::kRead;
}

bool ReplaceSettingsFile(const std::string& path, std::string_view bytes) {
    const std::wstring target = WidenUtf8(path);
    const std::wstring temporary = target + L".tmp-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(GetTickCount());
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    while (written && !bytes.empty()) {
        const DWORD chunk = bytes.size() > 1u << 20 ? 1u << 20 : static_cast<DWORD>(bytes.size());
        DWORD count = 0;
        written = WriteFile(file.get(), bytes.data(), chunk, &count, nullptr) && count > 0;
        bytes.remove_prefix(count);
    }
    written = written && FlushFileBuffers(file.get()) && file.Close();
    if (!written || !MoveFileExW(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        file.Close();
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace telorad
