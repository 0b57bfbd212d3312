#pragma once
// Qt key events to Windows virtual-key codes, the codes the server expects. One table covers
// every key; the X11 keysym (nativeVirtualKey) and keycode (nativeScanCode) tell apart what the
// Qt key alone cannot: left and right modifiers, and the JIS Ro key beside the backslash.
#include <QtCore/Qt>
#include <cstdint>
#include <span>

namespace telorad::qt {

inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;

// X11 keycodes of the JIS Ro key (evdev 89 + 8) and the カタカナ/ひらがな key (evdev 93 + 8).
inline constexpr std::uint32_t kJisRoScanCode = 97;
inline constexpr std::uint32_t kJisKanaScanCode = 101;

struct KeyMapEntry {
    int qtKey;
    bool keypad;              // matches only with Qt::KeypadModifier
    std::uint32_t keysym;     // 0: any nativeVirtualKey
    std::uint32_t scanCode;   // 0: any nativeScanCode
    std::uint8_t virtualKey;  // the sided code for modifiers
    std::uint8_t genericKey;  // VK_SHIFT / VK_CONTROL / VK_MENU for modifiers, else 0
};

struct VirtualKeys {
    int virtualKey = 0;  // 0: a key the server has no code for
    int genericKey = 0;  // 0: none
};

// The whole table, most specific entries first within each Qt key.
std::span<const KeyMapEntry> KeyMapTable();

// The codes for one key event. A keypad key without an entry of its own falls back to the
// main keyboard's entry; a modifier whose side cannot be told counts as the left one.
VirtualKeys MapKey(int qtKey, Qt::KeyboardModifiers modifiers, std::uint32_t keysym,
                   std::uint32_t scanCode);

}  // namespace telorad::qt
