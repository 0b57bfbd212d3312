#pragma once
// Small file helpers for the host book tests.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "hosts/host_history.h"

namespace telorad::testing {

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline HostEntry MakeEntry(const std::string& host, std::int32_t port,
                           const std::string& password) {
    return HostEntry{MakeHostLabel(host, port), port, host, password};
}

inline bool SameEntries(const HostHistory& a, const HostHistory& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].label != b[i].label || a[i].port != b[i].port || a[i].host != b[i].host ||
            a[i].password != b[i].password) {
            return false;
        }
    }
    return true;
}

}  // namespace telorad::testing
