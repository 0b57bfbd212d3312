#include "input/key_names.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "input/key_forwarding.h"

namespace telorad {

namespace {

struct NameEntry {
    std::string_view name;
    std::uint8_t code;
};

// The first name of each code is its main name; later ones are aliases. Letters, digits and
// function keys are generated in VirtualKeyByName.
// clang-format off
constexpr auto kNames = std::to_array<NameEntry>({
    {"cancel", 0x03}, {"backspace", 0x08}, {"bs", 0x08}, {"tab", 0x09}, {"clear", 0x0C},
    {"enter", 0x0D}, {"return", 0x0D}, {"kpenter", 0x0D},
    {"shift", 0x10}, {"ctrl", 0x11}, {"control", 0x11}, {"alt", 0x12},
    {"pause", 0x13}, {"capslock", 0x14},
    {"kanamode", 0x15}, {"kanji", 0x19},
    {"henkan", 0x1C}, {"convert", 0x1C}, {"変換", 0x1C},
    {"muhenkan", 0x1D}, {"nonconvert", 0x1D}, {"無変換", 0x1D},
    {"esc", 0x1B}, {"escape", 0x1B}, {"space", 0x20},
    {"pageup", 0x21}, {"pgup", 0x21}, {"pagedown", 0x22}, {"pgdn", 0x22},
    {"end", 0x23}, {"home", 0x24}, {"left", 0x25}, {"up", 0x26}, {"right", 0x27}, {"down", 0x28},
    {"select", 0x29}, {"print", 0x2A}, {"execute", 0x2B},
    {"printscreen", 0x2C}, {"prtsc", 0x2C}, {"sysrq", 0x2C},
    {"insert", 0x2D}, {"ins", 0x2D}, {"delete", 0x2E}, {"del", 0x2E}, {"help", 0x2F},
    {"win", 0x5B}, {"lwin", 0x5B}, {"super", 0x5B}, {"meta", 0x5B}, {"rwin", 0x5C},
    {"apps", 0x5D}, {"contextmenu", 0x5D}, {"sleep", 0x5F},
    {"kp0", 0x60}, {"kp1", 0x61}, {"kp2", 0x62}, {"kp3", 0x63}, {"kp4", 0x64},
    {"kp5", 0x65}, {"kp6", 0x66}, {"kp7", 0x67}, {"kp8", 0x68}, {"kp9", 0x69},
    {"kpmultiply", 0x6A}, {"kpadd", 0x6B}, {"kpseparator", 0x6C}, {"kpsubtract", 0x6D},
    {"kpdecimal", 0x6E}, {"kpdivide", 0x6F},
    {"numlock", 0x90}, {"scrolllock", 0x91},
    {"lshift", 0xA0}, {"rshift", 0xA1}, {"lctrl", 0xA2}, {"rctrl", 0xA3},
    {"lalt", 0xA4}, {"ralt", 0xA5}, {"altgr", 0xA5},
    {"browserback", 0xA6}, {"browserforward", 0xA7}, {"browserrefresh", 0xA8},
    {"browserstop", 0xA9}, {"browsersearch", 0xAA}, {"browserfavorites", 0xAB},
    {"browserhome", 0xAC}, {"volumemute", 0xAD}, {"volumedown", 0xAE}, {"volumeup", 0xAF},
    {"medianext", 0xB0}, {"mediaprev", 0xB1}, {"mediastop", 0xB2}, {"mediaplaypause", 0xB3},
    {"launchmail", 0xB4}, {"launchmedia", 0xB5}, {"launchapp1", 0xB6}, {"launchapp2", 0xB7},
    {"semicolon", 0xBA}, {";", 0xBA}, {"equal", 0xBB}, {"=", 0xBB},
    {"comma", 0xBC}, {",", 0xBC}, {"minus", 0xBD}, {"-", 0xBD},
    {"period", 0xBE}, {".", 0xBE}, {"slash", 0xBF}, {"/", 0xBF},
    {"backquote", 0xC0}, {"`", 0xC0},
    {"bracketleft", 0xDB}, {"[", 0xDB},
    {"backslash", 0xDC}, {"\\", 0xDC}, {"yen", 0xDC}, {"￥", 0xDC},
    {"bracketright", 0xDD}, {"]", 0xDD}, {"apostrophe", 0xDE}, {"'", 0xDE},
    {"ro", 0xE2}, {"oem102", 0xE2}, {"ろ", 0xE2},
    {"eisu", 0xF0}, {"英数", 0xF0},
    {"kana", 0xF2}, {"hiragana", 0xF2}, {"katakana", 0xF2}, {"ひらがな", 0xF2},
    {"カタカナ", 0xF2}, {"カタカナ/ひらがな", 0xF2},
    {"zenkakuhankaku", 0xF3}, {"hankaku", 0xF3}, {"半角/全角", 0xF3}, {"全角/半角", 0xF3},
    {"zenkaku", 0xF4},
});
// clang-format on

// Modifiers in a combination: generic code first, then the sided one.
struct ModifierEntry {
    std::string_view name;
    std::uint8_t generic;
    std::uint8_t sided;
};
constexpr auto kModifiers = std::to_array<ModifierEntry>({
    {"shift", 0x10, 0xA0}, {"lshift", 0x10, 0xA0}, {"rshift", 0x10, 0xA1},
    {"ctrl", 0x11, 0xA2}, {"control", 0x11, 0xA2}, {"lctrl", 0x11, 0xA2}, {"rctrl", 0x11, 0xA3},
    {"alt", 0x12, 0xA4}, {"lalt", 0x12, 0xA4}, {"ralt", 0x12, 0xA5}, {"altgr", 0x12, 0xA5},
});

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::optional<std::uint8_t> GeneratedCode(const std::string& name) {
    if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') {
        return static_cast<std::uint8_t>(0x41 + (name[0] - 'a'));
    }
    if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') {
        return static_cast<std::uint8_t>(name[0]);
    }
    unsigned number = 0;
    int used = 0;
    if (name.size() >= 2 && name[0] == 'f' &&
        std::sscanf(name.c_str() + 1, "%2u%n", &number, &used) == 1 &&
        static_cast<std::size_t>(used) + 1 == name.size() && name[1] != '0' && number >= 1 &&
        number <= 24) {
        return static_cast<std::uint8_t>(0x70 + number - 1);
    }
    if (name.size() == 4 && name[0] == '0' && name[1] == 'x' &&
        std::sscanf(name.c_str() + 2, "%2x%n", &number, &used) == 1 && used == 2 && number > 0) {
        return static_cast<std::uint8_t>(number);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint8_t> VirtualKeyByName(std::string_view name) {
    const std::string lower = Lower(name);
    if (const auto code = GeneratedCode(lower)) return code;
    for (const NameEntry& entry : kNames) {
        if (entry.name == lower) return entry.code;
    }
    return std::nullopt;
}

std::vector<KeyName> KeyNames() {
    static const std::vector<std::string> generated = [] {
        std::vector<std::string> names;
        for (char c = '0'; c <= '9'; ++c) names.emplace_back(1, c);
        for (char c = 'a'; c <= 'z'; ++c) names.emplace_back(1, c);
        for (int n = 1; n <= 24; ++n) names.push_back("f" + std::to_string(n));
        return names;
    }();
    std::vector<KeyName> names;
    for (const std::string& name : generated) {
        names.push_back({name.c_str(), *VirtualKeyByName(name)});
    }
    for (const NameEntry& entry : kNames) names.push_back({entry.name.data(), entry.code});
    std::stable_sort(names.begin(), names.end(),
                     [](const KeyName& a, const KeyName& b) { return a.code < b.code; });
    return names;
}

std::string KeyNameOf(std::uint8_t code) {
    for (const KeyName& name : KeyNames()) {
        if (name.code == code) return name.name;
    }
    return {};
}

bool KeyComboCodes(std::string_view combo, std::vector<std::uint8_t>& codes, std::string& error) {
    codes.clear();
    std::size_t start = 0;
    for (;;) {
        // An empty part ("ctrl++") is refused: "equal" names the key that types '+'.
        const std::size_t plus = combo.find('+', start);
        const std::string_view part =
            combo.substr(start, plus == std::string_view::npos ? std::string_view::npos : plus - start);
        if (part.empty()) {
            error = "empty key name in '" + std::string(combo) + "'";
            return false;
        }
        const std::string lower = Lower(part);
        const auto modifier = std::find_if(kModifiers.begin(), kModifiers.end(),
                                           [&](const ModifierEntry& m) { return m.name == lower; });
        if (modifier != kModifiers.end()) {
            codes.push_back(modifier->generic);
            codes.push_back(modifier->sided);
        } else if (const auto code = VirtualKeyByName(part)) {
            codes.push_back(*code);
        } else {
            error = "unknown key '" + std::string(part) + "'";
            return false;
        }
        if (plus == std::string_view::npos) return true;
        start = plus + 1;
    }
}

bool TextKeyStrokes(std::string_view text, std::vector<KeyStroke>& strokes, std::string& error) {
    // Punctuation of a US keyboard: the unshifted and the shifted character of each key.
    static constexpr struct {
        char plain, shifted;
        std::uint8_t code;
    } kPunctuation[] = {
        {';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
        {'.', '>', 0xBE}, {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
        {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
    };
    static constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
    strokes.clear();
    for (std::size_t n = 0; n < text.size(); ++n) {
        const char c = text[n];
        KeyStroke stroke;
        if (c >= 'a' && c <= 'z') {
            stroke = {static_cast<std::uint8_t>(0x41 + (c - 'a')), false};
        } else if (c >= 'A' && c <= 'Z') {
            stroke = {static_cast<std::uint8_t>(c), true};
        } else if (c >= '0' && c <= '9') {
            stroke = {static_cast<std::uint8_t>(c), false};
        } else if (c == ' ') {
            stroke = {0x20, false};
        } else if (const auto digit = kShiftedDigits.find(c); digit != std::string_view::npos) {
            stroke = {static_cast<std::uint8_t>('0' + digit), true};
        } else {
            const auto* key = std::find_if(std::begin(kPunctuation), std::end(kPunctuation),
                                           [c](const auto& k) { return k.plain == c || k.shifted == c; });
            if (key == std::end(kPunctuation)) {
                char what[64];
                std::snprintf(what, sizeof what, "byte 0x%02X at offset %zu",
                              static_cast<unsigned char>(c), n);
                error = std::string("no key types ") + what +
                        ": only printable ASCII can be typed; nothing was sent";
                strokes.clear();
                return false;
            }
            stroke = {key->code, key->shifted == c};
        }
        strokes.push_back(stroke);
    }
    return true;
}

std::optional<MouseButtonCodes> MouseButtonByName(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "left") return MouseButtonCodes{WM_LBUTTONDOWN_CODE, WM_LBUTTONUP_CODE};
    if (lower == "middle") return MouseButtonCodes{WM_MBUTTONDOWN_CODE, WM_MBUTTONUP_CODE};
    if (lower == "right") return MouseButtonCodes{WM_RBUTTONDOWN_CODE, WM_RBUTTONUP_CODE};
    return std::nullopt;
}

}  // namespace telorad
