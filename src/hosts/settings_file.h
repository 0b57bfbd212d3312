#pragma once
// Reading the settings file whole and replacing it whole. settings_file_posix.cpp and
// settings_file_win32.cpp implement this; CMake picks the file for the platform.
#include <cstddef>
#include <string>
#include <string_view>

namespace telorad {

// Larger files are not ours; they are neither loaded nor overwritten. (A history file is a few
// kilobytes; parsed, every line costs about a hundred bytes more.)
inline constexpr std::size_t kSettingsFileMaxBytes = 1u << 20;

enum class SettingsFileStatus { kRead, kMissing, kUnreadable };

// kMissing only when there is no file at all; anything else that stops a full read (permissions,
// a directory, an I/O error, a file too large) is kUnreadable, so nobody overwrites it blind.
SettingsFileStatus ReadSettingsFile(const std::string& path, std::string& bytes);

// Replaces the file in one step: the bytes go to a new file beside it that only the owner can
// read, are flushed to disk, and the new file is renamed over the old one. A crash leaves either
// the old or the new file, never a mix. A symbolic link is followed, so the file it names is
// replaced and the link stays. Returns false when any step fails; the old file then stays.
bool ReplaceSettingsFile(const std::string& path, std::string_view bytes);

}  // namespace telorad
