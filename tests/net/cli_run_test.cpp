// telorad-cli run against the bundled server: the exact messages of every action, in order, as
// the server logged them; releases after errors, time-outs and failed expectations; expect with
// its tolerance.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace telorad {
namespace {

using testing::ReadFileBytes;
using testing::RunProgram;
using testing::TempDir;

const std::string kServer = TELORAD_SERVER_PATH;
const std::string kCli = TELORAD_CLI_PATH;

// The value after "name": in one JSON line, up to the next ',' or '}' (quotes removed).
std::string Field(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return {};
    std::string value = line.substr(at + key.size());
    if (!value.empty() && value[0] == '"') return value.substr(1, value.find('"', 1) - 1);
    return value.substr(0, value.find_first_of(",}"));
}

// One logged event, compactly: "mode 3", "key 0 17", "mouse 513 10 20", "command echo x".
std::string Compact(const std::string& line) {
    const std::string type = Field(line, "type");
    if (type == "mode") return "mode " + Field(line, "mode");
    if (type == "key") return "key " + Field(line, "released") + " " + Field(line, "vk");
    if (type == "mouse") {
        return "mouse " + Field(line, "event") + " " + Field(line, "x") + " " + Field(line, "y");
    }
    if (type == "command") return "command " + Field(line, "text");
    return type;
}

class CliRun : public ::testing::Test {
  protected:
    void StartServer(std::vector<std::string> args) {
        args.insert(args.end(), {"--auth", "none", "--log", logPath});
        server = std::make_unique<testing::ServerProcess>(kServer, args, dir.path());
    }

    int Run(std::vector<std::string> words, std::vector<std::string> options = {}) {
        std::vector<std::string> argv = {kCli, "run"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.push_back("127.0.0.1:" + std::to_string(server->port()));
        argv.insert(argv.end(), words.begin(), words.end());
        return RunProgram(argv, 60000, {"TELORAD_PASSWORD=", "HOME=" + dir.path().string()});
    }

    // The events of the last client, once it has disconnected (10 s at most), mode 2 at the
    // login included.
    std::vector<std::string> LastClientEvents() {
        std::vector<std::string> events;
        for (int tries = 0; tries < 200; ++tries) {
            events.clear();
            std::ifstream in(logPath);
            for (std::string line; std::getline(in, line);) {
                const std::string event = Compact(line);
                const std::string type = event.substr(0, event.find(' '));
                if (type == "connect") events.clear();
                else if (type != "auth") events.push_back(event);
            }
            if (!events.empty() && events.back() == "disconnect") {
                events.pop_back();
                return events;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ADD_FAILURE() << "the server logged no disconnect";
        return events;
    }

    TempDir dir;
    std::string logPath = (dir.path() / "events.jsonl").string();
    std::unique_ptr<testing::ServerProcess> server;
};

TEST_F(CliRun, EachActionSendsExactlyItsMessagesInOrder) {
    StartServer({"--static", "--size", "64x48"});
    const std::vector<std::string> pressCtrl = {"key 0 17", "key 0 162"};
    const std::vector<std::string> releaseCtrl = {"key 1 162", "key 1 17"};
    const struct {
        std::vector<std::string> words;
        std::vector<std::string> events;  // after the login's "mode 2"
    } cases[] = {
        {{"key", "ctrl+alt+del"},
         {"mode 3", "key 0 17", "key 0 162", "key 0 18", "key 0 164", "key 0 46", "key 1 46",
          "key 1 164", "key 1 18", "key 1 162", "key 1 17"}},
        {{"key", "SHIFT+F10"},
         {"mode 3", "key 0 16", "key 0 160", "key 0 121", "key 1 121", "key 1 160", "key 1 16"}},
        {{"key", "win+r", "key", "rctrl+kp5"},
         {"mode 3", "key 0 91", "key 0 82", "key 1 82", "key 1 91", "key 0 17", "key 0 163",
          "key 0 101", "key 1 101", "key 1 163", "key 1 17"}},
        {{"key", "henkan", "key", "muhenkan", "key", "eisu", "key", "kana", "key", "zenkakuhankaku",
          "key", "ro", "key", "yen"},
         {"mode 3", "key 0 28", "key 1 28", "key 0 29", "key 1 29", "key 0 240", "key 1 240",
          "key 0 242", "key 1 242", "key 0 243", "key 1 243", "key 0 226", "key 1 226",
          "key 0 220", "key 1 220"}},
        {{"keydown", "ctrl", "keyup", "ctrl"},
         {"mode 3", pressCtrl[0], pressCtrl[1], releaseCtrl[0], releaseCtrl[1]}},
        {{"type", "aZ ?"},
         {"mode 3", "key 0 65", "key 1 65", "key 0 16", "key 0 160", "key 0 90", "key 1 90",
          "key 1 160", "key 1 16", "key 0 32", "key 1 32", "key 0 16", "key 0 160", "key 0 191",
          "key 1 191", "key 1 160", "key 1 16"}},
        {{"move", "10", "20", "click", "click", "right", "click", "middle"},
         {"mode 3", "mouse 0 10 20", "mouse 513 10 20", "mouse 514 10 20", "mouse 516 10 20",
          "mouse 517 10 20", "mouse 519 10 20", "mouse 520 10 20"}},
        {{"move", "65535", "1", "doubleclick"},
         {"mode 3", "mouse 0 65535 1", "mouse 513 65535 1", "mouse 514 65535 1",
          "mouse 513 65535 1", "mouse 514 65535 1"}},
        {{"move", "1", "2", "drag", "30", "40", "mousedown", "right", "mouseup", "right"},
         {"mode 3", "mouse 0 1 2", "mouse 513 1 2", "mouse 0 30 40", "mouse 514 30 40",
          "mouse 516 30 40", "mouse 517 30 40"}},
        // No input: no control mode.
        {{"command", "echo hi", "pause", "0.2", "command", ""}, {"command echo hi", "command "}},
        {{"mode", "standby", "mode", "control", "key", "a", "mode", "monitor", "key", "b"},
         {"mode 1", "mode 3", "key 0 65", "key 1 65", "mode 2", "mode 3", "key 0 66", "key 1 66"}},
        // Held at the end: released, buttons first, keys last pressed first.
        {{"keydown", "alt", "keydown", "x", "mousedown"},
         {"mode 3", "key 0 18", "key 0 164", "key 0 88", "mouse 513 0 0", "mouse 514 0 0",
          "key 1 88", "key 1 164", "key 1 18"}},
    };
    for (const auto& c : cases) {
        const std::string what = ::testing::PrintToString(c.words);
        ASSERT_EQ(Run(c.words), 0) << what;
        std::vector<std::string> expected = {"mode 2"};
        expected.insert(expected.end(), c.events.begin(), c.events.end());
        EXPECT_EQ(LastClientEvents(), expected) << what;
    }
}

TEST_F(CliRun, ScriptLinesAreActionsAfterThoseOfTheCommandLine) {
    StartServer({"--static", "--size", "64x48"});
    const std::string script = (dir.path() / "script.txt").string();
    std::ofstream(script) << "# a comment\r\n"
                             "\n"
                             "   key  shift+a  \r\n"
                             "type a b \n"
                             "command dir  /w\n"
                             "move 3 4";
    ASSERT_EQ(Run({"mode", "standby"}, {"--script", script}), 0);
    EXPECT_EQ(LastClientEvents(),
              (std::vector<std::string>{"mode 2", "mode 1", "mode 3", "key 0 16", "key 0 160",
                                        "key 0 65", "key 1 65", "key 1 160", "key 1 16",
                                        "key 0 65", "key 1 65", "key 0 32", "key 1 32",
                                        "key 0 66", "key 1 66", "key 0 32", "key 1 32",
                                        "command dir  /w", "mouse 0 3 4"}));
    // A bad line and a missing script are usage errors.
    std::ofstream(script) << "key a\nkey a b\n";
    EXPECT_EQ(Run({}, {"--script", script}), 64);
    EXPECT_EQ(Run({}, {"--script", (dir.path() / "missing.txt").string()}), 64);
}

TEST_F(CliRun, BadActionsAreRefusedBeforeAnythingIsSent) {
    StartServer({"--static", "--size", "64x48"});
    const std::vector<std::vector<std::string>> refused = {
        {"key", "a", "type", "caf\xC3\xA9"}, {"type", "tab\there"}, {"key", "ctrl+nokey"},
        {"key", "ctrl++"},  {"move", "65536", "0"}, {"click", "sideways"}, {"mode", "watch"},
        {"pause", "-1"},    {"rcapture", "x.bmp", "0", "0", "0", "1"}, {"frobnicate"},
        {"expect", (dir.path() / "missing.png").string()},
    };
    for (const auto& words : refused) {
        EXPECT_EQ(Run(words), 64) << ::testing::PrintToString(words);
    }
    std::ifstream in(logPath);
    std::stringstream log;
    log << in.rdbuf();
    EXPECT_EQ(log.str().find("\"connect\""), std::string::npos) << log.str();
}

TEST_F(CliRun, HeldInputIsReleasedAfterErrorsTimeOutsAndFailedExpectations) {
    StartServer({"--size", "64x48"});
    // Frame 99 of the animation: 9.9 s in, far past what a one-second expect can see.
    const std::string still = (dir.path() / "still.bmp").string();
    ASSERT_EQ(RunProgram({kServer, "--size", "64x48", "--frames", "100", "--dump-frame", still},
                         30000),
              0);
    const std::vector<std::string> held = {"mode 2",        "mode 3",       "key 0 17",
                                           "key 0 162",     "mouse 516 0 0", "mouse 517 0 0",
                                           "key 1 162",     "key 1 17"};
    const struct {
        std::vector<std::string> options, words;
        int exitCode;
    } cases[] = {
        {{"--settle", "0"},
         {"keydown", "ctrl", "mousedown", "right", "capture", "/nonexistent/dir/x.bmp"},
         5},
        {{"--timeout", "2"}, {"keydown", "ctrl", "mousedown", "right", "pause", "30"}, 4},
        {{"--expect-timeout", "1"}, {"keydown", "ctrl", "mousedown", "right", "expect", still}, 6},
    };
    for (const auto& c : cases) {
        const std::string what = ::testing::PrintToString(c.words);
        EXPECT_EQ(Run(c.words, c.options), c.exitCode) << what;
        EXPECT_EQ(LastClientEvents(), held) << what;
    }
}

TEST_F(CliRun, ExpectMatchesAWholeScreenOrARegionWithinTheTolerance) {
    for (const char* depth : {"16", "32", "24"}) {
        SCOPED_TRACE(depth);
        server.reset();
        StartServer({"--static", "--size", "80x60", "--depth", depth});
        const std::string whole = (dir.path() / "whole.bmp").string();
        const std::string region = (dir.path() / "region.png").string();
        ASSERT_EQ(Run({"capture", whole, "rcapture", region, "10", "5", "20", "30"}), 0);
        const struct {
            std::vector<std::string> words;
            int exitCode;
        } cases[] = {
            {{"expect", whole}, 0},
            {{"expect", region, "10", "5"}, 0},
            {{"expect", region, "11", "5"}, 6},  // the same picture one pixel off
            {{"expect", region}, 6},             // a region is not the whole screen
            {{"expect", region, "70", "50"}, 6}, // reaching past the screen
        };
        for (const auto& c : cases) {
            EXPECT_EQ(Run(c.words, {"--expect-timeout", "1"}), c.exitCode)
                << ::testing::PrintToString(c.words);
        }
    }
    // At 24 bits: one channel of one pixel 5 steps away.
    const std::string shifted = (dir.path() / "shifted.bmp").string();
    ASSERT_EQ(Run({"rcapture", shifted, "10", "5", "20", "30"}), 0);
    std::vector<std::uint8_t> bytes = ReadFileBytes(shifted);
    ASSERT_EQ(bytes[28], 24);
    bytes[54] = static_cast<std::uint8_t>(bytes[54] < 128 ? bytes[54] + 5 : bytes[54] - 5);
    testing::WriteFileBytes(shifted, bytes);
    for (const auto& [tolerance, exitCode] : {std::pair{"4", 6}, std::pair{"5", 0}}) {
        EXPECT_EQ(Run({"expect", shifted, "10", "5", "--tolerance", tolerance},
                      {"--expect-timeout", "1"}),
                  exitCode)
            << tolerance;
    }
}

}  // namespace
}  // namespace telorad
