#include "hosts/settings_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "hosts_test_util.h"
#include "support/test_support.h"

namespace telorad {
namespace {

using testing::TempDir;
using testing::WriteText;

TEST(SettingsPathTest, WindowsScanSkipsSecondBytesOfShiftJis) {
    const struct {
        std::string exe;
        std::string expected;
    } cases[] = {
        {"C:\\Program Files\\Telorad\\telorad.exe", "C:\\Program Files\\Telorad\\remote.ini"},
        // "表" is 0x95 0x5C: a directory named by it still holds the executable.
        {"C:\\\x95\x5C\\telorad.exe", "C:\\\x95\x5C\\remote.ini"},
        {"C:\\Tools\\\x95\x5C.exe", "C:\\Tools\\remote.ini"},
        {"C:\\d\\\x81\x5Cx\\\x9F\x5C.exe", "C:\\d\\\x81\x5Cx\\remote.ini"},
        {"C:\\d\\\xE0\x5C.exe", "C:\\d\\remote.ini"},
        {"C:\\d\\\xEC\x5C.exe", "C:\\d\\remote.ini"},
        // 0xED-0xEF and 0x80, 0xA0 start no two-byte character: their next byte counts.
        {"C:\\d\\\xED\x5Cx.exe", "C:\\d\\\xED\x5Cremote.ini"},
        {"C:\\d\\\xEF\x5Cx.exe", "C:\\d\\\xEF\x5Cremote.ini"},
        {"C:\\d\\\x80\x5Cx.exe", "C:\\d\\\x80\x5Cremote.ini"},
        {"C:\\d\\\xA0\x5Cx.exe", "C:\\d\\\xA0\x5Cremote.ini"},
        // A lead byte at the very end has no second byte to skip.
        {"C:\\d\\x\x95", "C:\\d\\remote.ini"},
        // Slashes are no separators here; a backslash at the first byte only does not count.
        {"C:/d/telorad.exe", "C:/d/telorad.exeremote.ini"},
        {"\\telorad.exe", "\\telorad.exeremote.ini"},
        {"\\\\host\\share\\t.exe", "\\\\host\\share\\remote.ini"},
        {"telorad.exe", "telorad.exeremote.ini"},
        {"", "remote.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsPathBesideExecutable(c.exe, '\\', true), c.expected) << c.exe;
    }
    // Without the scan the 0x5C of "表" is taken for a separator.
    EXPECT_EQ(SettingsPathBesideExecutable("C:\\Tools\\\x95\x5C.exe", '\\', false),
              "C:\\Tools\\\x95\x5Cremote.ini");
}

TEST(SettingsPathTest, PosixPathsSplitAtTheLastSlash) {
    const struct {
        std::string exe;
        std::string expected;
    } cases[] = {
        {"/usr/local/bin/telorad", "/usr/local/bin/remote.ini"},
        // "い" in UTF-8 is E3 81 84: read as Shift_JIS, 0x84 would swallow the next '/'.
        {"/opt/\xE3\x81\x84/telorad", "/opt/\xE3\x81\x84/remote.ini"},
        {"/home/u/dir\\name/telorad", "/home/u/dir\\name/remote.ini"},
        {"/telorad", "/remote.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SettingsPathBesideExecutable(c.exe, '/', false), c.expected) << c.exe;
    }
    EXPECT_EQ(SettingsPathBesideExecutable("/opt/\xE3\x81\x84/telorad", '/', true),
              "/opt/remote.ini");
}

TEST(SettingsPathTest, UserDirectoryFromTheEnvironment) {
    EXPECT_EQ(UserSettingsDirectory({"/x/config", "/home/u"}), "/x/config/telorad");
    EXPECT_EQ(UserSettingsDirectory({"", "/home/u"}), "/home/u/.config/telorad");
    EXPECT_EQ(UserSettingsDirectory({"relative", "/home/u"}), "/home/u/.config/telorad");
    EXPECT_EQ(UserSettingsDirectory({"", "relative"}), "");
    EXPECT_EQ(UserSettingsDirectory({"", ""}), "");
}

mode_t DirectoryMode(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    return info.st_mode & 07777;
}

TEST(SettingsPathTest, WritableExecutableDirectoryIsUsed) {
    TempDir dir;
    const std::string exe = (dir.path() / "telorad").string();
    EXPECT_EQ(ChooseSettingsFilePath(exe, {(dir.path() / "xdg").string(), ""}),
              (dir.path() / "remote.ini").string());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "xdg"));
}

TEST(SettingsPathTest, UnusableExecutableDirectoryFallsBackToTheUserDirectory) {
    TempDir dir;
    // A directory that does not exist cannot take the file.
    const std::string exe = (dir.path() / "missing/bin/telorad").string();
    const std::filesystem::path xdg = dir.path() / "config";
    EXPECT_EQ(ChooseSettingsFilePath(exe, {xdg.string(), "/nonexistent-home"}),
              (xdg / "telorad/remote.ini").string());
    EXPECT_EQ(DirectoryMode(xdg), 0700u);
    EXPECT_EQ(DirectoryMode(xdg / "telorad"), 0700u);

    const std::filesystem::path home = dir.path() / "home";
    std::filesystem::create_directory(home);
    EXPECT_EQ(ChooseSettingsFilePath(exe, {"", home.string()}),
              (home / ".config/telorad/remote.ini").string());
    EXPECT_EQ(DirectoryMode(home / ".config/telorad"), 0700u);

    // An installed program keeps out of the system's directories, even where it may write.
    for (const char* installed : {"/usr/bin/telorad", "/usr/local/bin/telorad", "/bin/telorad"}) {
        EXPECT_EQ(ChooseSettingsFilePath(installed, {xdg.string(), ""}),
                  (xdg / "telorad/remote.ini").string())
            << installed;
    }

    // Nowhere else to go: the executable's directory, where the save will fail and say so.
    EXPECT_EQ(ChooseSettingsFilePath(exe, {"", ""}),
              (dir.path() / "missing/bin/remote.ini").string());
}

TEST(SettingsPathTest, ExistingFileBesideAReadOnlyExecutableIsKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write into any directory";
    TempDir dir;
    const std::filesystem::path bin = dir.path() / "bin";
    std::filesystem::create_directory(bin);
    const std::string exe = (bin / "telorad").string();
    const std::filesystem::path xdg = dir.path() / "config";
    ASSERT_EQ(::chmod(bin.c_str(), 0555), 0);
    EXPECT_EQ(ChooseSettingsFilePath(exe, {xdg.string(), ""}),
              (xdg / "telorad/remote.ini").string());
    ASSERT_EQ(::chmod(bin.c_str(), 0755), 0);
    WriteText(bin / "remote.ini", "");
    ASSERT_EQ(::chmod(bin.c_str(), 0555), 0);
    EXPECT_EQ(ChooseSettingsFilePath(exe, {xdg.string(), ""}), (bin / "remote.ini").string());
    ::chmod(bin.c_str(), 0755);
}

TEST(SettingsPathTest, ThisProcessUsesItsOwnDirectoryWhenWritable) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path beside = exe.parent_path() / "remote.ini";
    if (std::filesystem::exists(beside) || ::access(exe.parent_path().c_str(), W_OK) == 0) {
        EXPECT_EQ(SettingsFilePath(), beside.string());
        return;
    }
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string directory = UserSettingsDirectory({xdg ? xdg : "", home ? home : ""});
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(SettingsFilePath(), directory + "/remote.ini");
}

}  // namespace
}  // namespace telorad
