// Start-up, menu commands and the connected and disconnected states, driven as a user would.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/viewer_fixture.h"
#include "hosts/host_history.h"

namespace telorad {
namespace {

using testing::Describe;
using testing::SentMessage;
using testing::ViewerTest;

constexpr int kConnectionItems[] = {IDM_DISCONNECT, IDM_MODE_STANDBY, IDM_MODE_MONITOR,
                                    IDM_MODE_CONTROL};
constexpr int kMarkItems[] = {IDM_MODE_STANDBY, IDM_MODE_MONITOR, IDM_MODE_CONTROL, IDM_AUTO_SCROLL,
                              IDM_SYNC_CURSOR};

const std::vector<std::uint32_t> kSetMonitor{MSG_SET_MODE, MODE_MONITOR};

std::map<int, bool> Marks(RecordingWindowSystem& window) {
    std::map<int, bool> marks;
    for (int item : kMarkItems) marks[item] = window.IsMenuItemChecked(item);
    return marks;
}

void ExpectDisconnectedMenu(RecordingWindowSystem& window) {
    EXPECT_TRUE(window.IsMenuItemEnabled(IDM_CONNECT));
    for (int item : kConnectionItems) EXPECT_FALSE(window.IsMenuItemEnabled(item)) << item;
}

void ExpectConnectedMenu(RecordingWindowSystem& window) {
    EXPECT_FALSE(window.IsMenuItemEnabled(IDM_CONNECT));
    for (int item : kConnectionItems) EXPECT_TRUE(window.IsMenuItemEnabled(item)) << item;
}

void ExpectExportGrayed(RecordingWindowSystem& window) {
    EXPECT_FALSE(window.IsMenuItemEnabled(IDM_SAVE_BMP));
    EXPECT_FALSE(window.IsMenuItemEnabled(IDM_PRINT));
}

// --- Start-up ---------------------------------------------------------------------------------

TEST_F(ViewerTest, StartUpGraysConnectionItemsAndExportAndSetsNoMarks) {
    ExpectDisconnectedMenu(window);
    ExpectExportGrayed(window);
    for (int item : {IDM_COPY, IDM_ABOUT, IDM_EXIT, IDM_AUTO_SCROLL, IDM_SYNC_CURSOR, IDM_COMMAND})
        EXPECT_TRUE(window.IsMenuItemEnabled(item)) << item;
    for (const auto& [item, checked] : Marks(window)) EXPECT_FALSE(checked) << item;
    EXPECT_EQ(client.view.maxWindowWidth, 960);
    EXPECT_EQ(client.view.maxWindowHeight, 540);
    EXPECT_EQ(client.framebuffer.width, 320);
    EXPECT_EQ(client.framebuffer.height, 240);
    EXPECT_EQ(client.wireCodePage, kDefaultWireCodePage);
}

TEST(StartClientTest, LoadsHistoryCodePageAndClockFromTheSettingsFile) {
    testing::TempDir dir;
    const auto path = dir.path() / "remote.ini";
    testing::WriteFileBytes(path, [] {
        const std::string text =
            "[Client]\r\nHost00=alpha\r\nPort00=4000\r\nPasswd00=pa\r\n"
            "Host01=beta\r\nPort01=5000\r\nPasswd01=pb\r\nCodePage=1252\r\n";
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }());
    RecordingWindowSystem window;
    window.tickCount = 123456;
    Client client(window);
    StartClientWithSettings(client, {1366, 769}, path.string());
    ASSERT_EQ(client.hostHistory.size(), 2u);
    EXPECT_EQ(client.hostHistory[0].label, "alpha:4000");
    EXPECT_EQ(client.hostHistory[1].label, "beta:5000");
    EXPECT_EQ(client.wireCodePage, 1252u);
    EXPECT_EQ(client.lastSyncTick, 123456u);
    EXPECT_EQ(client.view.maxWindowWidth, 683);
    EXPECT_EQ(client.view.maxWindowHeight, 384);
    EXPECT_EQ(client.settingsPath, path.string());
}

// --- Connect ----------------------------------------------------------------------------------

TEST_F(ViewerTest, CancellingTheConnectDialogChangesNothing) {
    client.sentKeyState[65] = 1;
    const auto callsBefore = window.calls.size();
    HandleCommand(client, IDM_CONNECT);  // no script: the dialog is cancelled
    EXPECT_EQ(window.connectDialogs, 1);
    ASSERT_EQ(window.calls.size(), callsBefore + 1);
    EXPECT_EQ(window.calls.back(), "ConnectDialog");
    EXPECT_TRUE(window.messageBoxes.empty());
    EXPECT_EQ(client.connection.socket, kNoSocket);
    EXPECT_EQ(client.sentKeyState[65], 1u);
    EXPECT_TRUE(client.hostHistory.empty());
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
}

TEST_F(ViewerTest, FailedConnectShowsConnectionErrorAndKeepsTheMenuAndTheKeyTable) {
    const testing::RefusingPort refusing;
    client.sentKeyState[65] = 1;
    client.connection.sendCipher.enabled = 1;
    ScriptConnectDialog(refusing.port());
    HandleCommand(client, IDM_CONNECT);

    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_EQ(window.messageBoxes[0].text, "Connection Error");
    EXPECT_EQ(window.messageBoxes[0].caption, "Debug");
    EXPECT_EQ(client.connection.socket, kNoSocket);
    EXPECT_EQ(client.connection.sendCipher.enabled, 0) << "ciphers are reset before the attempt";
    EXPECT_EQ(client.sentKeyState[65], 1u);
    ExpectDisconnectedMenu(window);
    // The dialog stored the server before the attempt.
    ASSERT_EQ(client.hostHistory.size(), 1u);
    EXPECT_EQ(client.hostHistory[0].label, "127.0.0.1:" + std::to_string(refusing.port()));
    EXPECT_TRUE(std::filesystem::exists(settingsPath));
}

TEST_F(ViewerTest, EveryConnectStartsWithMonitorWhateverTheMarkWas) {
    struct Case {
        const char* name;
        int modeBefore;  // 0: no mode chosen yet
    };
    const Case cases[] = {{"first connect", 0},
                          {"after standby", IDM_MODE_STANDBY},
                          {"after monitor", IDM_MODE_MONITOR},
                          {"after control", IDM_MODE_CONTROL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        client.sentKeyState.fill(1);
        ASSERT_TRUE(Connect());
        ExpectConnectedMenu(window);
        EXPECT_TRUE(window.IsMenuItemChecked(IDM_MODE_MONITOR));
        EXPECT_EQ(std::count(client.sentKeyState.begin(), client.sentKeyState.end(), 0u), 256);
        if (c.modeBefore != 0) HandleCommand(client, c.modeBefore);
        HandleCommand(client, IDM_DISCONNECT);
        ExpectDisconnectedMenu(window);
        const std::vector<SentMessage> sent = Sent();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(Describe(sent)[0], kSetMonitor);
    }
}

TEST_F(ViewerTest, ModeCommandsSendTheirValueEveryTimeAndMoveTheRadioMark) {
    ASSERT_TRUE(Connect());
    const struct {
        int command;
        std::uint32_t mode;
    } steps[] = {{IDM_MODE_CONTROL, MODE_CONTROL},
                 {IDM_MODE_CONTROL, MODE_CONTROL},
                 {IDM_MODE_STANDBY, MODE_STANDBY},
                 {IDM_MODE_MONITOR, MODE_MONITOR}};
    std::vector<std::vector<std::uint32_t>> expected{kSetMonitor};
    for (const auto& step : steps) {
        HandleCommand(client, step.command);
        for (int item : {IDM_MODE_STANDBY, IDM_MODE_MONITOR, IDM_MODE_CONTROL})
            EXPECT_EQ(window.IsMenuItemChecked(item), item == step.command);
        expected.push_back({MSG_SET_MODE, step.mode});
    }
    EXPECT_EQ(Describe(Sent()), expected);
}

TEST_F(ViewerTest, TogglesFlipTheirOwnMarkAndSendNothing) {
    ASSERT_TRUE(Connect());
    for (int item : {IDM_AUTO_SCROLL, IDM_SYNC_CURSOR}) {
        SCOPED_TRACE(item);
        HandleCommand(client, item);
        EXPECT_TRUE(window.IsMenuItemChecked(item));
        HandleCommand(client, item);
        EXPECT_FALSE(window.IsMenuItemChecked(item));
    }
    EXPECT_EQ(Describe(Sent()), std::vector<std::vector<std::uint32_t>>{kSetMonitor});
}

TEST_F(ViewerTest, DisconnectKeepsEveryMarkAndTheNextConnectMovesOnlyTheModeMark) {
    ASSERT_TRUE(Connect());
    HandleCommand(client, IDM_MODE_CONTROL);
    HandleCommand(client, IDM_AUTO_SCROLL);
    HandleCommand(client, IDM_SYNC_CURSOR);
    const auto marks = Marks(window);
    HandleCommand(client, IDM_DISCONNECT);
    EXPECT_EQ(client.connection.socket, kNoSocket);
    EXPECT_EQ(Marks(window), marks);
    ExpectDisconnectedMenu(window);

    ASSERT_TRUE(Connect());
    auto expected = marks;
    expected[IDM_MODE_CONTROL] = false;
    expected[IDM_MODE_MONITOR] = true;
    EXPECT_EQ(Marks(window), expected);
}

TEST_F(ViewerTest, ExportStaysGrayedForTheWholeRunAndItsCommandsDoNothing) {
    ExpectExportGrayed(window);
    ASSERT_TRUE(Connect());
    ExpectExportGrayed(window);
    HandleCommand(client, IDM_DISCONNECT);
    ExpectExportGrayed(window);
    window.saveFileName = (dir.path() / "picture.bmp").string();
    window.printableSize = Size{4800, 6600};
    HandleCommand(client, IDM_SAVE_BMP);  // a grayed item: Ctrl+P and the menu alike
    HandleCommand(client, IDM_PRINT);
    EXPECT_EQ(window.saveDialogs, 0);
    EXPECT_TRUE(window.printedPages.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "picture.bmp"));
}

TEST_F(ViewerTest, CommandsWithoutHandlerDoNothing) {
    ASSERT_TRUE(Connect());
    const auto callsBefore = window.calls;
    for (int command : {IDM_OPEN_UNUSED, IDM_PASTE_UNUSED, IDM_RELOAD_UNUSED, 0, 40000, 40031, -1})
        HandleCommand(client, command);
    EXPECT_EQ(window.calls, callsBefore);
    EXPECT_EQ(Describe(Sent()), std::vector<std::vector<std::uint32_t>>{kSetMonitor});
}

TEST_F(ViewerTest, CopyPutsTheWholeWhiteStartPictureOnTheClipboardBeforeAnyConnection) {
    client.view.scrollX = 10;  // whatever part the window shows
    HandleCommand(client, IDM_COPY);
    ASSERT_EQ(window.clipboard.size(), 1u);
    const ScreenBitmap& copied = window.clipboard[0];
    EXPECT_EQ(copied.width, 320);
    EXPECT_EQ(copied.height, 240);
    EXPECT_EQ(copied.bitsPerPixel, 24);
    EXPECT_TRUE(std::all_of(copied.pixels.begin(), copied.pixels.end(),
                            [](std::uint8_t byte) { return byte == 0xFF; }));
}

TEST_F(ViewerTest, AboutBoxAndExit) {
    HandleCommand(client, IDM_ABOUT);
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_EQ(window.messageBoxes[0].caption, "About Telorad client");
    const std::string& text = window.messageBoxes[0].text;
    EXPECT_EQ(text.rfind("Telorad client Ver.0.3\n\t", 0), 0u);
    EXPECT_EQ(text.find('\n', 24), std::string::npos) << "the notice is one line";
    EXPECT_NE(text.find("Telorad developers"), std::string::npos);
    EXPECT_EQ(window.messageBoxes[0].style, MessageBoxStyle::Ok);

    EXPECT_FALSE(window.destroyed);
    HandleCommand(client, IDM_EXIT);
    EXPECT_TRUE(window.destroyed);
}

TEST_F(ViewerTest, CommandDialogOpensAlsoWhileDisconnected) {
    window.commandText = "dir";
    HandleCommand(client, IDM_COMMAND);
    EXPECT_EQ(window.commandDialogs, 1);
    EXPECT_TRUE(window.messageBoxes.empty());
}

// --- Typed passwords and the wire code page -----------------------------------------------------

// The settings file holds wire bytes: typed text is converted once, when OK stores it; stored
// bytes are shown decoded and, when the field is left alone, kept byte for byte.
TEST_F(ViewerTest, HostsAndPasswordsAreStoredAndSentAsWireBytes) {
    const std::string stored = "\x83\x70\x83\x58\\\xFF";  // パス, a backslash, a stray byte
    const struct {
        const char* name;
        const char* typed;  // nullptr: the password field is left as shown
        std::string wire;
    } cases[] = {
        {"left alone", nullptr, stored},
        {"typed anew", "パス", "\x83\x70\x83\x58"},
        {"edited", "パス\\x", "\x83\x70\x83\x58\\x"},
    };
    for (const auto& c : cases) {
        const std::string file =
            "[Client]\r\nHost00=127.0.0.1\r\nPort00=" + std::to_string(port) +
            "\r\nPasswd00=" + stored + "\r\n";
        testing::WriteFileBytes(settingsPath, std::vector<std::uint8_t>(file.begin(), file.end()));
        client.hostHistory.clear();
        StartClientWithSettings(client, {1920, 1080}, settingsPath);
        std::string shown;
        window.onConnectDialog = [&](ConnectForm& form) {
            shown = form.passwordText;
            if (c.typed != nullptr) form.passwordText = c.typed;
            return kConnectFormOk;
        };
        HandleCommand(client, IDM_CONNECT);
        EXPECT_EQ(shown, "パス\\\xEF\xBF\xBD") << c.name;
        EXPECT_EQ(client.connectParams.password, c.wire) << c.name;
        ASSERT_EQ(client.hostHistory.size(), 1u) << c.name;
        EXPECT_EQ(client.hostHistory[0].password, c.wire) << c.name;
        const auto saved = testing::ReadFileBytes(settingsPath);
        EXPECT_NE(std::string(saved.begin(), saved.end()).find("Passwd00=" + c.wire + "\r\n"),
                  std::string::npos)
            << c.name;
        EXPECT_NE(client.connection.socket, kNoSocket) << c.name;
        DisconnectFromServer(client);
    }
}

TEST_F(ViewerTest, PasswordTheCodePageCannotHoldIsRefusedAndTheDialogOpensAgain) {
    std::vector<std::string> seen;
    window.onConnectDialog = [&](ConnectForm& form) {
        seen.push_back(form.passwordText);
        if (seen.size() > 1) return kConnectFormCancel;
        form.hostText = "127.0.0.1";
        form.portText = std::to_string(port);
        form.passwordText = "pw\xF0\x9F\x98\x80";  // an emoji
        return kConnectFormOk;
    };
    HandleCommand(client, IDM_CONNECT);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], "pw\xF0\x9F\x98\x80") << "the dialog comes back as the user left it";
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_NE(window.messageBoxes[0].text.find("このパスワードは送信できません"),
              std::string::npos);
    EXPECT_NE(window.messageBoxes[0].text.find("This password cannot be sent"), std::string::npos);
    EXPECT_EQ(client.connection.socket, kNoSocket);
    EXPECT_TRUE(client.hostHistory.empty());
    EXPECT_EQ(client.connectParams.password, "");
    ExpectDisconnectedMenu(window);
}

TEST_F(ViewerTest, HostTooLongIsRefusedAndTheDialogOpensAgain) {
    int runs = 0;
    window.onConnectDialog = [&](ConnectForm& form) {
        if (++runs > 1) return kConnectFormCancel;
        form.hostText = std::string(128, 'h');
        return kConnectFormOk;
    };
    HandleCommand(client, IDM_CONNECT);
    EXPECT_EQ(runs, 2);
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_NE(window.messageBoxes[0].text.find("too long"), std::string::npos);
    EXPECT_TRUE(client.hostHistory.empty());
    EXPECT_EQ(client.connection.socket, kNoSocket);
}

// --- Main loop: the server going away -----------------------------------------------------------

TEST_F(ViewerTest, ServerClosingTheConnectionDisconnectsAndTellsTheUserOnce) {
    ASSERT_TRUE(Connect());
    HandleCommand(client, IDM_MODE_CONTROL);
    ::close(server);
    server = -1;
    EXPECT_EQ(DrainNetwork(client), DrainResult::Closed);
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_EQ(window.messageBoxes[0].text, "切断されました");
    EXPECT_EQ(window.messageBoxes[0].caption, "Error.");
    ExpectDisconnectedMenu(window);
    EXPECT_TRUE(window.IsMenuItemChecked(IDM_MODE_CONTROL));
    EXPECT_EQ(DrainNetwork(client), DrainResult::Idle) << "no socket: nothing to drain";
    EXPECT_EQ(window.messageBoxes.size(), 1u);
}

TEST_F(ViewerTest, DrainStopsWhenItsTimeIsSpentAndTheNextTurnGoesOn) {
    ASSERT_TRUE(Connect());
    std::vector<std::uint8_t> stream;
    for (std::uint32_t side : {8u, 16u, 24u}) {
        std::uint8_t message[kHeaderSize + kScreenInfoSize];
        EncodeHeader({MSG_SCREEN_INFO, kScreenInfoSize}, message);
        EncodeScreenInfo({0, side, side, 24, side, 0}, message + kHeaderSize);
        stream.insert(stream.end(), std::begin(message), std::end(message));
    }
    ASSERT_TRUE(testing::WriteAll(server, stream));
    client.drainBudgetMs = 0;  // spent by the first message
    EXPECT_EQ(DrainNetwork(client), DrainResult::BudgetSpent);
    EXPECT_EQ(client.received.screenInfos, 1u);
    EXPECT_EQ(client.framebuffer.width, 8);
    client.drainBudgetMs = 60000;
    EXPECT_EQ(DrainNetwork(client), DrainResult::Idle);
    EXPECT_EQ(client.received.screenInfos, 3u);
    EXPECT_EQ(client.framebuffer.width, 24);
    EXPECT_TRUE(window.messageBoxes.empty());
}

}  // namespace
}  // namespace telorad
