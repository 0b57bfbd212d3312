// Helper for crash_safety.sh. Modes:
//   save_loop init PATH   write a hand-edited file and save list A into it
//   save_loop check PATH  print A or B for the list the file holds; exit 1 for anything else
//   save_loop run PATH    check, then save the other list and the first one alternately until
//                         killed
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "hosts/host_history.h"
#include "hosts/settings_file.h"

namespace {

using telorad::HostEntry;
using telorad::HostHistory;

constexpr const char* kHandWritten = "; hand-written comment\r\n[Other]\r\nkeep=1\r\n";

HostEntry Entry(const std::string& host, int port, const std::string& password) {
    return HostEntry{telorad::MakeHostLabel(host, port), port, host, password};
}

HostHistory ListA() {
    return {Entry("alpha.example", 1, "a-secret"), Entry("10.0.0.1", 2, ""),
            Entry("\\\\\x95\x5C", 3, "\xFF\x80")};
}

// Longer than A in every respect, so that a torn write cannot pass for either list.
HostHistory ListB() {
    HostHistory list;
    for (int n = 0; n < 11; ++n) {
        list.push_back(Entry("bravo" + std::to_string(n) + ".example", 40000 + n,
                             std::string(120, static_cast<char>('a' + n))));
    }
    return list;
}

bool Same(const HostHistory& a, const HostHistory& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].label != b[i].label || a[i].port != b[i].port || a[i].host != b[i].host ||
            a[i].password != b[i].password) {
            return false;
        }
    }
    return true;
}

// 'A' or 'B' for the list in the file, 0 after printing what is wrong.
char Check(const std::string& path) {
    std::string bytes;
    if (telorad::ReadSettingsFile(path, bytes) != telorad::SettingsFileStatus::kRead) {
        std::puts("unreadable");
        return 0;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & 0777) != 0600) {
        std::puts("mode");
        return 0;
    }
    if (bytes.find(kHandWritten) != 0) {
        std::puts("hand-written lines lost");
        return 0;
    }
    HostHistory history;
    telorad::LoadHostHistoryFromProfile(history, telorad::ParseProfile(bytes));
    const HostHistory b = ListB();
    const HostHistory loadedB(b.begin(), b.begin() + telorad::kHostHistoryLoadMax);
    const char list = Same(history, ListA()) ? 'A' : Same(history, loadedB) ? 'B' : 0;
    std::puts(list == 'A' ? "A" : list == 'B' ? "B" : "neither list");
    std::fflush(stdout);
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: save_loop init|run|check PATH\n", stderr);
        return 2;
    }
    const std::string mode = argv[1];
    const std::string path = argv[2];
    if (mode == "init") {
        if (!telorad::ReplaceSettingsFile(path, kHandWritten)) return 1;
        return telorad::SaveHostHistory(ListA(), path) ? 0 : 1;
    }
    if (mode == "run") {
        const char found = Check(path);
        if (found == 0) return 1;
        const HostHistory lists[2] = {found == 'A' ? ListB() : ListA(),
                                      found == 'A' ? ListA() : ListB()};
        for (unsigned long n = 0;; ++n) {
            if (!telorad::SaveHostHistory(lists[n % 2], path)) return 1;
        }
    }
    if (mode == "check") return Check(path) != 0 ? 0 : 1;
    return 2;
}
