// Code-page conversion with the Windows API: UTF-8 to UTF-16, then to the code page without
// best-fit substitutes, refusing any character that needed the default character.
#include <windows.h>

#include <vector>

#include "app/text_encoding.h"

namespace telorad {

TextConversion ConvertUtf8WithPlatform(std::string_view utf8, std::uint32_t codePage,
                                       std::string& out) {
    out.clear();
    if (utf8.empty()) return TextConversion::kOk;
    if (!IsValidCodePage(codePage)) return TextConversion::kUnsupportedCodePage;
    if (utf8.size() > 0x3FFFFFFF) return TextConversion::kUnrepresentable;
    const int inBytes = static_cast<int>(utf8.size());

    const int wideCount =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inBytes, nullptr, 0);
    if (wideCount <= 0) return TextConversion::kUnrepresentable;
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideCount));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), inBytes, wide.data(),
                            wideCount) != wideCount) {
        return TextConversion::kUnrepresentable;
    }

    BOOL usedDefault = FALSE;
    const int outCount = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideCount,
                                             nullptr, 0, nullptr, &usedDefault);
    if (outCount <= 0 || usedDefault) return TextConversion::kUnrepresentable;
    std::string converted(static_cast<std::size_t>(outCount), '\0');
    usedDefault = FALSE;
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideCount,
                            converted.data(), outCount, nullptr, &usedDefault) != outCount ||
        usedDefault) {
        return TextConversion::kUnrepresentable;
    }
    out = std::move(converted);
    return TextConversion::kOk;
}

bool DecodeWithPlatform(std::string_view wire, std::uint32_t codePage, std::string& utf8) {
    utf8.clear();
    if (wire.empty()) return true;
    if (!IsValidCodePage(codePage) || wire.size() > 0x3FFFFFFF) return false;
    const int inBytes = static_cast<int>(wire.size());
    const int wideCount =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, wire.data(), inBytes, nullptr, 0);
    if (wideCount <= 0) return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideCount));
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, wire.data(), inBytes, wide.data(),
                            wideCount) != wideCount) {
        return false;
    }
    const int outCount =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, nullptr, 0, nullptr, nullptr);
    if (outCount <= 0) return false;
    utf8.assign(static_cast<std::size_t>(outCount), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, utf8.data(), outCount, nullptr,
                        nullptr);
    return true;
}

}  // namespace telorad
