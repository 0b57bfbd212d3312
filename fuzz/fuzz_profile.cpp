// Feeds arbitrary bytes to the settings-file reader, then writes a history into the document and
// checks that it reads back as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hosts/host_history.h"
#include "hosts/profile.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// What a value becomes on its way through a file: one line, no NUL, at most 255 bytes.
std::string ThroughFile(std::string_view value) {
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    return std::string(value.substr(0, telorad::kProfileValueMax));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    telorad::ProfileDocument document = telorad::ParseProfile(bytes);
    Require(telorad::SerializeProfile(document) == bytes);

    telorad::HostHistory history;
    telorad::LoadHostHistoryFromProfile(history, document);
    Require(history.size() <= telorad::kHostHistoryLoadMax);
    for (const telorad::HostEntry& entry : history) {
        Require(!entry.host.empty() && entry.host.size() <= telorad::kProfileValueMax);
        Require(entry.host.front() != '\a');
        Require(entry.password.size() <= telorad::kProfileValueMax);
        Require(entry.label == telorad::MakeHostLabel(entry.host, entry.port));
    }

    // Remember a server made from the input's tail, store, read back.
    const std::string_view tail = bytes.substr(bytes.size() / 2);
    telorad::HostEntry fresh;
    fresh.host = "fuzz.example";
    fresh.port = static_cast<std::int32_t>(size);
    fresh.password = std::string(tail.substr(0, 300));
    fresh.label = telorad::MakeHostLabel(fresh.host, fresh.port);
    telorad::RememberHost(history, fresh);
    telorad::StoreHostHistoryInProfile(history, document);

    telorad::HostHistory reloaded;
    telorad::LoadHostHistoryFromProfile(reloaded,
                                        telorad::ParseProfile(telorad::SerializeProfile(document)));
    std::size_t expected = 0;
    for (const telorad::HostEntry& entry : history) {
        if (expected == telorad::kHostHistoryLoadMax) break;
        const std::string host = ThroughFile(entry.host);
        if (host.empty() || host.front() == '\a') break;
        Require(expected < reloaded.size());
        const telorad::HostEntry& back = reloaded[expected];
        std::string password = ThroughFile(entry.password);
        if (!password.empty() && password.front() == '\a') password.clear();
        Require(back.host == host && back.port == entry.port && back.password == password);
        ++expected;
    }
    Require(reloaded.size() == expected);
    return 0;
}
