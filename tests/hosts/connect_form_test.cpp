#include "hosts/connect_form.h"

#include <gtest/gtest.h>

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

HostHistory ThreeEntries() {
    return {MakeEntry("a.example", 1, "pa"), MakeEntry("b.example", 2, "pb"),
            MakeEntry("c.example", 3, "pc")};
}

TEST(ConnectFormTest, EmptyHistoryShowsTheDefaults) {
    const ConnectForm form = OpenConnectForm({});
    EXPECT_TRUE(form.labels.empty());
    EXPECT_EQ(form.selection, -1);
    EXPECT_EQ(form.portText, "9876");
    EXPECT_EQ(form.hostText, "127.0.0.1");
    EXPECT_EQ(form.passwordText, "");
}

TEST(ConnectFormTest, ListInHistoryOrderAndSelectionFillsFields) {
    HostHistory history = ThreeEntries();
    for (int n = 0; n < 9; ++n) history.push_back(MakeEntry("x" + std::to_string(n), 9, ""));
    ConnectForm form = OpenConnectForm(history);
    ASSERT_EQ(form.labels.size(), 12u);
    EXPECT_EQ(form.labels[0], "a.example:1");
    EXPECT_EQ(form.labels[2], "c.example:3");
    EXPECT_EQ(form.labels[11], "x8:9");
    EXPECT_EQ(form.selection, 0);
    EXPECT_EQ(form.hostText, "a.example");
    EXPECT_EQ(form.portText, "1");
    EXPECT_EQ(form.passwordText, "pa");

    SelectConnectFormEntry(form, history, 2);
    EXPECT_EQ(form.selection, 2);
    EXPECT_EQ(form.hostText, "c.example");
    EXPECT_EQ(form.portText, "3");
    EXPECT_EQ(form.passwordText, "pc");

    for (int index : {-1, 12, 1000}) {
        SelectConnectFormEntry(form, history, index);
        EXPECT_EQ(form.selection, 2);
        EXPECT_EQ(form.hostText, "c.example");
    }
}

TEST(ConnectFormTest, ServerNamedAtStartIsSelectedWithItsPasswordOrFilledInWithout) {
    const HostHistory history = ThreeEntries();
    const struct {
        HostHistory history;
        const char* host;
        std::uint16_t port;
        int selection;
        const char* portText;
        const char* password;
    } cases[] = {
        {history, "b.example", 2, 1, "2", "pb"},
        {history, "c.example", 3, 2, "3", "pc"},
        {history, "b.example", 3, -1, "3", ""},  // same host, other port: another server
        {history, "B.EXAMPLE", 2, -1, "2", ""},  // labels compare byte for byte
        {{}, "h", 9876, -1, "9876", ""},
    };
    for (const auto& c : cases) {
        const ConnectForm form = OpenConnectFormFor(c.history, c.host, c.port);
        const std::string what = std::string(c.host) + ":" + std::to_string(c.port);
        EXPECT_EQ(form.labels.size(), c.history.size()) << what;
        EXPECT_EQ(form.selection, c.selection) << what;
        EXPECT_EQ(form.hostText, c.host) << what;
        EXPECT_EQ(form.portText, c.portText) << what;
        EXPECT_EQ(form.passwordText, c.password) << what;
    }
}

TEST(ConnectFormTest, PortFromTheFileShowsUnsigned) {
    const HostHistory history = {MakeEntry("h", -1, "")};
    const ConnectForm form = OpenConnectForm(history);
    EXPECT_EQ(form.portText, "4294967295");
    EXPECT_EQ(ReadPortField(form.portText), 65535);
}

TEST(ConnectFormTest, PortFieldReadsLikeTheUnsignedDialogCall) {
    const struct {
        const char* text;
        std::uint16_t port;
    } cases[] = {
        {"9876", 9876},    {"40000", 40000},
        {"70000", 4464},   {"65536", 0},
        {"65535", 65535},  {"", 0},
        {"0", 0},          {"  12", 12},
        {"12ab", 12},      {"ab", 0},
        {"-5", 0},         {"4294967295", 65535},
        {"4294967296", 0}, {"99999999999999999999", 0},
        {"000080", 80},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadPortField(c.text), c.port) << c.text;
}

TEST(ConnectFormTest, OkStoresParamsRemembersAndSaves) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    const struct {
        const char* name;
        std::string port;
        std::uint16_t expectedPort;
        std::string password;
        std::string expectedPassword;
    } cases[] = {
        {"port 40000", "40000", 40000, "pw", "pw"},
        {"port 70000", "70000", 4464, "pw", "pw"},
        {"empty port", "", 0, "", ""},
        {"200-byte password", "1", 1, std::string(200, 'p'), std::string(127, 'p')},
        {"127-byte password", "1", 1, std::string(127, 'q'), std::string(127, 'q')},
    };
    for (const auto& c : cases) {
        HostHistory history = ThreeEntries();
        ConnectForm form = OpenConnectForm(history);
        form.hostText = "server";
        form.portText = c.port;
        form.passwordText = c.password;
        ConnectParams params;
        const ConnectFormOutcome outcome = ConfirmConnectForm(form, history, params, path.string());
        EXPECT_EQ(outcome.result, kConnectFormOk) << c.name;
        EXPECT_TRUE(outcome.saved) << c.name;
        EXPECT_EQ(params.host, "server");
        EXPECT_EQ(params.port, c.expectedPort) << c.name;
        EXPECT_EQ(params.password, c.expectedPassword) << c.name;
        ASSERT_EQ(history.size(), 4u);
        const std::string label = "server:" + std::to_string(c.expectedPort);
        EXPECT_EQ(history[0].label, label) << c.name;
        EXPECT_EQ(history[0].port, c.expectedPort);
        EXPECT_EQ(history[0].password, c.expectedPassword);

        HostHistory reloaded;
        ASSERT_TRUE(LoadHostHistory(reloaded, path.string()));
        EXPECT_TRUE(testing::SameEntries(reloaded, history)) << c.name;
    }
}

TEST(ConnectFormTest, OkOnTheUnchangedFirstEntryKeepsOrderAndRewritesTheFile) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    HostHistory history = ThreeEntries();
    const HostHistory before = history;
    ConnectParams params;
    const ConnectFormOutcome outcome =
        ConfirmConnectForm(OpenConnectForm(history), history, params, path.string());
    EXPECT_EQ(outcome.result, kConnectFormOk);
    EXPECT_TRUE(outcome.saved);
    EXPECT_TRUE(testing::SameEntries(history, before));
    EXPECT_EQ(params.host, "a.example");
    EXPECT_EQ(params.port, 1);
    EXPECT_EQ(params.password, "pa");
    EXPECT_NE(ReadText(path).find("Host00=a.example"), std::string::npos);
}

TEST(ConnectFormTest, HostLongerThan127BytesIsRefused) {
    TempDir dir;
    const std::filesystem::path path = dir.path() / "remote.ini";
    HostHistory history = {MakeEntry(std::string(128, 'h'), 1, "long"), MakeEntry("b", 2, "")};
    const HostHistory before = history;
    ConnectParams params{"previous", 5, "old"};
    ConnectForm form = OpenConnectForm(history);
    EXPECT_EQ(form.hostText.size(), 128u);
    ConnectFormOutcome outcome = ConfirmConnectForm(form, history, params, path.string());
    EXPECT_EQ(outcome.result, kConnectFormRefused);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(params.host, "previous");
    EXPECT_EQ(params.port, 5);
    EXPECT_EQ(params.password, "old");
    EXPECT_TRUE(testing::SameEntries(history, before));
    EXPECT_FALSE(std::filesystem::exists(path));

    form.hostText.pop_back();
    outcome = ConfirmConnectForm(form, history, params, path.string());
    EXPECT_EQ(outcome.result, kConnectFormOk);
    EXPECT_EQ(params.host, std::string(127, 'h'));
    EXPECT_EQ(history.size(), 3u);
}

TEST(ConnectFormTest, FailedSaveStillEndsWithOk) {
    TempDir dir;
    HostHistory history;
    ConnectParams params;
    const ConnectFormOutcome outcome = ConfirmConnectForm(
        OpenConnectForm(history), history, params, (dir.path() / "none/remote.ini").string());
    EXPECT_EQ(outcome.result, kConnectFormOk);
    EXPECT_FALSE(outcome.saved);
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].label, "127.0.0.1:9876");
    EXPECT_EQ(params.host, "127.0.0.1");
    EXPECT_EQ(params.port, 9876);
}

}  // namespace
}  // namespace telorad
