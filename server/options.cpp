#include "options.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "app/text_encoding.h"

namespace telorad::server {

namespace {

bool ParseInt(const std::string& text, std::int64_t low, std::int64_t high, std::int64_t& out) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [next, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || next != end || text.empty() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool ParseListen(const std::string& text, ServerOptions& options) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::int64_t port = 0;
    if (!ParseInt(text.substr(colon + 1), 0, 65535, port)) return false;
    options.listenAddress = text.substr(0, colon);
    options.listenPort = static_cast<std::uint16_t>(port);
    return true;
}

bool ParseSize(const std::string& text, ServerOptions& options) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (!ParseInt(text.substr(0, x), 1, kMaxSide, w) ||
        !ParseInt(text.substr(x + 1), 1, kMaxSide, h)) {
        return false;
    }
    options.width = static_cast<int>(w);
    options.height = static_cast<int>(h);
    options.sizeGiven = true;
    return true;
}

bool ReadPasswordFile(const std::string& path, std::string& password) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    if (!bytes.empty() && bytes.back() == '\n') bytes.pop_back();
    password = std::move(bytes);
    return true;
}

ParseResult Fail(std::string message) { return {ParseOutcome::Error, std::move(message)}; }

}  // namespace

std::string UsageText() {
    return "usage: telorad-server [options]\n"
           "  --listen ADDR:PORT      listen address (default 127.0.0.1:9876; port 0 picks one)\n"
           "  --password-file FILE    password: the file's bytes, one trailing newline removed\n"
           "                          (default: empty password)\n"
           "  --auth digest|legacy|none   login scheme (default digest)\n"
           "  --encrypt               digest login: ask the client to encrypt the stream\n"
           "  --size WxH              screen size (default 1024x768)\n"
           "  --depth 16|24|32        bits per pixel (default 24)\n"
           "  --tile N                update tile side (default 64)\n"
           "  --encoding raw|rle      update encoding (default rle)\n"
           "  --fps N                 frames per second (default 10; 0: as fast as the client\n"
           "                          reads them)\n"
           "  --image FILE.bmp        show a 24-bit BMP file instead of the moving picture\n"
           "  --log FILE              client events as JSON lines (default stdout)\n"
           "  --code-page N           the code page commands are read in, for the log (default\n"
           "                          932)\n"
           "  --frames N              stop the animation after N frames (0: never); the log\n"
           "                          says when the last one has gone out\n"
           "  --static                send the first frame only\n"
           "  --all-tiles             send every tile in every frame, changed or not\n"
           "  --repeat-frame          send the first frame's tiles again as every later frame\n"
           "                          (a steady stream for benchmarks: nothing is redrawn)\n"
           "  --once                  exit when the first client leaves (a connection that\n"
           "                          closes without sending anything does not count)\n"
           "  --stall-after BYTES     stop sending after BYTES bytes of updates, even in the\n"
           "                          middle of a message, and keep the connection open\n"
           "  --dump-frame FILE.bmp   write the last frame a client would see as BMP and exit\n"
           "  --help, --version\n";
}

ParseResult ParseOptions(const std::vector<std::string>& args, ServerOptions& options) {
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& name = args[k];
        if (name == "--help" || name == "-h") return {ParseOutcome::Help, {}};
        if (name == "--version") return {ParseOutcome::Version, {}};
        if (name == "--encrypt") {
            options.encrypt = true;
            continue;
        }
        if (name == "--static") {
            options.staticPicture = true;
            continue;
        }
        if (name == "--once") {
            options.once = true;
            continue;
        }
        if (name == "--all-tiles") {
            options.allTiles = true;
            continue;
        }
        if (name == "--repeat-frame") {
            options.repeatFrame = true;
            continue;
        }
        const bool takesValue = name == "--listen" || name == "--password-file" ||
                                name == "--auth" || name == "--size" || name == "--depth" ||
                                name == "--tile" || name == "--encoding" || name == "--fps" ||
                                name == "--image" || name == "--log" || name == "--frames" ||
                                name == "--dump-frame" || name == "--code-page" ||
                                name == "--stall-after";
        if (!takesValue) return Fail("unknown option: " + name);
        if (k + 1 >= args.size()) return Fail(name + " needs a value");
        const std::string& value = args[++k];
        std::int64_t number = 0;
        if (name == "--listen") {
            if (!ParseListen(value, options)) return Fail("--listen wants ADDR:PORT: " + value);
        } else if (name == "--password-file") {
            if (!ReadPasswordFile(value, options.password)) {
                return Fail("cannot read password file: " + value);
            }
        } else if (name == "--auth") {
            if (value == "digest") {
                options.auth = AuthScheme::Digest;
            } else if (value == "legacy") {
                options.auth = AuthScheme::Legacy;
            } else if (value == "none") {
                options.auth = AuthScheme::None;
            } else {
                return Fail("--auth wants digest, legacy or none: " + value);
            }
        } else if (name == "--size") {
            if (!ParseSize(value, options)) {
                return Fail("--size wants WxH, each 1 to " + std::to_string(kMaxSide) + ": " +
                            value);
            }
        } else if (name == "--depth") {
            if (!ParseInt(value, 16, 32, number) ||
                (number != 16 && number != 24 && number != 32)) {
                return Fail("--depth wants 16, 24 or 32: " + value);
            }
            options.depth = static_cast<int>(number);
        } else if (name == "--tile") {
            if (!ParseInt(value, 1, kMaxTileSide, number)) {
                return Fail("--tile wants 1 to " + std::to_string(kMaxTileSide) + ": " + value);
            }
            options.tileSize = static_cast<int>(number);
        } else if (name == "--encoding") {
            if (value == "raw") {
                options.encoding = TileEncoding::Raw;
            } else if (value == "rle") {
                options.encoding = TileEncoding::Rle;
            } else {
                return Fail("--encoding wants raw or rle: " + value);
            }
        } else if (name == "--fps") {
            if (!ParseInt(value, 0, kMaxFps, number)) {
                return Fail("--fps wants 0 to " + std::to_string(kMaxFps) + ": " + value);
            }
            options.fps = static_cast<int>(number);
        } else if (name == "--image") {
            options.imagePath = value;
        } else if (name == "--log") {
            options.logPath = value;
        } else if (name == "--frames") {
            if (!ParseInt(value, 0, INT64_MAX, number)) {
                return Fail("--frames wants a count, 0 for no end: " + value);
            }
            options.frames = number;
        } else if (name == "--dump-frame") {
            options.dumpFramePath = value;
        } else if (name == "--stall-after") {
            if (!ParseInt(value, 0, INT64_MAX, number)) {
                return Fail("--stall-after wants a byte count: " + value);
            }
            options.stallAfter = number;
        } else if (name == "--code-page") {
            std::string probe;
            if (!ParseInt(value, 1, 65535, number) ||
                ConvertFromCodePage("a", static_cast<std::uint32_t>(number), probe) !=
                    TextConversion::kOk) {
                return Fail("--code-page wants a code page this system can convert: " + value);
            }
            options.codePage = static_cast<std::uint32_t>(number);
        }
    }
    return {ParseOutcome::Run, {}};
}

std::int64_t DumpFrameNumber(const ServerOptions& options) {
    const std::int64_t limit = FrameLimit(options);
    return limit > 0 ? limit - 1 : 0;
}

std::int64_t FrameLimit(const ServerOptions& options) {
    return options.staticPicture ? 1 : options.frames;
}

}  // namespace telorad::server
