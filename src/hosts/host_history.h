#pragma once
// The remembered servers, most recent first, and their keys in the settings file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/connect_params.h"
#include "hosts/profile.h"
#include "hosts/settings_path.h"

namespace telorad {

struct HostEntry {
    std::string label;  // host ":" port; the entry's identity, compared byte for byte
    std::int32_t port = 0;
    std::string host;
    std::string password;
};

// Index 0 is the server confirmed last. No upper bound in memory.
using HostHistory = std::vector<HostEntry>;

inline constexpr std::string_view kSettingsSection = "Client";
inline constexpr int kHostHistoryLoadMax = 10;

// "%s:%d". Labels are whole strings, never cut: a host read from the file may be 255 bytes long,
// and cutting could make two different servers share one label.
std::string MakeHostLabel(std::string_view host, std::int32_t port);

// Appends the servers stored in the document: at most 10, up to the first host key that is
// missing, empty or starts with BEL.
void LoadHostHistoryFromProfile(HostHistory& history, const ProfileDocument& document);

// The same from the file at path. A missing file adds nothing. A file that exists but cannot be
// read adds nothing either and gives false.
bool LoadHostHistory(HostHistory& history, const std::string& path);

// Removes every entry with the new entry's label and puts the new entry first.
void RememberHost(HostHistory& history, HostEntry entry);

// Writes Host/Port/Passwd keys for every entry and an empty host key behind the last one. Keys
// of higher numbers stay as they are.
void StoreHostHistoryInProfile(const HostHistory& history, ProfileDocument& document);

// Rewrites the file with the whole history, keeping everything else in it, in one atomic
// replacement. False when nothing was written: the file exists but cannot be read (it is never
// overwritten blind), or a write step failed.
bool SaveHostHistory(const HostHistory& history, const std::string& path);

// The most recent entry with this label ("HOST:PORT"), or nullptr.
const HostEntry* FindHostByLabel(const HostHistory& history, std::string_view label);

}  // namespace telorad
