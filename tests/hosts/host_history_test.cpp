#include "hosts/host_history.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "hosts/profile.h"
#include "hosts_test_util.h"
#include "support/test_support.h"

namespace telorad {
namespace {

using testing::MakeEntry;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

std::string Key(const char* prefix, int n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%02d", prefix, n);
    return buffer;
}

// A [Client] section with entries 0..count-1: host hN, port 1000+N, password pN.
std::string ClientSection(int count) {
    std::string text = "[Client]\r\n";
    for (int n = 0; n < count; ++n) {
        text += Key("Host", n) + "=h" + std::to_string(n) + "\r\n";
        text += Key("Port", n) + "=" + std::to_string(1000 + n) + "\r\n";
        text += Key("Passwd", n) + "=p" + std::to_string(n) + "\r\n";
    }
    return text;
}

HostHistory LoadText(const std::string& text) {
    HostHistory history;
    LoadHostHistoryFromProfile(history, ParseProfile(text));
    return history;
}

mode_t FileMode(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(HostHistoryTest, LoadEdgeCases) {
    const struct {
        const char* name;
        std::string file;
        std::size_t count;
    } cases[] = {
        {"twelve entries load ten", ClientSection(12), 10},
        {"host03 missing", ClientSection(3) + "Port03=1\r\nHost04=h4\r\n", 3},
        {"host03 empty", ClientSection(3) + "Host03=\r\nHost04=h4\r\n", 3},
        {"host03 starts with BEL", ClientSection(3) + "Host03=\ax\r\nHost04=h4\r\n", 3},
        {"host00 of blanks and quotes", "[Client]\nHost00= \"\" \nHost01=x\n", 0},
        {"no section", "Host00=h\n", 0},
        {"empty file", "", 0},
    };
    for (const auto& c : cases) {
        const HostHistory history = LoadText(c.file);
        ASSERT_EQ(history.size(), c.count) << c.name;
        for (std::size_t n = 0; n < history.size(); ++n) {
            EXPECT_EQ(history[n].host, "h" + std::to_string(n)) << c.name;
            EXPECT_EQ(history[n].port, static_cast<std::int32_t>(1000 + n)) << c.name;
            EXPECT_EQ(history[n].password, "p" + std::to_string(n)) << c.name;
            EXPECT_EQ(history[n].label, history[n].host + ":" + std::to_string(1000 + n));
        }
    }
}

TEST(HostHistoryTest, LoadFillsMissingPortAndPassword) {
    const HostHistory history = LoadText(
        "[Client]\nHost00=a\nPort00=-1\nHost01=b\nPasswd01=x\nHost02=c\nPort02=2\n"
        "Host03=d\nPort03=70000\nPasswd03=\a secret\nHost04=e\nPort04=\nPasswd04=\n");
    ASSERT_EQ(history.size(), 5u);
    EXPECT_EQ(history[0].label, "a:-1");
    EXPECT_EQ(history[1].port, 9876);
    EXPECT_EQ(history[1].label, "b:9876");
    EXPECT_EQ(history[1].password, "x");
    EXPECT_EQ(history[2].password, "");
    EXPECT_EQ(history[3].label, "d:70000");
    EXPECT_EQ(history[3].password, "");
    EXPECT_EQ(history[4].port, 0);
    EXPECT_EQ(history[4].label, "e:0");
}

TEST(HostHistoryTest, LongHostFromTheFileGivesAnUncutLabel) {
    const std::string host(300, 'h');
    const HostHistory history = LoadText("[Client]\nHost00=" + host + "\nPort00=-2147483648\n");
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].host, host.substr(0, 255));
    EXPECT_EQ(history[0].label, host.substr(0, 255) + ":-2147483648");
}

TEST(HostHistoryTest, RememberHostMovesReplacesAndDeduplicates) {
    HostHistory history;
    for (int n = 0; n < 6; ++n) history.push_back(MakeEntry("h" + std::to_string(n), 1, "p"));
    RememberHost(history, MakeEntry("h4", 1, "new password"));
    ASSERT_EQ(history.size(), 6u);
    EXPECT_EQ(history[0].host, "h4");
    EXPECT_EQ(history[0].password, "new password");
    EXPECT_EQ(history[1].host, "h0");
    EXPECT_EQ(history[4].host, "h3");
    EXPECT_EQ(history[5].host, "h5");

    // Same label twice side by side (a hand-edited file): both go.
    history = LoadText("[Client]\nHost00=a\nHost01=b\nHost02=b\nHost03=c\nHost04=b\n");
    RememberHost(history, MakeEntry("b", 9876, "pw"));
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[0].label, "b:9876");
    EXPECT_EQ(history[1].label, "a:9876");
    EXPECT_EQ(history[2].label, "c:9876");

    // Case and port make different labels.
    RememberHost(history, MakeEntry("B", 9876, ""));
    RememberHost(history, MakeEntry("b", 9877, ""));
    EXPECT_EQ(history.size(), 5u);
}

TEST(HostHistoryTest, FindHostByLabelFindsTheMostRecent) {
    HostHistory history = {MakeEntry("a", 1, "first"), MakeEntry("b", 2, "pb"),
                           MakeEntry("a", 1, "older")};
    const HostEntry* entry = FindHostByLabel(history, "a:1");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->password, "first");
    EXPECT_EQ(FindHostByLabel(history, "b:2"), &history[1]);
    EXPECT_EQ(FindHostByLabel(history, "A:1"), nullptr);
    EXPECT_EQ(FindHostByLabel(history, "a"), nullptr);
}

TEST(HostHistoryTest, NoFileGivesAnEmptyHistory) {
    TempDir dir;
    HostHistory history;
    EXPECT_TRUE(LoadHostHistory(history, (dir.path() / "remote.ini").string()));
    EXPECT_TRUE(history.empty());
}

TEST(HostHistoryTest, SaveThenLoadKeepsEveryByte) {
    TempDir dir;
    const std::string path = (dir.path() / "remote.ini").string();
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
    const HostHistory saved = {
        MakeEntry("\\\\server\\share" + high.substr(0, 64), 65535, high),
        MakeEntry("\x95\x5C\x83\x5C.example", 0, "\\pass\\word\\"),
        MakeEntry("h", -1, " padded\t"),
        MakeEntry("q", 7, "\"quoted\""),
        MakeEntry("r", 8, ""),
    };
    ASSERT_TRUE(SaveHostHistory(saved, path));
    HostHistory loaded;
    ASSERT_TRUE(LoadHostHistory(loaded, path));
    EXPECT_TRUE(testing::SameEntries(saved, loaded));
}

TEST(HostHistoryTest, SaveWritesEveryEntryAndAnEndMarker) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    HostHistory history = LoadText(ClientSection(10));
    RememberHost(history, MakeEntry("new", 1, "n"));
    ASSERT_EQ(history.size(), 11u);
    ASSERT_TRUE(SaveHostHistory(history, path.string()));

    const ProfileDocument file = ParseProfile(ReadText(path));
    EXPECT_EQ(LookupProfileString(file, "Client", "Host10", "-"), "h9");
    EXPECT_EQ(LookupProfileString(file, "Client", "Passwd10", "-"), "p9");
    EXPECT_EQ(LookupProfileString(file, "Client", "Host11", "-"), "");
    HostHistory loaded;
    ASSERT_TRUE(LoadHostHistory(loaded, path.string()));
    ASSERT_EQ(loaded.size(), 10u);
    EXPECT_EQ(loaded[0].label, "new:1");
    EXPECT_EQ(loaded[9].label, "h8:1008");
}

TEST(HostHistoryTest, SaveLeavesKeysBehindTheEndMarker) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    WriteText(path, ClientSection(6));
    const HostHistory history = {MakeEntry("a", 1, "x"), MakeEntry("b", 2, "y"),
                                 MakeEntry("c", 3, "z")};
    ASSERT_TRUE(SaveHostHistory(history, path.string()));
    const ProfileDocument file = ParseProfile(ReadText(path));
    EXPECT_EQ(LookupProfileString(file, "Client", "Host02", "-"), "c");
    EXPECT_EQ(LookupProfileString(file, "Client", "Host03", "-"), "");
    EXPECT_EQ(LookupProfileString(file, "Client", "Port03", "-"), "1003");
    EXPECT_EQ(LookupProfileString(file, "Client", "Passwd03", "-"), "p3");
    EXPECT_EQ(LookupProfileString(file, "Client", "Host05", "-"), "h5");
    HostHistory loaded;
    ASSERT_TRUE(LoadHostHistory(loaded, path.string()));
    EXPECT_TRUE(testing::SameEntries(loaded, history));
}

TEST(HostHistoryTest, EmptyHostIsSavedAndEndsTheNextLoad) {
    TempDir dir;
    const std::string path = (dir.path() / "remote.ini").string();
    const HostHistory history = {MakeEntry("a", 1, ""), MakeEntry("", 2, "x"),
                                 MakeEntry("c", 3, "")};
    ASSERT_TRUE(SaveHostHistory(history, path));
    const ProfileDocument file = ParseProfile(ReadText(path));
    EXPECT_EQ(LookupProfileString(file, "Client", "Host01", "-"), "");
    EXPECT_EQ(LookupProfileString(file, "Client", "Host02", "-"), "c");
    HostHistory loaded;
    ASSERT_TRUE(LoadHostHistory(loaded, path));
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0].label, "a:1");
}

TEST(HostHistoryTest, HandEditedFileKeepsEverythingButOurKeys) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    WriteText(path,
              "; written by hand\r\n"
              "[Display]\r\n"
              "Host00=not ours\r\n"
              "\r\n"
              "  [ client ]  ; the client's list\r\n"
              "  host00 \t=  \"  spaced  \"  \r\n"
              "PORT00=123\r\n"
              "; old password below\r\n"
              "Passwd00 = \"secret\"\r\n"
              "Odd line without equals sign\r\n"
              "Extra=kept\r\n"
              "Host01=\r\n"
              "Port01=5\r\n"
              "\r\n"
              "[Other]\r\n"
              "Passwd00=zzz\r\n");
    HostHistory history;
    ASSERT_TRUE(LoadHostHistory(history, path.string()));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].host, "  spaced  ");
    EXPECT_EQ(history[0].password, "secret");

    RememberHost(history, MakeEntry("new", 42, "pw"));
    ASSERT_TRUE(SaveHostHistory(history, path.string()));
    EXPECT_EQ(ReadText(path),
              "; written by hand\r\n"
              "[Display]\r\n"
              "Host00=not ours\r\n"
              "\r\n"
              "  [ client ]  ; the client's list\r\n"
              "  host00 \t=new\r\n"
              "PORT00=42\r\n"
              "; old password below\r\n"
              "Passwd00 =pw\r\n"
              "Odd line without equals sign\r\n"
              "Extra=kept\r\n"
              "Host01=\"  spaced  \"\r\n"
              "Port01=123\r\n"
              "Passwd01=secret\r\n"
              "Host02=\r\n"
              "\r\n"
              "[Other]\r\n"
              "Passwd00=zzz\r\n");
}

TEST(HostHistoryTest, SavedFileIsPrivateAndNoTemporaryStays) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    const mode_t oldMask = ::umask(0);
    const bool savedNew = SaveHostHistory({MakeEntry("a", 1, "secret")}, path.string());
    ::umask(oldMask);
    ASSERT_TRUE(savedNew);
    EXPECT_EQ(FileMode(path), 0600u);

    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    ASSERT_TRUE(SaveHostHistory({MakeEntry("b", 2, "secret")}, path.string()));
    EXPECT_EQ(FileMode(path), 0600u);

    std::size_t files = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir.path())) {
        EXPECT_EQ(item.path().filename(), "remote.ini");
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(HostHistoryTest, SaveThroughASymbolicLinkKeepsTheLink) {
    TempDir dir;
    const std::filesystem::path target = dir.path() / "real.ini";
    const std::filesystem::path link = dir.path() / "remote.ini";
    WriteText(target, "[Keep]\nx=1\n");
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(SaveHostHistory({MakeEntry("a", 1, "")}, link.string()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadText(target), "[Keep]\nx=1\n[Client]\nHost00=a\nPort00=1\nPasswd00=\nHost01=\n");
}

TEST(HostHistoryTest, FileThatCannotBeReadIsNeverOverwritten) {
    TempDir dir;
    // A directory in the file's place: it exists but cannot be read as a file.
    const std::filesystem::path directory = dir.path() / "remote.ini";
    std::filesystem::create_directory(directory);
    WriteText(directory / "inside", "data");
    HostHistory history;
    EXPECT_FALSE(LoadHostHistory(history, directory.string()));
    EXPECT_TRUE(history.empty());
    EXPECT_FALSE(SaveHostHistory({MakeEntry("a", 1, "")}, directory.string()));
    EXPECT_EQ(ReadText(directory / "inside"), "data");

    // A file without read permission. Root reads anything, so the save then runs in a child
    // that has given up root; the directory is open to it, so only the read check stops it.
    const std::filesystem::path path = dir.path() / "locked.ini";
    const std::string original = ClientSection(2);
    WriteText(path, original);
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        HostHistory loaded;
        const bool loadedOk = LoadHostHistory(loaded, path.string());
        const bool saved = SaveHostHistory({MakeEntry("a", 1, "")}, path.string());
        ::_exit(loadedOk || !loaded.empty() ? 4 : saved ? 5 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(dir.path().c_str(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: no uid change, 4: loaded, 5: overwritten";
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(ReadText(path), original);
}

TEST(HostHistoryTest, OversizedFileIsNeitherLoadedNorOverwritten) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    const std::string big = ClientSection(1) + std::string(1u << 20, '\n');
    WriteText(path, big);
    HostHistory history;
    EXPECT_FALSE(LoadHostHistory(history, path.string()));
    EXPECT_TRUE(history.empty());
    EXPECT_FALSE(SaveHostHistory({MakeEntry("a", 1, "")}, path.string()));
    EXPECT_EQ(ReadText(path), big);
}

TEST(HostHistoryTest, SaveIntoAMissingDirectoryFails) {
    TempDir dir;
    EXPECT_FALSE(SaveHostHistory({MakeEntry("a", 1, "")}, (dir.path() / "no/remote.ini").string()));
}

}  // namespace
}  // namespace telorad
