#include "key_map.h"

#include <array>

namespace telorad::qt {
namespace {

// X11 keysyms that decide the side of a modifier.
constexpr std::uint32_t XK_Shift_L = 0xFFE1;
constexpr std::uint32_t XK_Shift_R = 0xFFE2;
constexpr std::uint32_t XK_Control_L = 0xFFE3;
constexpr std::uint32_t XK_Control_R = 0xFFE4;
constexpr std::uint32_t XK_Meta_L = 0xFFE7;
constexpr std::uint32_t XK_Meta_R = 0xFFE8;
constexpr std::uint32_t XK_Alt_L = 0xFFE9;
constexpr std::uint32_t XK_Alt_R = 0xFFEA;
constexpr std::uint32_t XK_Super_R = 0xFFEC;

constexpr KeyMapEntry Key(int qtKey, int vk) {
    return {qtKey, false, 0, 0, static_cast<std::uint8_t>(vk), 0};
}
constexpr KeyMapEntry Pad(int qtKey, int vk) {
    return {qtKey, true, 0, 0, static_cast<std::uint8_t>(vk), 0};
}
constexpr KeyMapEntry Sided(int qtKey, std::uint32_t keysym, int vk, int generic) {
    return {
        qtKey, false, keysym, 0, static_cast<std::uint8_t>(vk), static_cast<std::uint8_t>(generic)};
}
constexpr KeyMapEntry Scan(int qtKey, std::uint32_t scanCode, int vk) {
    return {qtKey, false, 0, scanCode, static_cast<std::uint8_t>(vk), 0};
}

// Letters, digits and function keys follow from ranges; they are spelled out so that the table
// is the one place a code comes from.
// clang-format off
constexpr auto kTable = std::to_array<KeyMapEntry>({
    // Modifiers: the keysym tells the side; without one, the left key.
    Sided(Qt::Key_Shift, XK_Shift_R, VK_RSHIFT, VK_SHIFT),
    Sided(Qt::Key_Shift, XK_Shift_L, VK_LSHIFT, VK_SHIFT),
    Sided(Qt::Key_Shift, 0, VK_LSHIFT, VK_SHIFT),
    Sided(Qt::Key_Control, XK_Control_R, VK_RCONTROL, VK_CONTROL),
    Sided(Qt::Key_Control, XK_Control_L, VK_LCONTROL, VK_CONTROL),
    Sided(Qt::Key_Control, 0, VK_LCONTROL, VK_CONTROL),
    Sided(Qt::Key_Alt, XK_Alt_R, VK_RMENU, VK_MENU),
    Sided(Qt::Key_Alt, XK_Alt_L, VK_LMENU, VK_MENU),
    Sided(Qt::Key_Alt, 0, VK_LMENU, VK_MENU),
    Sided(Qt::Key_AltGr, 0, VK_RMENU, VK_MENU),
    Sided(Qt::Key_Meta, XK_Meta_R, 0x5C, 0),  // VK_RWIN
    Sided(Qt::Key_Meta, XK_Super_R, 0x5C, 0),
    Sided(Qt::Key_Meta, XK_Meta_L, 0x5B, 0),  // VK_LWIN
    Sided(Qt::Key_Meta, 0, 0x5B, 0),
    Key(Qt::Key_Super_L, 0x5B),
    Key(Qt::Key_Super_R, 0x5C),
    Key(Qt::Key_Menu, 0x5D),  // VK_APPS
    Key(Qt::Key_CapsLock, 0x14),
    Key(Qt::Key_NumLock, 0x90),
    Key(Qt::Key_ScrollLock, 0x91),

    // Editing and navigation.
    Key(Qt::Key_Backspace, 0x08),
    Key(Qt::Key_Tab, 0x09),
    Key(Qt::Key_Backtab, 0x09),
    Key(Qt::Key_Clear, 0x0C),
    Key(Qt::Key_Return, 0x0D),
    Key(Qt::Key_Enter, 0x0D),
    Key(Qt::Key_Pause, 0x13),
    Key(Qt::Key_Escape, 0x1B),
    Key(Qt::Key_Space, 0x20),
    Key(Qt::Key_PageUp, 0x21),
    Key(Qt::Key_PageDown, 0x22),
    Key(Qt::Key_End, 0x23),
    Key(Qt::Key_Home, 0x24),
    Key(Qt::Key_Left, 0x25),
    Key(Qt::Key_Up, 0x26),
    Key(Qt::Key_Right, 0x27),
    Key(Qt::Key_Down, 0x28),
    Key(Qt::Key_Select, 0x29),
    Key(Qt::Key_Printer, 0x2A),
    Key(Qt::Key_Execute, 0x2B),
    Key(Qt::Key_Print, 0x2C),  // VK_SNAPSHOT
    Key(Qt::Key_SysReq, 0x2C),
    Key(Qt::Key_Insert, 0x2D),
    Key(Qt::Key_Delete, 0x2E),
    Key(Qt::Key_Help, 0x2F),
    Key(Qt::Key_Cancel, 0x03),
    Key(Qt::Key_Sleep, 0x5F),

    // Digits; the shifted characters of a US keyboard stand for the same keys.
    Key(Qt::Key_0, 0x30), Key(Qt::Key_ParenRight, 0x30),
    Key(Qt::Key_1, 0x31), Key(Qt::Key_Exclam, 0x31),
    Key(Qt::Key_2, 0x32), Key(Qt::Key_At, 0x32),
    Key(Qt::Key_3, 0x33), Key(Qt::Key_NumberSign, 0x33),
    Key(Qt::Key_4, 0x34), Key(Qt::Key_Dollar, 0x34),
    Key(Qt::Key_5, 0x35), Key(Qt::Key_Percent, 0x35),
    Key(Qt::Key_6, 0x36), Key(Qt::Key_AsciiCircum, 0x36),
    Key(Qt::Key_7, 0x37), Key(Qt::Key_Ampersand, 0x37),
    Key(Qt::Key_8, 0x38), Key(Qt::Key_Asterisk, 0x38),
    Key(Qt::Key_9, 0x39), Key(Qt::Key_ParenLeft, 0x39),

    // Letters.
    Key(Qt::Key_A, 0x41), Key(Qt::Key_B, 0x42), Key(Qt::Key_C, 0x43), Key(Qt::Key_D, 0x44),
    Key(Qt::Key_E, 0x45), Key(Qt::Key_F, 0x46), Key(Qt::Key_G, 0x47), Key(Qt::Key_H, 0x48),
    Key(Qt::Key_I, 0x49), Key(Qt::Key_J, 0x4A), Key(Qt::Key_K, 0x4B), Key(Qt::Key_L, 0x4C),
    Key(Qt::Key_M, 0x4D), Key(Qt::Key_N, 0x4E), Key(Qt::Key_O, 0x4F), Key(Qt::Key_P, 0x50),
    Key(Qt::Key_Q, 0x51), Key(Qt::Key_R, 0x52), Key(Qt::Key_S, 0x53), Key(Qt::Key_T, 0x54),
    Key(Qt::Key_U, 0x55), Key(Qt::Key_V, 0x56), Key(Qt::Key_W, 0x57), Key(Qt::Key_X, 0x58),
    Key(Qt::Key_Y, 0x59), Key(Qt::Key_Z, 0x5A),

    // Numeric keypad (Qt marks its keys with KeypadModifier). With NumLock off the keypad's
    // navigation keys fall back to the main entries above.
    Pad(Qt::Key_0, 0x60), Pad(Qt::Key_1, 0x61), Pad(Qt::Key_2, 0x62), Pad(Qt::Key_3, 0x63),
    Pad(Qt::Key_4, 0x64), Pad(Qt::Key_5, 0x65), Pad(Qt::Key_6, 0x66), Pad(Qt::Key_7, 0x67),
    Pad(Qt::Key_8, 0x68), Pad(Qt::Key_9, 0x69),
    Pad(Qt::Key_Asterisk, 0x6A),  // VK_MULTIPLY
    Pad(Qt::Key_Plus, 0x6B),      // VK_ADD
    Pad(Qt::Key_Comma, 0x6C),     // VK_SEPARATOR
    Pad(Qt::Key_Minus, 0x6D),     // VK_SUBTRACT
    Pad(Qt::Key_Period, 0x6E),    // VK_DECIMAL
    Pad(Qt::Key_Slash, 0x6F),     // VK_DIVIDE
    Pad(Qt::Key_Enter, 0x0D),

    // Function keys.
    Key(Qt::Key_F1, 0x70), Key(Qt::Key_F2, 0x71), Key(Qt::Key_F3, 0x72), Key(Qt::Key_F4, 0x73),
    Key(Qt::Key_F5, 0x74), Key(Qt::Key_F6, 0x75), Key(Qt::Key_F7, 0x76), Key(Qt::Key_F8, 0x77),
    Key(Qt::Key_F9, 0x78), Key(Qt::Key_F10, 0x79), Key(Qt::Key_F11, 0x7A), Key(Qt::Key_F12, 0x7B),
    Key(Qt::Key_F13, 0x7C), Key(Qt::Key_F14, 0x7D), Key(Qt::Key_F15, 0x7E), Key(Qt::Key_F16, 0x7F),
    Key(Qt::Key_F17, 0x80), Key(Qt::Key_F18, 0x81), Key(Qt::Key_F19, 0x82), Key(Qt::Key_F20, 0x83),
    Key(Qt::Key_F21, 0x84), Key(Qt::Key_F22, 0x85), Key(Qt::Key_F23, 0x86), Key(Qt::Key_F24, 0x87),

    // Browser and media keys.
    Key(Qt::Key_Back, 0xA6), Key(Qt::Key_Forward, 0xA7), Key(Qt::Key_Refresh, 0xA8),
    Key(Qt::Key_Stop, 0xA9), Key(Qt::Key_Search, 0xAA), Key(Qt::Key_Favorites, 0xAB),
    Key(Qt::Key_HomePage, 0xAC), Key(Qt::Key_VolumeMute, 0xAD), Key(Qt::Key_VolumeDown, 0xAE),
    Key(Qt::Key_VolumeUp, 0xAF), Key(Qt::Key_MediaNext, 0xB0), Key(Qt::Key_MediaPrevious, 0xB1),
    Key(Qt::Key_MediaStop, 0xB2), Key(Qt::Key_MediaTogglePlayPause, 0xB3),
    Key(Qt::Key_MediaPlay, 0xB3), Key(Qt::Key_LaunchMail, 0xB4), Key(Qt::Key_LaunchMedia, 0xB5),
    Key(Qt::Key_Launch0, 0xB6), Key(Qt::Key_Launch1, 0xB7),

    // Punctuation by its place on a US keyboard, shifted characters included. The JIS Ro key
    // (backslash and underscore on keycode 97) is VK_OEM_102 and comes before the general rows.
    Scan(Qt::Key_Backslash, kJisRoScanCode, 0xE2),
    Scan(Qt::Key_Underscore, kJisRoScanCode, 0xE2),
    Key(Qt::Key_Semicolon, 0xBA), Key(Qt::Key_Colon, 0xBA),          // VK_OEM_1
    Key(Qt::Key_Equal, 0xBB), Key(Qt::Key_Plus, 0xBB),               // VK_OEM_PLUS
    Key(Qt::Key_Comma, 0xBC), Key(Qt::Key_Less, 0xBC),               // VK_OEM_COMMA
    Key(Qt::Key_Minus, 0xBD), Key(Qt::Key_Underscore, 0xBD),         // VK_OEM_MINUS
    Key(Qt::Key_Period, 0xBE), Key(Qt::Key_Greater, 0xBE),           // VK_OEM_PERIOD
    Key(Qt::Key_Slash, 0xBF), Key(Qt::Key_Question, 0xBF),           // VK_OEM_2
    Key(Qt::Key_QuoteLeft, 0xC0), Key(Qt::Key_AsciiTilde, 0xC0),     // VK_OEM_3
    Key(Qt::Key_BracketLeft, 0xDB), Key(Qt::Key_BraceLeft, 0xDB),    // VK_OEM_4
    Key(Qt::Key_Backslash, 0xDC), Key(Qt::Key_Bar, 0xDC),            // VK_OEM_5
    Key(Qt::Key_yen, 0xDC),                                          // JIS Yen key
    Key(Qt::Key_BracketRight, 0xDD), Key(Qt::Key_BraceRight, 0xDD),  // VK_OEM_6
    Key(Qt::Key_Apostrophe, 0xDE), Key(Qt::Key_QuoteDbl, 0xDE),      // VK_OEM_7

    // Japanese keyboard keys, with the codes the Japanese layout itself gives them (one code per
    // key, whatever the IME makes of it): 英数 0xF0, カタカナ/ひらがな 0xF2, 全角/半角 0xF3,
    // 変換 0x1C, 無変換 0x1D; ろ and ￥ are above. With Alt the カタカナ/ひらがな key's keysym is
    // Romaji; the key is still the same one, and its release must match its press.
    Key(Qt::Key_Hiragana_Katakana, 0xF2),  // VK_DBE_HIRAGANA
    Key(Qt::Key_Hiragana, 0xF2),
    Key(Qt::Key_Katakana, 0xF2),
    Scan(Qt::Key_Romaji, kJisKanaScanCode, 0xF2),
    Key(Qt::Key_Kana_Lock, 0x15),  // VK_KANA: the kana lock of other keyboards
    Key(Qt::Key_Kana_Shift, 0x15),
    Key(Qt::Key_Kanji, 0x19),       // VK_KANJI (Alt+全角/半角)
    Key(Qt::Key_Henkan, 0x1C),      // VK_CONVERT
    Key(Qt::Key_Muhenkan, 0x1D),    // VK_NONCONVERT
    Key(Qt::Key_Eisu_toggle, 0xF0),  // VK_DBE_ALPHANUMERIC (VK_OEM_ATTN)
    Key(Qt::Key_Eisu_Shift, 0xF0),
    Key(Qt::Key_Zenkaku_Hankaku, 0xF3),  // VK_DBE_SBCSCHAR (VK_OEM_AUTO)
    Key(Qt::Key_Hankaku, 0xF3),
    Key(Qt::Key_Zenkaku, 0xF4),  // VK_OEM_ENLW
});
// clang-format on

bool Matches(const KeyMapEntry& entry, int qtKey, bool keypad, std::uint32_t keysym,
             std::uint32_t scanCode) {
    return entry.qtKey == qtKey && entry.keypad == keypad &&
           (entry.keysym == 0 || entry.keysym == keysym) &&
           (entry.scanCode == 0 || entry.scanCode == scanCode);
}

const KeyMapEntry* Find(int qtKey, bool keypad, std::uint32_t keysym, std::uint32_t scanCode) {
    // Entries that name a keysym or scan code come before the general entry of their key.
    for (const KeyMapEntry& entry : kTable) {
        if (Matches(entry, qtKey, keypad, keysym, scanCode)) return &entry;
    }
    return nullptr;
}

}  // namespace

std::span<const KeyMapEntry> KeyMapTable() { return kTable; }

VirtualKeys MapKey(int qtKey, Qt::KeyboardModifiers modifiers, std::uint32_t keysym,
                   std::uint32_t scanCode) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    const KeyMapEntry* entry = Find(qtKey, keypad, keysym, scanCode);
    if (entry == nullptr && keypad) entry = Find(qtKey, false, keysym, scanCode);
    if (entry == nullptr) return {};
    return {entry->virtualKey, entry->genericKey};
}

}  // namespace telorad::qt
