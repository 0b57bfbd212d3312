#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace telorad {
namespace {

TEST(ViewerArgumentsTest, OptionsServersAndErrors) {
    const std::string longest(127, 'h');
    const struct {
        std::vector<std::string> args;
        ViewerStart start;
        std::string host;  // kRun: the server named, empty for none
        std::uint16_t port;
        std::string error;  // kUsageError: the start of the message
        std::string replay = {};
    } cases[] = {
        {{"--replay", "r.rec"}, ViewerStart::kRun, "", 0, "", "r.rec"},
        {{"--replay", "r.rec", "h"}, ViewerStart::kUsageError, "", 0, "a recording or a server"},
        {{"--replay"}, ViewerStart::kUsageError, "", 0, "--replay needs a FILE"},
        {{}, ViewerStart::kRun, "", 0, ""},
        {{"--help"}, ViewerStart::kHelp, "", 0, ""},
        {{"-h"}, ViewerStart::kHelp, "", 0, ""},
        {{"--version"}, ViewerStart::kVersion, "", 0, ""},
        {{"--bogus", "--help"}, ViewerStart::kHelp, "", 0, ""},
        {{"--version", "--help"}, ViewerStart::kHelp, "", 0, ""},
        {{"h:1", "--version"}, ViewerStart::kVersion, "", 0, ""},
        {{"127.0.0.1"}, ViewerStart::kRun, "127.0.0.1", 9876, ""},
        {{"example.org:5900"}, ViewerStart::kRun, "example.org", 5900, ""},
        {{"h:65535"}, ViewerStart::kRun, "h", 65535, ""},
        {{"h:1"}, ViewerStart::kRun, "h", 1, ""},
        {{"--", "-h"}, ViewerStart::kRun, "-h", 9876, ""},
        {{"--", "--version"}, ViewerStart::kRun, "--version", 9876, ""},
        {{longest + ":7"}, ViewerStart::kRun, longest, 7, ""},
        {{"a:b:80"}, ViewerStart::kRun, "a:b", 80, ""},  // the last colon names the port
        {{"--bogus"}, ViewerStart::kUsageError, "", 0, "unknown option '--bogus'"},
        {{"-platform", "offscreen"}, ViewerStart::kUsageError, "", 0, "unknown option"},
        {{"h", "g"}, ViewerStart::kUsageError, "", 0, "one server at most"},
        {{"h:0"}, ViewerStart::kUsageError, "", 0, "bad server 'h:0': the port"},
        {{"h:65536"}, ViewerStart::kUsageError, "", 0, "bad server 'h:65536': the port"},
        {{"h:99999999999999999999"}, ViewerStart::kUsageError, "", 0, "bad server"},
        {{"h:"}, ViewerStart::kUsageError, "", 0, "bad server 'h:': the port"},
        {{"h:+80"}, ViewerStart::kUsageError, "", 0, "bad server 'h:+80': the port"},
        {{"h:-80"}, ViewerStart::kUsageError, "", 0, "bad server 'h:-80': the port"},
        {{"h: 80"}, ViewerStart::kUsageError, "", 0, "bad server 'h: 80': the port"},
        {{"h:80x"}, ViewerStart::kUsageError, "", 0, "bad server 'h:80x': the port"},
        {{":80"}, ViewerStart::kUsageError, "", 0, "bad server ':80': the host name is missing"},
        {{""}, ViewerStart::kUsageError, "", 0, "bad server '': the host name is missing"},
        {{longest + "h"}, ViewerStart::kUsageError, "", 0, "bad server"},
        {{"a\nHost00=b"}, ViewerStart::kUsageError, "", 0, "bad server"},
        {{std::string("a\0b", 3)}, ViewerStart::kUsageError, "", 0, "bad server"},
    };
    for (const auto& c : cases) {
        const std::string what = ::testing::PrintToString(c.args);
        const ViewerOptions options = ParseViewerArguments(c.args);
        EXPECT_EQ(options.start, c.start) << what;
        EXPECT_EQ(options.serverGiven, !c.host.empty()) << what;
        if (c.start == ViewerStart::kRun) {
            EXPECT_EQ(options.replayFile, c.replay) << what;
        }
        if (c.start == ViewerStart::kRun && !c.host.empty()) {
            EXPECT_EQ(options.host, c.host) << what;
            EXPECT_EQ(options.port, c.port) << what;
        }
        EXPECT_EQ(options.error.rfind(c.error, 0), 0u) << what << ": " << options.error;
        EXPECT_EQ(options.error.empty(), c.start != ViewerStart::kUsageError) << what;
    }
}

}  // namespace
}  // namespace telorad
