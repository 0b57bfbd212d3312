// Typed UTF-8 text to the server's code page.
#include "app/text_encoding.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace telorad {
namespace {

TEST(TextEncodingTest, DecodesWireBytesForDisplayShowingStrayBytesAsReplacements) {
    const struct {
        std::uint32_t codePage;
        std::string wire;
        std::string shown;
    } cases[] = {
        {932, "", ""},
        {932, "\x83\x70\x83\x58\\", "パス\\"},
        {932, "\xB1", "ｱ"},
        {932, "a\xFF", "a\xEF\xBF\xBD"},
        {932, "\x83", "\xEF\xBF\xBD"},                  // a lead byte cut short
        {932, "\x83\x70\x83", "パ\xEF\xBF\xBD"},
        {1252, "caf\xE9", "caf\xC3\xA9"},
        {65001, "漢\xC3", "漢\xEF\xBF\xBD"},
        {4242, "ab", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // a code page this system lacks
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFromCodePage(c.wire, c.codePage), c.shown) << c.codePage << " " << c.wire;
    }
}

TEST(TextEncodingTest, ConvertsToTheCodePageOrRefuses) {
    const struct {
        const char* name;
        std::uint32_t codePage;
        std::string utf8;
        TextConversion result;
        std::string wire;
    } cases[] = {
        {"ascii", 932, "dir C:\\", TextConversion::kOk, "dir C:\\"},
        {"empty", 932, "", TextConversion::kOk, ""},
        {"kana", 932, "カナ", TextConversion::kOk, "\x83\x4A\x83\x69"},
        {"half-width kana", 932, "ｱ", TextConversion::kOk, "\xB1"},
        {"kanji", 932, "漢字", TextConversion::kOk, "\x8A\xBF\x8E\x9A"},
        {"NEC special", 932, "①", TextConversion::kOk, "\x87\x40"},
        {"emoji", 932, "a\xF0\x9F\x98\x80", TextConversion::kUnrepresentable, ""},
        {"hangul", 932, "한", TextConversion::kUnrepresentable, ""},
        {"latin in 1252", 1252, "caf\xC3\xA9", TextConversion::kOk, "caf\xE9"},
        {"euro in 1252", 1252, "\xE2\x82\xAC", TextConversion::kOk, "\x80"},
        {"kanji in 1252", 1252, "漢", TextConversion::kUnrepresentable, ""},
        {"utf-8 passes", 65001, "漢\xF0\x9F\x98\x80", TextConversion::kOk, "漢\xF0\x9F\x98\x80"},
        {"broken utf-8", 65001, "a\xC3", TextConversion::kUnrepresentable, ""},
        {"overlong", 932, "\xC0\xAF", TextConversion::kUnrepresentable, ""},
        {"surrogate", 65001, "\xED\xA0\x80", TextConversion::kUnrepresentable, ""},
        {"beyond U+10FFFF", 65001, "\xF4\x90\x80\x80", TextConversion::kUnrepresentable, ""},
        {"unknown code page", 4242, "abc", TextConversion::kUnsupportedCodePage, ""},
    };
    for (const auto& c : cases) {
        std::string wire = "stale";
        EXPECT_EQ(ConvertToCodePage(c.utf8, c.codePage, wire), c.result) << c.name;
        EXPECT_EQ(wire, c.wire) << c.name;
        if (c.result != TextConversion::kOk) continue;
        std::string back = "stale";  // and back again, as the server's log shows it
        EXPECT_EQ(ConvertFromCodePage(c.wire, c.codePage, back), TextConversion::kOk) << c.name;
        EXPECT_EQ(back, c.utf8) << c.name;
    }
}

TEST(TextEncodingTest, BytesThatAreNotTextOfTheCodePageAreNotShown) {
    const struct {
        const char* name;
        std::uint32_t codePage;
        std::string bytes;
        TextConversion result;
    } cases[] = {
        {"lead byte cut off", 932, "dir \x82", TextConversion::kUnrepresentable},
        {"unassigned lead byte", 932, "\xA0", TextConversion::kUnrepresentable},
        {"broken utf-8", 65001, "a\xC3", TextConversion::kUnrepresentable},
        {"unknown code page", 4242, "abc", TextConversion::kUnsupportedCodePage},
    };
    for (const auto& c : cases) {
        std::string utf8 = "stale";
        EXPECT_EQ(ConvertFromCodePage(c.bytes, c.codePage, utf8), c.result) << c.name;
        EXPECT_EQ(utf8, "") << c.name;
    }
}

TEST(TextEncodingTest, LimitKeepsWholeCharactersOnly) {
    const struct {
        std::string utf8;
        std::uint32_t codePage;
        std::size_t maxBytes;
        std::string wire;
    } cases[] = {
        {"abcdef", 932, 4, "abcd"},
        {"a漢字", 932, 4, "a\x8A\xBF"},  // 字 would need bytes 4 and 5
        {"a漢字", 932, 5, "a\x8A\xBF\x8E\x9A"},
        {"漢字", 65001, 4, "漢"},
        {"ab", 932, 0, ""},
        {std::string(2000, 'x'), 932, 1023, std::string(1023, 'x')},
    };
    for (const auto& c : cases) {
        std::string wire;
        EXPECT_EQ(ConvertToCodePageLimited(c.utf8, c.codePage, c.maxBytes, wire),
                  TextConversion::kOk);
        EXPECT_EQ(wire, c.wire) << c.utf8.substr(0, 20) << " to " << c.maxBytes;
    }
    std::string wire;
    EXPECT_EQ(ConvertToCodePageLimited("abc\xF0\x9F\x98\x80", 932, 2, wire),
              TextConversion::kUnrepresentable)
        << "a character the code page cannot hold is refused even beyond the limit";
    EXPECT_EQ(wire, "");
}

TEST(TextEncodingTest, CodePageComesFromTheSettingsFile) {
    testing::TempDir dir;
    const auto path = dir.path() / "remote.ini";
    EXPECT_EQ(ReadWireCodePage(path.string()), 932u) << "no file";
    const struct {
        std::string text;
        std::uint32_t expected;
    } cases[] = {
        {"[Client]\r\nCodePage=65001\r\n", 65001}, {"[client]\nCODEPAGE = 1252\n", 1252},
        {"[Client]\r\nHost01=a\r\n", 932},         {"[Other]\r\nCodePage=1252\r\n", 932},
        {"[Client]\r\nCodePage=abc\r\n", 932},     {"[Client]\r\nCodePage=-5\r\n", 932},
    };
    for (const auto& c : cases) {
        testing::WriteFileBytes(path, std::vector<std::uint8_t>(c.text.begin(), c.text.end()));
        EXPECT_EQ(ReadWireCodePage(path.string()), c.expected) << c.text;
    }
}

TEST(TextEncodingTest, RefusalMessagesSayWhatAndWhyInBothLanguages) {
    const std::string password =
        RefusalMessage(RefusedText::kPassword, TextConversion::kUnrepresentable, 932);
    EXPECT_NE(password.find("このパスワードは送信できません"), std::string::npos);
    EXPECT_NE(password.find("This password cannot be sent"), std::string::npos);
    EXPECT_NE(password.find("932"), std::string::npos);
    const std::string command =
        RefusalMessage(RefusedText::kCommand, TextConversion::kUnsupportedCodePage, 4242);
    EXPECT_NE(command.find("このコマンドは送信できません"), std::string::npos);
    EXPECT_NE(command.find("CodePage"), std::string::npos);
    EXPECT_NE(command.find("4242"), std::string::npos);
}

}  // namespace
}  // namespace telorad
