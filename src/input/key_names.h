#pragma once
// Keys and mouse buttons by the names people type ("ctrl+alt+del", "f10", "right"), as the
// Windows virtual-key codes and button event codes the server expects.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace telorad {

// The code of one key name, case-insensitive: letters, digits, f1..f24, navigation and editing
// keys, keypad keys (kp0..kp9, kpadd...), punctuation by character or name, media keys, the
// Japanese keyboard's keys (by romanised or Japanese name), and any code as 0x01..0xFF.
// Modifier names give the generic code; see KeyComboCodes for the sided one.
std::optional<std::uint8_t> VirtualKeyByName(std::string_view name);

// The main name of a code (the first KeyNames gives for it), or empty when it has none.
std::string KeyNameOf(std::uint8_t code);

// Every name with its code, in code order, the main name of each code first, for help texts.
struct KeyName {
    const char* name;
    std::uint8_t code;
};
std::vector<KeyName> KeyNames();

// "ctrl+alt+del" as the codes to press in order (and release in reverse). A modifier stands
// for its generic and its sided code, generic first, as a real keyboard reports it:
// shift = 0x10 0xA0, rshift = 0x10 0xA1, ctrl = 0x11 0xA2, alt = 0x12 0xA4, altgr = 0x12 0xA5.
// False with `error` set for an unknown name or an empty part.
bool KeyComboCodes(std::string_view combo, std::vector<std::uint8_t>& codes, std::string& error);

// One character of typed text: its key and whether Shift is held for it.
struct KeyStroke {
    std::uint8_t code = 0;
    bool shift = false;
};

// Printable ASCII (0x20..0x7E) as strokes on a US keyboard. Anything else is refused whole,
// with `error` naming the first byte that no key can type.
bool TextKeyStrokes(std::string_view text, std::vector<KeyStroke>& strokes, std::string& error);

struct MouseButtonCodes {
    std::uint32_t down = 0;
    std::uint32_t up = 0;
};
// "left", "middle" or "right".
std::optional<MouseButtonCodes> MouseButtonByName(std::string_view name);

}  // namespace telorad
