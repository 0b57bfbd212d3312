#include "hosts/host_history.h"

#include <algorithm>
#include <cstdio>

#include "hosts/settings_file.h"

namespace telorad {
namespace {

// A missing key reads as this one-byte text, which no stored host starts with.
constexpr std::string_view kMissing = "\a";

std::string KeyName(const char* prefix, std::size_t number) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%02zu", prefix, number);
    return buffer;
}

}  // namespace

std::string MakeHostLabel(std::string_view host, std::int32_t port) {
    std::string label(host);
    label += ':';
    label += std::to_string(port);
    return label;
}

void LoadHostHistoryFromProfile(HostHistory& history, const ProfileDocument& document) {
    for (std::size_t n = 0; n < kHostHistoryLoadMax; ++n) {
        HostEntry entry;
        entry.host = LookupProfileString(document, kSettingsSection, KeyName("Host", n), kMissing);
        if (entry.host.empty() || entry.host.front() == kMissing.front()) break;
        entry.port = LookupProfileInt(document, kSettingsSection, KeyName("Port", n), kDefaultPort);
        entry.password =
            LookupProfileString(document, kSettingsSection, KeyName("Passwd", n), kMissing);
        if (entry.password.starts_with(kMissing)) entry.password.clear();
        entry.label = MakeHostLabel(entry.host, entry.port);
        history.push_back(std::move(entry));
    }
}

bool LoadHostHistory(HostHistory& history, const std::string& path) {
    std::string bytes;
    const SettingsFileStatus status = ReadSettingsFile(path, bytes);
    if (status == SettingsFileStatus::kRead) {
        LoadHostHistoryFromProfile(history, ParseProfile(bytes));
    }
    return status != SettingsFileStatus::kUnreadable;
}

void RememberHost(HostHistory& history, HostEntry entry) {
    std::erase_if(history, [&](const HostEntry& old) { return old.label == entry.label; });
    history.insert(history.begin(), std::move(entry));
}

void StoreHostHistoryInProfile(const HostHistory& history, ProfileDocument& document) {
    for (std::size_t n = 0; n < history.size(); ++n) {
        const HostEntry& entry = history[n];
        SetProfileValue(document, kSettingsSection, KeyName("Host", n), entry.host);
        SetProfileValue(document, kSettingsSection, KeyName("Port", n), std::to_string(entry.port));
        SetProfileValue(document, kSettingsSection, KeyName("Passwd", n), entry.password);
    }
    SetProfileValue(document, kSettingsSection, KeyName("Host", history.size()), "");
}

bool SaveHostHistory(const HostHistory& history, const std::string& path) {
    std::string bytes;
    if (ReadSettingsFile(path, bytes) == SettingsFileStatus::kUnreadable) return false;
    ProfileDocument document = ParseProfile(bytes);
    StoreHostHistoryInProfile(history, document);
    return ReplaceSettingsFile(path, SerializeProfile(document));
}

const HostEntry* FindHostByLabel(const HostHistory& history, std::string_view label) {
    const auto found = std::find_if(history.begin(), history.end(),
                                    [&](const HostEntry& entry) { return entry.label == label; });
    return found == history.end() ? nullptr : &*found;
}

}  // namespace telorad
