#pragma once
// Command-line options of the development server.
#include <cstdint>
#include <string>
#include <vector>

namespace telorad::server {

enum class AuthScheme { Digest, Legacy, None };
enum class TileEncoding { Raw, Rle };

struct ServerOptions {
    std::string listenAddress = "127.0.0.1";
    std::uint16_t listenPort = 9876;  // 0: the system picks one
    std::string password;             // bytes of --password-file, one trailing newline removed
    AuthScheme auth = AuthScheme::Digest;
    bool encrypt = false;
    int width = 1024;
    int height = 768;
    bool sizeGiven = false;
    int depth = 24;
    int tileSize = 64;
    TileEncoding encoding = TileEncoding::Rle;
    int fps = 10;  // 0: as fast as the client takes the frames
    std::string imagePath;
    std::string logPath;      // empty: stdout
    std::int64_t frames = 0;  // 0: animate without end
    bool staticPicture = false;
    bool once = false;
    bool allTiles = false;  // send every tile in every frame, changed or not
    bool repeatFrame = false;  // every frame is the first one's tiles again, drawn once
    std::string dumpFramePath;
    // Update bytes sent before the server stops sending for good, mid-message if need be
    // (-1: no limit): a server that hangs, for testing the client.
    std::int64_t stallAfter = -1;
    std::uint32_t codePage = 932;  // what a command's bytes are read as, for the log
};

enum class ParseOutcome { Run, Help, Version, Error };

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::Run;
    std::string error;  // for ParseOutcome::Error
};

// Largest tile side and picture side the server offers; the client caps the geometry too.
inline constexpr int kMaxTileSide = 2048;
inline constexpr int kMaxSide = 16384;
inline constexpr int kMaxFps = 1000;

ParseResult ParseOptions(const std::vector<std::string>& args, ServerOptions& options);
std::string UsageText();

// The frame --dump-frame writes: the last one a client receives (the first when unlimited).
std::int64_t DumpFrameNumber(const ServerOptions& options);

// The number of frames the animation sends: 1 with --static, --frames otherwise (0 = no end).
std::int64_t FrameLimit(const ServerOptions& options);

}  // namespace telorad::server
