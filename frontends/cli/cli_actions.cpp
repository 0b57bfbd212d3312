#include "cli_actions.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "net/wire.h"

namespace telorad::cli {

namespace {

bool ParseInt(const std::string& text, long long low, long long high, std::int32_t& value) {
    long long number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    if (failure != std::errc() || stop != end || number < low || number > high) return false;
    value = static_cast<std::int32_t>(number);
    return true;
}

class WordReader {
  public:
    explicit WordReader(const std::vector<std::string>& words) : words_(words) {}
    bool Done() const { return next_ >= words_.size(); }
    const std::string* Peek() const { return Done() ? nullptr : &words_[next_]; }
    bool Take(std::string& word) {
        if (Done()) return false;
        word = words_[next_++];
        return true;
    }

  private:
    const std::vector<std::string>& words_;
    std::size_t next_ = 0;
};

struct Parser {
    WordReader& in;
    std::string& error;

    bool Fail(const std::string& why) {
        error = why;
        return false;
    }

    bool Word(const char* action, const char* what, std::string& word) {
        if (in.Take(word)) return true;
        return Fail(std::string(action) + " needs " + what);
    }

    bool Number(const char* action, const char* what, long long low, long long high,
                std::int32_t& value) {
        std::string word;
        if (!Word(action, what, word)) return false;
        if (ParseInt(word, low, high, value)) return true;
        return Fail(std::string(action) + ": " + what + " must be a whole number from " +
                    std::to_string(low) + " to " + std::to_string(high) + ", not '" + word + "'");
    }

    bool Point(const char* action, Action& a) {
        return Number(action, "X", 0, 65535, a.x) && Number(action, "Y", 0, 65535, a.y);
    }

    void OptionalButton(Action& a) {
        a.button = *MouseButtonByName("left");
        if (const std::string* next = in.Peek()) {
            if (const auto button = MouseButtonByName(*next)) {
                a.button = *button;
                std::string skipped;
                in.Take(skipped);
            }
        }
    }

    bool Pause(Action& a) {
        std::string word;
        if (!Word("pause", "SECONDS", word)) return false;
        char* end = nullptr;
        const double seconds = std::strtod(word.c_str(), &end);
        if (word.empty() || *end != '\0' || !(seconds >= 0 && seconds <= 86400)) {
            return Fail("pause: SECONDS must be a number from 0 to 86400, not '" + word + "'");
        }
        a.pauseMs = static_cast<int>(std::lround(seconds * 1000));
        return true;
    }

    bool Expect(Action& a) {
        if (!Word("expect", "FILE", a.text)) return false;
        while (const std::string* next = in.Peek()) {
            std::int32_t probe = 0;
            if (*next == "--tolerance") {
                std::string skipped;
                in.Take(skipped);
                if (!Number("expect", "--tolerance", 0, 255, a.tolerance)) return false;
            } else if (!a.hasRegion && ParseInt(*next, 0, 65535, probe)) {
                if (!Number("expect", "X", 0, 65535, a.x) || !Number("expect", "Y", 0, 65535, a.y)) {
                    return false;
                }
                a.hasRegion = true;
            } else {
                break;
            }
        }
        return true;
    }

    bool Mode(Action& a) {
        std::string word;
        if (!Word("mode", "standby, monitor or control", word)) return false;
        if (word == "standby") a.mode = MODE_STANDBY;
        else if (word == "monitor") a.mode = MODE_MONITOR;
        else if (word == "control") a.mode = MODE_CONTROL;
        else return Fail("mode must be standby, monitor or control, not '" + word + "'");
        return true;
    }

    bool One(std::vector<Action>& actions) {
        std::string name;
        in.Take(name);
        Action a;
        bool ok = true;
        if (name == "key" || name == "keydown" || name == "keyup") {
            a.kind = name == "key" ? ActionKind::Key
                     : name == "keydown" ? ActionKind::KeyDown : ActionKind::KeyUp;
            std::string why;
            ok = Word(name.c_str(), "a key like ctrl+alt+del", a.text) &&
                 (KeyComboCodes(a.text, a.codes, why) || Fail(name + ": " + why));
        } else if (name == "type") {
            a.kind = ActionKind::Type;
            std::string why;
            ok = Word("type", "TEXT", a.text) &&
                 (TextKeyStrokes(a.text, a.strokes, why) || Fail("type: " + why));
        } else if (name == "move" || name == "drag") {
            a.kind = name == "move" ? ActionKind::Move : ActionKind::Drag;
            a.button = *MouseButtonByName("left");
            ok = Point(name.c_str(), a);
        } else if (name == "click" || name == "doubleclick" || name == "mousedown" ||
                   name == "mouseup") {
            a.kind = name == "click" ? ActionKind::Click
                     : name == "doubleclick" ? ActionKind::DoubleClick
                     : name == "mousedown" ? ActionKind::MouseDown : ActionKind::MouseUp;
            OptionalButton(a);
        } else if (name == "pause") {
            ok = Pause(a);
        } else if (name == "capture") {
            a.kind = ActionKind::Capture;
            ok = Word("capture", "FILE", a.text);
        } else if (name == "rcapture") {
            a.kind = ActionKind::RegionCapture;
            ok = Word("rcapture", "FILE", a.text) && Point("rcapture", a) &&
                 Number("rcapture", "W", 1, 65535, a.width) &&
                 Number("rcapture", "H", 1, 65535, a.height);
        } else if (name == "expect") {
            a.kind = ActionKind::Expect;
            ok = Expect(a);
        } else if (name == "command") {
            a.kind = ActionKind::Command;
            ok = Word("command", "TEXT", a.text);
            if (ok && a.text.size() > static_cast<std::size_t>(kMaxCommandText)) {
                ok = Fail("command: TEXT is longer than " + std::to_string(kMaxCommandText) +
                          " bytes");
            }
        } else if (name == "mode") {
            a.kind = ActionKind::Mode;
            ok = Mode(a);
        } else {
            ok = Fail("unknown action '" + name + "'");
        }
        if (ok) actions.push_back(std::move(a));
        return ok;
    }
};

}  // namespace

bool Action::IsInput() const {
    switch (kind) {
        case ActionKind::Key: case ActionKind::KeyDown: case ActionKind::KeyUp:
        case ActionKind::Type: case ActionKind::Move: case ActionKind::Click:
        case ActionKind::DoubleClick: case ActionKind::MouseDown: case ActionKind::MouseUp:
        case ActionKind::Drag:
            return true;
        default:
            return false;
    }
}

bool ParseActionWords(const std::vector<std::string>& words, std::vector<Action>& actions,
                      std::string& error) {
    WordReader in(words);
    Parser parser{in, error};
    while (!in.Done()) {
        if (!parser.One(actions)) return false;
    }
    return true;
}

bool ParseScript(const std::string& script, std::vector<Action>& actions, std::string& error) {
    std::istringstream lines(script);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::vector<std::string> words;
        const std::size_t nameEnd = line.find_first_of(" \t", start);
        const std::string name = line.substr(start, nameEnd - start);
        words.push_back(name);
        if (name == "type" || name == "command") {
            // The text is the rest of the line after one separator, spaces kept.
            words.push_back(nameEnd == std::string::npos ? std::string() : line.substr(nameEnd + 1));
        } else {
            std::istringstream rest(nameEnd == std::string::npos ? std::string() : line.substr(nameEnd));
            for (std::string word; rest >> word;) words.push_back(word);
        }
        std::vector<Action> parsed;
        if (!ParseActionWords(words, parsed, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
        if (parsed.size() != 1) {
            error = "line " + std::to_string(number) + ": one action per line";
            return false;
        }
        actions.push_back(std::move(parsed.front()));
    }
    return true;
}

}  // namespace telorad::cli
