// Key and button names as the codes scripts send.
#include "input/key_names.h"

#include <gtest/gtest.h>

namespace telorad {
namespace {

TEST(KeyNamesTest, CombinationsGiveTheirCodesInPressOrder) {
    const struct {
        const char* combo;
        std::vector<std::uint8_t> codes;  // empty: refused
    } cases[] = {
        {"ctrl+alt+del", {0x11, 0xA2, 0x12, 0xA4, 0x2E}},
        {"Shift+F10", {0x10, 0xA0, 0x79}},
        {"win+r", {0x5B, 0x52}},
        {"rshift+ralt+altgr", {0x10, 0xA1, 0x12, 0xA5, 0x12, 0xA5}},
        {"f1", {0x70}}, {"F24", {0x87}}, {"0", {0x30}}, {"Z", {0x5A}},
        {"kp0+kpdivide+kpenter", {0x60, 0x6F, 0x0D}},
        {"変換+無変換+英数+ひらがな+半角/全角+ろ+￥", {0x1C, 0x1D, 0xF0, 0xF2, 0xF3, 0xE2, 0xDC}},
        {"kanji+kanamode+zenkaku", {0x19, 0x15, 0xF4}},
        {"/+\\+;+'", {0xBF, 0xDC, 0xBA, 0xDE}},
        {"0x01+0xff+0xA5", {0x01, 0xFF, 0xA5}},
        {"", {}}, {"ctrl+", {}}, {"+a", {}}, {"ctrl++", {}}, {"f0", {}}, {"f25", {}},
        {"f01", {}}, {"0x00", {}}, {"0x100", {}}, {"0xg1", {}}, {"ctrl+nokey", {}}, {"aa", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> codes;
        std::string error;
        EXPECT_EQ(KeyComboCodes(c.combo, codes, error), !c.codes.empty()) << c.combo;
        if (c.codes.empty()) {
            EXPECT_FALSE(error.empty()) << c.combo;
        } else {
            EXPECT_EQ(codes, c.codes) << c.combo;
        }
    }
}

TEST(KeyNamesTest, EveryNameLeadsBackToItsCode) {
    std::uint8_t lastCode = 0;
    for (const KeyName& key : KeyNames()) {
        EXPECT_EQ(VirtualKeyByName(key.name), key.code) << key.name;
        EXPECT_GE(key.code, lastCode) << key.name;
        if (key.code != lastCode) {
            EXPECT_EQ(KeyNameOf(key.code), key.name) << key.name;
        }
        lastCode = key.code;
    }
    EXPECT_EQ(KeyNameOf(0x07), "");
}

TEST(KeyNamesTest, PrintableAsciiIsTypedOnAUsLayoutAndNothingElse) {
    std::vector<KeyStroke> strokes;
    std::string error;
    ASSERT_TRUE(TextKeyStrokes(" !\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~", strokes, error));
    const std::string shifted = "!\"#$%&()*+:<>?@AZ^_{|}~";
    const std::uint8_t expected[] = {0x20, 0x31, 0xDE, 0x33, 0x34, 0x35, 0x37, 0xDE, 0x39, 0x30,
                                     0x38, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0x30, 0x39, 0xBA, 0xBA,
                                     0xBC, 0xBB, 0xBE, 0xBF, 0x32, 0x41, 0x5A, 0xDB, 0xDC, 0xDD,
                                     0x36, 0xBD, 0xC0, 0x41, 0x5A, 0xDB, 0xDC, 0xDD, 0xC0};
    ASSERT_EQ(strokes.size(), std::size(expected));
    const std::string text = " !\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~";
    for (std::size_t n = 0; n < strokes.size(); ++n) {
        EXPECT_EQ(strokes[n].code, expected[n]) << text[n];
        EXPECT_EQ(strokes[n].shift, shifted.find(text[n]) != std::string::npos) << text[n];
    }
    for (const std::string& refused : std::vector<std::string>{
             "caf\xC3\xA9", "a\tb", "line\n", std::string("a\0b", 3), "\x7F"}) {
        EXPECT_FALSE(TextKeyStrokes(refused, strokes, error)) << refused;
        EXPECT_TRUE(strokes.empty());
        EXPECT_NE(error.find("nothing was sent"), std::string::npos) << error;
    }
}

TEST(KeyNamesTest, MouseButtons) {
    EXPECT_EQ(MouseButtonByName("LEFT")->down, 0x201u);
    EXPECT_EQ(MouseButtonByName("right")->up, 0x205u);
    EXPECT_EQ(MouseButtonByName("middle")->down, 0x207u);
    EXPECT_FALSE(MouseButtonByName("wheel"));
}

}  // namespace
}  // namespace telorad
