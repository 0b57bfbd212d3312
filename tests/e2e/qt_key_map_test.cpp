// Qt key events to Windows virtual-key codes, and the key-state table the core scans.
#include <QtGui/QKeyEvent>
#include <QtTest/QTest>
#include <set>

#include "app/commands.h"
#include "input/key_names.h"
#include "key_map.h"
#include "key_state.h"
#include "qt_test_support.h"

namespace telorad::qt::testing {
namespace {

TEST(QtKeyMap, EveryTableEntryMapsBackToItsCodes) {
    std::set<std::tuple<int, bool, std::uint32_t, std::uint32_t>> seen;
    for (const KeyMapEntry& entry : KeyMapTable()) {
        const auto modifiers = entry.keypad ? Qt::KeypadModifier : Qt::NoModifier;
        const VirtualKeys keys = MapKey(entry.qtKey, modifiers, entry.keysym, entry.scanCode);
        EXPECT_EQ(keys.virtualKey, entry.virtualKey) << std::hex << "Qt key 0x" << entry.qtKey;
        EXPECT_EQ(keys.genericKey, entry.genericKey) << std::hex << "Qt key 0x" << entry.qtKey;
        for (int button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON}) {
            EXPECT_NE(entry.virtualKey, button) << "a mouse button's code";
        }
        EXPECT_TRUE(seen.insert({entry.qtKey, entry.keypad, entry.keysym, entry.scanCode}).second)
            << std::hex << "duplicate entry for Qt key 0x" << entry.qtKey;
    }
}

TEST(QtKeyMap, PublishedCodesForTheKeysThatNeedCare) {
    struct Case {
        const char* name;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t keysym;
        std::uint32_t scanCode;
        int virtualKey;
        int genericKey;
    };
    const Case cases[] = {
        {"left shift", Qt::Key_Shift, Qt::ShiftModifier, 0xFFE1, 50, 0xA0, 0x10},
        {"right shift", Qt::Key_Shift, Qt::NoModifier, 0xFFE2, 62, 0xA1, 0x10},
        {"shift of unknown side", Qt::Key_Shift, Qt::NoModifier, 0, 0, 0xA0, 0x10},
        {"left control", Qt::Key_Control, Qt::NoModifier, 0xFFE3, 37, 0xA2, 0x11},
        {"right control", Qt::Key_Control, Qt::NoModifier, 0xFFE4, 105, 0xA3, 0x11},
        {"left alt", Qt::Key_Alt, Qt::NoModifier, 0xFFE9, 64, 0xA4, 0x12},
        {"right alt", Qt::Key_Alt, Qt::NoModifier, 0xFFEA, 108, 0xA5, 0x12},
        {"AltGr", Qt::Key_AltGr, Qt::NoModifier, 0xFE03, 108, 0xA5, 0x12},
        {"left Windows key", Qt::Key_Meta, Qt::NoModifier, 0xFFEB, 133, 0x5B, 0},
        {"right Windows key", Qt::Key_Meta, Qt::NoModifier, 0xFFEC, 134, 0x5C, 0},
        {"letter with Shift", Qt::Key_B, Qt::ShiftModifier, 0x42, 56, 0x42, 0},
        {"! is the 1 key", Qt::Key_Exclam, Qt::ShiftModifier, 0x21, 10, 0x31, 0},
        {"keypad 5", Qt::Key_5, Qt::KeypadModifier, 0xFFB5, 84, 0x65, 0},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, 0xFF8D, 104, 0x0D, 0},
        {"keypad Home (NumLock off)", Qt::Key_Home, Qt::KeypadModifier, 0xFF95, 79, 0x24, 0},
        {"keypad divide", Qt::Key_Slash, Qt::KeypadModifier, 0xFFAF, 106, 0x6F, 0},
        {"main slash", Qt::Key_Slash, Qt::NoModifier, 0x2F, 61, 0xBF, 0},
        {"semicolon", Qt::Key_Semicolon, Qt::NoModifier, 0x3B, 47, 0xBA, 0},
        {"backslash", Qt::Key_Backslash, Qt::NoModifier, 0x5C, 51, 0xDC, 0},
        // The Japanese layout's own codes, which a Windows server with that layout expects.
        {"JIS Ro key", Qt::Key_Backslash, Qt::NoModifier, 0x5C, 97, 0xE2, 0},
        {"JIS Ro key shifted", Qt::Key_Underscore, Qt::ShiftModifier, 0x5F, 97, 0xE2, 0},
        {"JIS Yen key", Qt::Key_yen, Qt::NoModifier, 0xA5, 132, 0xDC, 0},
        {"half/full width", Qt::Key_Zenkaku_Hankaku, Qt::NoModifier, 0xFF2A, 49, 0xF3, 0},
        {"conversion", Qt::Key_Henkan, Qt::NoModifier, 0xFF23, 100, 0x1C, 0},
        {"non-conversion", Qt::Key_Muhenkan, Qt::NoModifier, 0xFF22, 102, 0x1D, 0},
        {"英数", Qt::Key_Eisu_toggle, Qt::NoModifier, 0xFF30, 66, 0xF0, 0},
        {"カタカナ/ひらがな", Qt::Key_Hiragana_Katakana, Qt::NoModifier, 0xFF27, 101, 0xF2, 0},
        {"カタカナ/ひらがな with Alt", Qt::Key_Romaji, Qt::AltModifier, 0xFF24, 101, 0xF2, 0},
        {"kana lock of other keyboards", Qt::Key_Kana_Lock, Qt::NoModifier, 0xFF2D, 0, 0x15, 0},
        {"F24", Qt::Key_F24, Qt::NoModifier, 0xFFD5, 0, 0x87, 0},
        {"Tab with Shift", Qt::Key_Backtab, Qt::ShiftModifier, 0xFE20, 23, 0x09, 0},
        {"Print Screen", Qt::Key_Print, Qt::NoModifier, 0xFF61, 107, 0x2C, 0},
        {"Menu key", Qt::Key_Menu, Qt::NoModifier, 0xFF67, 135, 0x5D, 0},
        {"a key without a code", Qt::Key_Dead_Grave, Qt::NoModifier, 0xFE50, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const VirtualKeys keys = MapKey(c.qtKey, c.modifiers, c.keysym, c.scanCode);
        EXPECT_EQ(keys.virtualKey, c.virtualKey) << c.name;
        EXPECT_EQ(keys.genericKey, c.genericKey) << c.name;
    }
}

TEST(QtKeyState, GenericModifierStaysDownWhileEitherSideIs) {
    KeyState state;
    const VirtualKeys left{VK_LSHIFT, VK_SHIFT};
    const VirtualKeys right{VK_RSHIFT, VK_SHIFT};
    state.Press(left);
    state.Press(right);
    state.Release(left);
    EXPECT_TRUE(state.IsDown(VK_SHIFT));
    EXPECT_FALSE(state.IsDown(VK_LSHIFT));
    EXPECT_TRUE(state.IsDown(VK_RSHIFT));
    state.Release(right);
    EXPECT_FALSE(state.IsDown(VK_SHIFT));

    state.Press(left);
    state.PressCode(VK_LBUTTON);
    state.ReleaseAll();
    for (int code = -1; code <= 256; ++code) EXPECT_FALSE(state.IsDown(code)) << code;
    state.PressCode(0);  // no key has code 0
    EXPECT_FALSE(state.IsDown(0));
}

// The window's key path: what reaches the server in control mode.
std::vector<std::pair<std::uint32_t, std::uint32_t>> KeyMessages(
    const std::vector<SentMessage>& sent) {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;
    for (const SentMessage& message : sent) {
        if (message.type == MSG_KEY) keys.emplace_back(message.Word(0), message.Word(1));
    }
    return keys;
}

TEST_F(QtViewerTest, HeldKeyGivesOnePressAndOneRelease) {
    ASSERT_TRUE(Connect());
    Choose(IDM_MODE_CONTROL);
    QTest::keyPress(Viewport(), Qt::Key_A);
    for (int i = 0; i < 3; ++i) {
        // X11's auto-repeat: a release and a press, both marked as repeats.
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), true);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), true);
        QApplication::sendEvent(Viewport(), &release);
        QApplication::sendEvent(Viewport(), &press);
    }
    QTest::keyRelease(Viewport(), Qt::Key_A);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{{0, 0x41}, {1, 0x41}};
    EXPECT_EQ(KeyMessages(Sent()), expected);
}

TEST_F(QtViewerTest, FocusLossReleasesWhatTheServerHoldsAtOnce) {
    ASSERT_TRUE(Connect());
    Choose(IDM_MODE_CONTROL);
    QTest::keyPress(Viewport(), Qt::Key_Shift);
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 5));
    QTest::keyPress(Viewport(), Qt::Key_Tab, Qt::ShiftModifier);  // Tab reaches the core too
    // The keys and the button go up while another window has the focus.
    ASSERT_TRUE(Viewport()->hasFocus());
    Viewport()->clearFocus();
    Viewport()->setFocus();
    QTest::keyPress(Viewport(), Qt::Key_Z);
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{
        {0, 0x10}, {0, 0xA0},  // Shift
        {0, 0x01}, {0, 0x09},  // Tab's scan also finds the held button
        {1, 0x01}, {1, 0x09}, {1, 0x10}, {1, 0xA0},  // when the focus went
        {0, 0x5A},
    };
    EXPECT_EQ(KeyMessages(Sent()), expected);
}

// Scripts name keys from the same codes the viewer sends: none of the viewer's keys is missing.
TEST(QtKeyMap, EveryKeyTheViewerSendsHasAScriptName) {
    for (const KeyMapEntry& entry : KeyMapTable()) {
        const std::string name = KeyNameOf(entry.virtualKey);
        EXPECT_FALSE(name.empty()) << std::hex << "code 0x" << int{entry.virtualKey};
        EXPECT_EQ(VirtualKeyByName(name), entry.virtualKey) << name;
    }
}

}  // namespace
}  // namespace telorad::qt::testing
