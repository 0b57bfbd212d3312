// The remote command as the server receives it.
#include "app/remote_command.h"

#include <gtest/gtest.h>

#include "app/viewer_fixture.h"

namespace telorad {
namespace {

using testing::SentMessage;
using testing::ViewerTest;

class RemoteCommandTest : public ViewerTest {
  protected:
    // The command messages the server got.
    std::vector<SentMessage> Commands() {
        std::vector<SentMessage> commands;
        for (SentMessage& message : Sent())
            if (message.type == MSG_COMMAND) commands.push_back(std::move(message));
        return commands;
    }
    std::string Run(const std::string& typed) {
        window.commandText = typed;
        HandleCommand(client, IDM_COMMAND);
        return typed;
    }
};

TEST_F(RemoteCommandTest, TextIsSentWithItsNulAndCutAt1023Bytes) {
    const struct {
        std::string typed;
        std::string payload;  // without the NUL
    } cases[] = {
        {"", ""},
        {"notepad.exe", "notepad.exe"},
        {std::string(1023, 'c'), std::string(1023, 'c')},
        {std::string(1024, 'd'), std::string(1023, 'd')},
        {std::string(3000, 'e'), std::string(1023, 'e')},
        {"type 漢字.txt", "type \x8A\xBF\x8E\x9A.txt"},
        // 1022 ASCII bytes, then a double-byte character: it does not fit and is left out whole.
        {std::string(1022, 'f') + "漢", std::string(1022, 'f')},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Connect());
        Run(c.typed);
        const std::vector<SentMessage> commands = Commands();
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(commands[0].payload.size(), c.payload.size() + 1);
        EXPECT_EQ(commands[0].payload.back(), 0);
        EXPECT_EQ(std::string(commands[0].payload.begin(), commands[0].payload.end() - 1),
                  c.payload);
    }
}

TEST_F(RemoteCommandTest, CancelSendsNothingAndEveryRunStartsAfresh) {
    ASSERT_TRUE(Connect());
    window.commandText = std::nullopt;
    HandleCommand(client, IDM_COMMAND);
    EXPECT_EQ(window.commandDialogs, 1);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(RemoteCommandTest, RefusedTextIsNotGarbledAndComesBackToBeMended) {
    ASSERT_TRUE(Connect());
    Run("echo \xE2\x82\xAC\xF0\x9F\x98\x80");  // echo €😀, then Cancel on the reopened dialog
    EXPECT_EQ(window.commandDialogTexts,
              (std::vector<std::string>{"", "echo \xE2\x82\xAC\xF0\x9F\x98\x80"}));
    ASSERT_EQ(window.messageBoxes.size(), 1u);
    EXPECT_NE(window.messageBoxes[0].text.find("このコマンドは送信できません"), std::string::npos);
    EXPECT_NE(window.messageBoxes[0].text.find("This command cannot be sent"), std::string::npos);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(RemoteCommandTest, Utf8CodePagePassesTheTextThrough) {
    client.wireCodePage = kUtf8CodePage;
    ASSERT_TRUE(Connect());
    Run("echo \xF0\x9F\x98\x80");
    const std::vector<SentMessage> commands = Commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(std::string(commands[0].payload.begin(), commands[0].payload.end() - 1),
              "echo \xF0\x9F\x98\x80");
}

TEST_F(RemoteCommandTest, WithoutAConnectionTheDialogStillRunsAndNothingBreaks) {
    Run("dir");
    EXPECT_EQ(window.commandDialogs, 1);
    EXPECT_TRUE(window.messageBoxes.empty());
    EXPECT_EQ(client.connection.socket, kNoSocket);
}

}  // namespace
}  // namespace telorad
