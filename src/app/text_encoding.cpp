#include "app/text_encoding.h"

#include <vector>

#include "hosts/profile.h"
#include "hosts/settings_file.h"

namespace telorad {

namespace {

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 when it is not well formed
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t left = text.size() - at;
    if (lead < 0x80) return 1;
    const auto continuation = [&](std::size_t i, unsigned char low, unsigned char high) {
        return i < text.size() && byte(i) >= low && byte(i) <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && continuation(at + 1, 0x80, 0xBF) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return left >= 3 && continuation(at + 1, low, high) && continuation(at + 2, 0x80, 0xBF) ? 3
                                                                                                : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return left >= 4 && continuation(at + 1, low, high) && continuation(at + 2, 0x80, 0xBF) &&
                       continuation(at + 3, 0x80, 0xBF)
                   ? 4
                   : 0;
    }
    return 0;
}

// Offsets where each character starts, plus the end; empty when the text is not UTF-8.
bool CharacterStarts(std::string_view text, std::vector<std::size_t>& starts) {
    starts.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) return false;
        starts.push_back(at);
        at += length;
    }
    starts.push_back(at);
    return true;
}

}  // namespace

TextConversion ConvertToCodePage(std::string_view utf8, std::uint32_t codePage, std::string& out) {
    out.clear();
    std::vector<std::size_t> starts;
    if (!CharacterStarts(utf8, starts)) return TextConversion::kUnrepresentable;
    if (codePage == kUtf8CodePage) {
        out.assign(utf8);
        return TextConversion::kOk;
    }
    return ConvertUtf8WithPlatform(utf8, codePage, out);
}

TextConversion ConvertToCodePageLimited(std::string_view utf8, std::uint32_t codePage,
                                        std::size_t maxBytes, std::string& out) {
    const TextConversion whole = ConvertToCodePage(utf8, codePage, out);
    if (whole != TextConversion::kOk || out.size() <= maxBytes) return whole;

    // Too long: keep the longest run of whole characters that fits, converting one character at
    // a time (the code pages in use carry no shift state between characters).
    std::vector<std::size_t> starts;
    CharacterStarts(utf8, starts);
    std::string kept;
    std::string one;
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
        const TextConversion result =
            ConvertToCodePage(utf8.substr(starts[i], starts[i + 1] - starts[i]), codePage, one);
        if (result != TextConversion::kOk) {
            out.clear();
            return result;
        }
        if (kept.size() + one.size() > maxBytes) break;
        kept += one;
    }
    out = std::move(kept);
    return TextConversion::kOk;
}

TextConversion ConvertFromCodePage(std::string_view bytes, std::uint32_t codePage,
                                   std::string& utf8) {
    utf8.clear();
    if (codePage != kUtf8CodePage) return ConvertToUtf8WithPlatform(bytes, codePage, utf8);
    std::vector<std::size_t> starts;
    if (!CharacterStarts(bytes, starts)) return TextConversion::kUnrepresentable;
    utf8.assign(bytes);
    return TextConversion::kOk;
}

std::string DecodeFromCodePage(std::string_view wire, std::uint32_t codePage) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
    std::string text;
    if (codePage != kUtf8CodePage &&
        ConvertToUtf8WithPlatform(wire, codePage, text) == TextConversion::kOk) {
        return text;
    }
    // Character by character: the shortest run of up to four bytes that decodes is one character.
    text.clear();
    std::string one;
    std::size_t at = 0;
    while (at < wire.size()) {
        std::size_t length = 0;
        if (codePage == kUtf8CodePage) {
            length = Utf8SequenceLength(wire, at);
            one.assign(wire.substr(at, length));
        } else {
            for (std::size_t n = 1; n <= 4 && at + n <= wire.size(); ++n) {
                if (ConvertToUtf8WithPlatform(wire.substr(at, n), codePage, one) ==
                    TextConversion::kOk) {
                    length = n;
                    break;
                }
            }
        }
        if (length == 0) {
            text += kReplacement;
            ++at;
        } else {
            text += one;
            at += length;
        }
    }
    return text;
}

std::uint32_t ReadWireCodePage(const std::string& settingsPath) {
    std::string bytes;
    if (ReadSettingsFile(settingsPath, bytes) != SettingsFileStatus::kRead) {
        return kDefaultWireCodePage;
    }
    const ProfileDocument document = ParseProfile(bytes);
    const std::int32_t codePage =
        LookupProfileInt(document, kCodePageSection, kCodePageKey, kDefaultWireCodePage);
    return codePage > 0 ? static_cast<std::uint32_t>(codePage) : kDefaultWireCodePage;
}

std::string RefusalMessage(RefusedText what, TextConversion result, std::uint32_t codePage) {
    const std::string number = std::to_string(codePage);
    const bool password = what == RefusedText::kPassword;
    if (what == RefusedText::kHost) {
        return "このホスト名はサーバーのコードページ " + number +
               " で表せません。\nThis host name cannot be stored: it contains a character that "
               "code page " + number + " cannot represent.";
    }
    std::string text =
        password ? "このパスワードは送信できません。" : "このコマンドは送信できません。";
    if (result == TextConversion::kUnsupportedCodePage) {
        text += "このシステムはコードページ " + number +
                " に変換できません (remote.ini の [Client] CodePage を確認してください)。\n";
        text += password ? "This password cannot be sent: " : "This command cannot be sent: ";
        text += "this system cannot convert text to code page " + number +
                " (see CodePage in section [Client] of remote.ini).";
    } else {
        text += "サーバーのコードページ " + number + " で表せない文字が含まれています。\n";
        text += password ? "This password cannot be sent: " : "This command cannot be sent: ";
        text +=
            "it contains a character that the server's code page " + number + " cannot represent.";
    }
    return text;
}

}  // namespace telorad
