#include "hosts/profile.h"

#include <gtest/gtest.h>

#include <string>

namespace telorad {
namespace {

struct LookupCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;
};

TEST(ProfileTest, LookupReadsLikeTheProfileCalls) {
    const std::string longValue(300, 'x');
    const LookupCase cases[] = {
        {"crlf", "[Client]\r\nHost00=abc\r\n", "Client", "Host00", "abc"},
        {"lf", "[Client]\nHost00=abc\n", "Client", "Host00", "abc"},
        {"no final line end", "[Client]\nHost00=abc", "Client", "Host00", "abc"},
        {"lone cr at the end", "[Client]\nHost00=abc\r", "Client", "Host00", "abc"},
        {"names ignore case", "[cLIENT]\nhOST00=abc\n", "Client", "Host00", "abc"},
        {"non-ascii names keep case", "[\xC4]\nk=v\n", "\xE4", "k", "<default>"},
        {"spaces and tabs", " \t[ \tClient\t ]\t\n \tHost00 \t= \t a b \t\n", "Client", "Host00",
         "a b"},
        {"one pair of quotes goes", "[Client]\nHost00= \"  a b  \" \n", "Client", "Host00",
         "  a b  "},
        {"only one pair", "[Client]\nHost00=\"\"a\"\"\n", "Client", "Host00", "\"a\""},
        {"lone quote stays", "[Client]\nHost00=\"\n", "Client", "Host00", "\""},
        {"unbalanced quote stays", "[Client]\nHost00=\"abc\n", "Client", "Host00", "\"abc"},
        {"single quotes stay", "[Client]\nHost00='abc'\n", "Client", "Host00", "'abc'"},
        {"cut to 255 bytes", "[Client]\nHost00=" + longValue + "\n", "Client", "Host00",
         longValue.substr(0, 255)},
        {"cut at nul", std::string("[Client]\nHost00=ab\0cd\n", 22), "Client", "Host00", "ab"},
        {"bytes pass unchanged", "[Client]\nPasswd00=\\\x81\x5C\xFF\x80\\\\\n", "Client",
         "Passwd00", "\\\x81\x5C\xFF\x80\\\\"},
        {"equals in the value", "[Client]\nHost00=a=b\n", "Client", "Host00", "a=b"},
        {"empty value", "[Client]\nHost00=\n", "Client", "Host00", ""},
        {"bare name is an empty key", "[Client]\nHost00\n", "Client", "Host00", ""},
        {"comment is no key", "[Client]\n;Host00=x\n", "Client", "Host00", "<default>"},
        {"indented comment", "[Client]\n  ;Host00=x\n", "Client", "Host00", "<default>"},
        {"missing section", "[Other]\nHost00=x\n", "Client", "Host00", "<default>"},
        {"key of another section", "[Client]\n[Other]\nHost00=x\n", "Client", "Host00",
         "<default>"},
        {"key before any section", "Host00=x\n[Client]\n", "Client", "Host00", "<default>"},
        {"first of two keys", "[Client]\nHost00=a\nHOST00=b\n", "Client", "Host00", "a"},
        {"second section of that name", "[Client]\nA=1\n[Other]\n[client]\nHost00=b\n", "Client",
         "Host00", "b"},
        {"text after the bracket", "[Client] ; note\nHost00=a\n", "Client", "Host00", "a"},
        {"bracket never closed", "[Client\nHost00=a\n", "Client", "Host00", "a"},
        {"byte order mark", "\xEF\xBB\xBF[Client]\nHost00=a\n", "Client", "Host00", "a"},
        {"empty file", "", "Client", "Host00", "<default>"},
    };
    for (const LookupCase& c : cases) {
        const ProfileDocument document = ParseProfile(c.file);
        EXPECT_EQ(LookupProfileString(document, c.section, c.key, "<default>"), c.expected)
            << c.name;
    }
}

TEST(ProfileTest, IntegerReadsSignAndLeadingDigits) {
    const struct {
        std::string value;
        std::int32_t expected;
    } cases[] = {
        {"123", 123},
        {"-5", -5},
        {"+7", 7},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {" \t42 ", 42},
        {"\"77\"", 77},
        {"0x10", 0},
        {"- 5", 0},
        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},
        {"4294967297", 1},
    };
    for (const auto& c : cases) {
        const ProfileDocument document = ParseProfile("[Client]\nPort00=" + c.value + "\n");
        EXPECT_EQ(LookupProfileInt(document, "Client", "Port00", 9876), c.expected) << c.value;
    }
    EXPECT_EQ(LookupProfileInt(ParseProfile("[Client]\n"), "Client", "Port00", 9876), 9876);
    EXPECT_EQ(LookupProfileInt(ParseProfile(""), "Client", "Port00", -3), -3);
}

TEST(ProfileTest, UnchangedDocumentSerialisesByteForByte) {
    const std::string files[] = {
        "",
        "\n",
        "\r\n\r\n",
        "[Client]\r\nHost00=a\r\n",
        "no newline at end",
        "mixed\r\nline\nends\r\n\rlone cr\r",
        std::string("nul\0byte\n", 9),
        "\xEF\xBB\xBF; comment\n  [ Sec ] trailing\n key = \"v\" \n=\n[\n",
    };
    for (const std::string& file : files) {
        EXPECT_EQ(SerializeProfile(ParseProfile(file)), file);
    }
}

TEST(ProfileTest, SetRewritesOnlyTheValueOfAnExistingKey) {
    ProfileDocument document =
        ParseProfile("; top\r\n[client]\r\n  HOST00 \t=  old  \r\nPort00=1\r\n\r\n[Other]\r\nx=y");
    ASSERT_TRUE(SetProfileValue(document, "Client", "Host00", "new"));
    EXPECT_EQ(SerializeProfile(document),
              "; top\r\n[client]\r\n  HOST00 \t=new\r\nPort00=1\r\n\r\n[Other]\r\nx=y");
}

TEST(ProfileTest, SetPlacesNewKeysAfterTheLastKeyOfTheFirstSection) {
    ProfileDocument document =
        ParseProfile("[Client]\nA=1\nB=2\n\n; about Other\n[Other]\nC=3\n[Client]\nD=4\n");
    ASSERT_TRUE(SetProfileValue(document, "Client", "Host00", "h"));
    ASSERT_TRUE(SetProfileValue(document, "Client", "D", "5"));
    ASSERT_TRUE(SetProfileValue(document, "Client", "Bare", "b"));
    EXPECT_EQ(SerializeProfile(document),
              "[Client]\nA=1\nB=2\nHost00=h\nBare=b\n\n; about Other\n[Other]\nC=3\n"
              "[Client]\nD=5\n");
}

TEST(ProfileTest, SetCreatesSectionWithTheFilesLineEnds) {
    const struct {
        std::string before;
        std::string after;
    } cases[] = {
        {"", "[Client]\r\nHost00=h\r\n"},
        {"[Other]\nx=y\n", "[Other]\nx=y\n[Client]\nHost00=h\n"},
        {"[Other]\r\nx=y", "[Other]\r\nx=y\r\n[Client]\r\nHost00=h\r\n"},
        {"[Other]\nx=y\r", "[Other]\nx=y\n[Client]\nHost00=h\n"},
        {"[Client]", "[Client]\r\nHost00=h\r\n"},
        {"[Client]\nHost00", "[Client]\nHost00=h"},
        // A CR left in a line's text stays in it: the new line end does not pair with it.
        {"[Other]\nx=y\r\r", "[Other]\nx=y\r\r\n[Client]\nHost00=h\n"},
        {"[Client]\nPasswd00\r\r", "[Client]\nPasswd00\r\r\nHost00=h\n"},
    };
    for (const auto& c : cases) {
        ProfileDocument document = ParseProfile(c.before);
        ASSERT_TRUE(SetProfileValue(document, "Client", "Host00", "h"));
        EXPECT_EQ(SerializeProfile(document), c.after) << c.before;
    }
}

TEST(ProfileTest, SetValuesReadBackAsWritten) {
    const std::string values[] = {
        "",
        "plain",
        " leading",
        "trailing\t",
        "\"quoted\"",
        "'single'",
        "\"",
        "a \"b\" c",
        "  ",
        "\\server\\share\\",
        "=;[]#",
        "\x81\x5C\xFF",
        std::string(255, '\xE0'),
    };
    for (const std::string& value : values) {
        ProfileDocument document = ParseProfile("[Client]\nK=old\n");
        ASSERT_TRUE(SetProfileValue(document, "Client", "K", value));
        const ProfileDocument reread = ParseProfile(SerializeProfile(document));
        EXPECT_EQ(LookupProfileString(reread, "Client", "K", "<default>"), value) << value;
    }
}

TEST(ProfileTest, SetCutsValuesAtLineBreaksSoNoLineCanBeInjected) {
    const std::string values[] = {"pw\nHost00=evil", "pw\rHost00=evil",
                                  std::string("pw\0Host00=evil", 14)};
    for (const std::string& value : values) {
        ProfileDocument document = ParseProfile("[Client]\nHost00=good\n");
        ASSERT_TRUE(SetProfileValue(document, "Client", "Passwd00", value));
        const ProfileDocument reread = ParseProfile(SerializeProfile(document));
        EXPECT_EQ(LookupProfileString(reread, "Client", "Passwd00", ""), "pw");
        EXPECT_EQ(LookupProfileString(reread, "Client", "Host00", ""), "good");
        EXPECT_EQ(reread.lines.size(), 3u);
    }
}

TEST(ProfileTest, SetRefusesNamesALineCannotHold) {
    const struct {
        std::string section;
        std::string key;
    } cases[] = {
        {"", "k"},   {"s", ""},    {"s]x", "k"},   {"s\n", "k"},
        {" s", "k"}, {"s", "a=b"}, {"s", " k"},    {"s", "k\t"},
        {"s", ";k"}, {"s", "[k"},  {"s", "k\r\n"}, {std::string("s\0", 2), "k"},
    };
    for (const auto& c : cases) {
        ProfileDocument document = ParseProfile("[s]\nk=v\n");
        EXPECT_FALSE(SetProfileValue(document, c.section, c.key, "x")) << c.section << "/" << c.key;
        EXPECT_EQ(SerializeProfile(document), "[s]\nk=v\n");
    }
}

}  // namespace
}  // namespace telorad
