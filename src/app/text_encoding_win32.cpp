// Code-page conversion with the Windows API, through UTF-16: to the code page without best-fit
// substitutes, refusing any character that needed the default character; and back, refusing
// bytes that are not text of the code page.
#include <windows.h>

#include <vector>

#include "app/text_encoding.h"

namespace telorad {

namespace {

// Bytes of `codePage` as UTF-16; false when they are not text of it.
bool ToWide(UINT codePage, std::string_view bytes, std::vector<wchar_t>& wide) {
    if (bytes.size() > 0x3FFFFFFF) return false;
    const int inBytes = static_cast<int>(bytes.size());
    const int count =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inBytes, nullptr, 0);
    if (count <= 0) return false;
    wide.resize(static_cast<std::size_t>(count));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inBytes, wide.data(),
                               count) == count;
}

// UTF-16 as bytes of `codePage`; false when a character needed the default character.
bool FromWide(UINT codePage, const std::vector<wchar_t>& wide, std::string& out) {
    const int wideCount = static_cast<int>(wide.size());
    // The flags and the default-character check are not allowed for UTF-8.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultCheck = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int count = WideCharToMultiByte(codePage, flags, wide.data(), wideCount, nullptr, 0,
                                          nullptr, usedDefaultCheck);
    if (count <= 0 || usedDefault) return false;
    std::string converted(static_cast<std::size_t>(count), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), wideCount, converted.data(), count,
                            nullptr, usedDefaultCheck) != count ||
        usedDefault) {
        return false;
    }
    out = std::move(converted);
    return true;
}

TextConversion Convert(UINT from, UINT to, std::string_view text, std::string& out) {
    out.clear();
    if (text.empty()) return TextConversion::kOk;
    std::vector<wchar_t> wide;
    if (!ToWide(from, text, wide) || !FromWide(to, wide, out)) {
        out.clear();
        return TextConversion::kUnrepresentable;
    }
    return TextConversion::kOk;
}

}  // namespace

TextConversion ConvertUtf8WithPlatform(std::string_view utf8, std::uint32_t codePage,
                                       std::string& out) {
    if (!IsValidCodePage(codePage)) {
        out.clear();
        return TextConversion::kUnsupportedCodePage;
    }
    return Convert(CP_UTF8, codePage, utf8, out);
}

TextConversion ConvertToUtf8WithPlatform(std::string_view bytes, std::uint32_t codePage,
                                         std::string& utf8) {
    if (!IsValidCodePage(codePage)) {
        utf8.clear();
        return TextConversion::kUnsupportedCodePage;
    }
    return Convert(codePage, CP_UTF8, bytes, utf8);
}

}  // namespace telorad
