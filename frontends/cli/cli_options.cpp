#include "cli_options.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

#include "hosts/host_port.h"

namespace telorad::cli {

namespace {

bool ParseNumber(const std::string& text, long long low, long long high, long long& value) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && value >= low && value <= high;
}

// Whole-number options: which verbs take them, their range and the field they set.
struct NumberOption {
    const char* name;
    std::vector<Verb> verbs;
    long long low, high;
    const char* unit;
    int Options::*field;
};

const NumberOption* FindNumberOption(const std::string& arg, Verb verb) {
    static const NumberOption kNumberOptions[] = {
        {"--timeout", {Verb::Snapshot, Verb::Command, Verb::Run, Verb::Record}, 1, 86400,
         "whole seconds", &Options::timeoutSeconds},
        {"--settle", {Verb::Snapshot, Verb::Run}, 0, 600000, "milliseconds", &Options::settleMs},
        {"--expect-timeout", {Verb::Run}, 1, 86400, "whole seconds", &Options::expectTimeoutSeconds},
        {"--duration", {Verb::Record}, 1, 86400, "whole seconds", &Options::durationSeconds},
        {"--frames", {Verb::Record}, 1, 100000000, "a count", &Options::frames},
    };
    for (const NumberOption& option : kNumberOptions) {
        if (arg == option.name &&
            std::find(option.verbs.begin(), option.verbs.end(), verb) != option.verbs.end()) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

std::string UsageText(const std::string& verb) {
    static const char* const kLogin =
        "Password: the bytes of --password-file (one trailing newline removed), else\n"
        "$TELORAD_PASSWORD, else the one remembered in remote.ini for HOST:PORT, else empty.\n";
    if (verb == "snapshot") {
        return std::string(
                   "usage: telorad-cli snapshot [--password-file FILE] [--timeout S] [--settle MS] "
                   "HOST[:PORT] OUTPUT.bmp|png\n"
                   "Connects (port 9876 when none is given), logs in, waits for the picture to settle\n"
                   "(no update for --settle ms, default 500, or 5 s after the screen geometry) and\n"
                   "writes it as a BMP or PNG file (by the name). --timeout (default 30 s) bounds the\n"
                   "whole run.\n") +
               kLogin +
               "Exit codes: 0 written, 2 cannot connect, 3 password refused, 4 protocol error,\n"
               "connection ended or time-out, 5 output not writable, 64 usage error.\n";
    }
    if (verb == "command") {
        return "usage: telorad-cli command [--password-file FILE] [--timeout S] HOST[:PORT] TEXT\n"
               "Logs in like snapshot, sends TEXT as a command line for the server to run, and\n"
               "disconnects. Same password sources and exit codes as snapshot.\n";
    }
    if (verb == "run") {
        return std::string(
                   "usage: telorad-cli run [--password-file FILE] [--timeout S] [--settle MS]\n"
                   "                       [--expect-timeout S] [--script FILE|-] HOST[:PORT] [ACTION...]\n"
                   "Logs in like snapshot and runs the actions in order over the one connection: first\n"
                   "those on the command line, then those of the script (one per line, the same words;\n"
                   "'#' starts a comment line; the TEXT of type and command is the rest of the line).\n"
                   "Every action is checked before anything is sent. Messages are little-endian u32s.\n"
                   "  key KEYS        press the keys of KEYS in order, then release them in reverse:\n"
                   "                  one MSG_KEY (0x401: released 0/1, code) per key and change.\n"
                   "                  KEYS joins key names with '+': ctrl+alt+del, shift+f10, win+r.\n"
                   "                  shift, ctrl, alt (and lshift, rctrl, ralt, altgr...) send their\n"
                   "                  generic code and their sided one: ctrl = 0x11 then 0xA2.\n"
                   "  keydown KEYS    only the presses;  keyup KEYS  only the releases (reverse order)\n"
                   "  type TEXT       printable ASCII as key strokes on a US layout: per character a\n"
                   "                  press and a release of its key, inside shift (0x10, 0xA0) down\n"
                   "                  and up where the character needs it; other text is refused\n"
                   "  move X Y        MSG_MOUSE (0x301) event 0 at position Y*65536+X (0..65535)\n"
                   "  click [left|middle|right]   MSG_MOUSE down then up at the last position:\n"
                   "                  left 0x201/0x202, right 0x204/0x205, middle 0x207/0x208\n"
                   "  doubleclick [BUTTON]  two clicks;  mousedown/mouseup [BUTTON]  one of the two\n"
                   "  drag X Y        left down at the last position, move (event 0) to X Y, left up\n"
                   "  pause SECONDS   sends nothing, keeps the picture up to date (fractions allowed)\n"
                   "  capture FILE    waits for the picture to settle (as snapshot) and writes it\n"
                   "  rcapture FILE X Y W H   the same for the region W x H at X Y\n"
                   "  expect FILE [X Y] [--tolerance N]   waits until the screen (or the region of\n"
                   "                  the image's size at X Y) matches the image, every colour channel\n"
                   "                  within N (default 0), at most --expect-timeout s (default 10)\n"
                   "  command TEXT    MSG_COMMAND (0x501): TEXT and a NUL\n"
                   "  mode standby|monitor|control   MSG_SET_MODE (0x101) with 1, 2 or 3\n"
                   "An input action (key, keydown, keyup, type, move, click, doubleclick, mousedown,\n"
                   "mouseup, drag) in any mode but control first sends MSG_SET_MODE 3. Images are BMP\n"
                   "or PNG by the file name. Whatever ends the run (its end, an error, a time-out,\n"
                   "Ctrl+C), every key and button still held is released first: buttons, then keys,\n"
                   "last pressed first. The key names follow below.\n") +
               kLogin +
               "Exit codes: 0 done, 2 cannot connect, 3 password refused, 4 time-out (--timeout),\n"
               "protocol error or connection ended, 5 a capture not writable, 6 expect did not\n"
               "match in time, 64 usage error (a bad action or an unreadable script or image),\n"
               "130 interrupted.\n";
    }
    if (verb == "record") {
        return std::string(
                   "usage: telorad-cli record [--password-file FILE] [--timeout S] [--duration S]\n"
                   "                          [--frames N] HOST[:PORT] FILE\n"
                   "Logs in like snapshot and keeps every screen message the server sends from the\n"
                   "login on (decrypted, with its arrival time) in FILE, created with mode 0600, until\n"
                   "--duration seconds have passed, N frames have come (a frame ends when the server\n"
                   "pauses 20 ms after sending updates) or Ctrl+C. No password or key is stored.\n"
                   "--timeout bounds the login only.\n") +
               kLogin + "Exit codes as snapshot; 5 when FILE cannot be written.\n";
    }
    if (verb == "replay") {
        return "usage: telorad-cli replay FILE OUTPUT.bmp|png [--at SECONDS]\n"
               "Plays a recording without any server and writes the picture as it stood SECONDS\n"
               "after the first message (default: the end). Exit codes: 0 written, 5 output not\n"
               "writable, 64 usage error, 65 the recording is damaged or unreadable.\n";
    }
    return "usage: telorad-cli snapshot [options] HOST[:PORT] OUTPUT.bmp|png\n"
           "       telorad-cli command [options] HOST[:PORT] TEXT\n"
           "       telorad-cli run [options] HOST[:PORT] ACTION...\n"
           "       telorad-cli record [options] HOST[:PORT] FILE\n"
           "       telorad-cli replay FILE OUTPUT.bmp|png [--at SECONDS]\n"
           "       telorad-cli --version\n"
           "Run 'telorad-cli COMMAND --help' for the options of a command.\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    if (args.empty()) {
        error = "missing command";
        return std::nullopt;
    }
    const std::string& verb = args[0];
    if (verb == "--version") {
        options.verb = Verb::Version;
        return options;
    }
    if (verb == "--help" || verb == "-h") {
        options.verb = Verb::Help;
        return options;
    }
    static const std::pair<const char*, Verb> kVerbs[] = {
        {"snapshot", Verb::Snapshot}, {"command", Verb::Command}, {"run", Verb::Run},
        {"record", Verb::Record},     {"replay", Verb::Replay},
    };
    const auto* found = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                     [&](const auto& v) { return verb == v.first; });
    if (found == std::end(kVerbs)) {
        error = "unknown command '" + verb + "'";
        return std::nullopt;
    }
    options.verb = found->second;
    const bool connects = options.verb != Verb::Replay;

    std::vector<std::string> positional;
    std::vector<std::string> actionWords;
    for (std::size_t n = 1; n < args.size(); ++n) {
        const std::string& arg = args[n];
        // After HOST, run's words are actions, options of `expect` included.
        if (options.verb == Verb::Run && !positional.empty()) {
            actionWords.push_back(arg);
            continue;
        }
        const bool hasValue = n + 1 < args.size();
        long long value = 0;
        if (arg == "--help" || arg == "-h") {
            options.helpFor = verb;
            options.verb = Verb::Help;
            return options;
        } else if (arg == "--password-file" && hasValue && connects) {
            options.passwordFile = args[++n];
        } else if (const NumberOption* number = FindNumberOption(arg, options.verb);
                   number && hasValue) {
            if (!ParseNumber(args[++n], number->low, number->high, value)) {
                error = std::string(number->name) + " takes " + number->unit + " from " +
                        std::to_string(number->low) + " to " + std::to_string(number->high);
                return std::nullopt;
            }
            options.*(number->field) = static_cast<int>(value);
        } else if (arg == "--script" && hasValue && options.verb == Verb::Run) {
            options.scriptPath = args[++n];
        } else if (arg == "--at" && hasValue && options.verb == Verb::Replay) {
            char* end = nullptr;
            const std::string& text = args[++n];
            options.atSeconds = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(options.atSeconds >= 0 && options.atSeconds <= 1e9)) {
                error = "--at takes seconds from 0";
                return std::nullopt;
            }
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(n) + 1, args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-' &&
                   (positional.empty() || options.verb == Verb::Record ||
                    options.verb == Verb::Replay)) {
            error = "unknown or incomplete option '" + arg + "'";
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    if (options.verb == Verb::Run) {
        // "--" may have put the actions among the positional words.
        actionWords.insert(actionWords.begin(), positional.begin() + std::min<std::size_t>(1, positional.size()),
                           positional.end());
        positional.resize(std::min<std::size_t>(1, positional.size()));
        if (positional.empty() || (actionWords.empty() && options.scriptPath.empty())) {
            error = "expected HOST[:PORT] and actions (or --script FILE)";
            return std::nullopt;
        }
        if (!ParseActionWords(actionWords, options.actions, error)) return std::nullopt;
    } else if (positional.size() != 2) {
        static const char* const kExpected[] = {"HOST[:PORT] and OUTPUT.bmp|png",
                                                "HOST[:PORT] and TEXT", "",
                                                "HOST[:PORT] and FILE", "FILE and OUTPUT.bmp|png"};
        error = std::string("expected ") + kExpected[static_cast<int>(options.verb)];
        return std::nullopt;
    }
    if (options.verb == Verb::Replay) {
        options.recording = positional[0];
        options.output = positional[1];
        return options;
    }
    std::string why;
    if (!ParseHostPort(positional[0], options.host, options.port, why)) {
        error = "bad HOST[:PORT] '" + positional[0] + "': " + why;
        return std::nullopt;
    }
    if (options.verb == Verb::Command) options.commandText = positional[1];
    if (options.verb == Verb::Snapshot || options.verb == Verb::Record) options.output = positional[1];
    return options;
}

bool LoadScript(Options& options, std::string& error) {
    if (options.scriptPath.empty()) return true;
    std::string script;
    if (options.scriptPath == "-") {
        script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(options.scriptPath, std::ios::binary);
        if (!in) {
            error = "cannot read the script " + options.scriptPath;
            return false;
        }
        script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string why;
    if (!ParseScript(script, options.actions, why)) {
        error = options.scriptPath + ": " + why;
        return false;
    }
    return true;
}

}  // namespace telorad::cli
