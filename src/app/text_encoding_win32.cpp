// Code-page conversion with the Windows API: UTF-8 to UTF-16, then to the code page without
// best-fit substitutes, refusing any character that needed the default character; and back,
// refusing bytes that are not text of the code page.
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

TextConversion ConvertToUtf8WithPlatform(std::string_view bytes, std::uint32_t codePage,
                                         std::string& utf8) {
    utf8.clear();
    if (bytes.empty()) return TextConversion::kOk;
    if (!IsValidCodePage(codePage)) return TextConversion::kUnsupportedCodePage;
    if (bytes.size() > 0x3FFFFFFF) return TextConversion::kUnrepresentable;
    const int inBytes = static_cast<int>(bytes.size());

    const int wideCount =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inBytes, nullptr, 0);
    if (wideCount <= 0) return TextConversion::kUnrepresentable;
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideCount));
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), inBytes, wide.data(),
                            wideCount) != wideCount) {
        return TextConversion::kUnrepresentable;
    }
    const int outCount =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, nullptr, 0, nullptr, nullptr);
    if (outCount <= 0) return TextConversion::kUnrepresentable;
    std::string converted(static_cast<std::size_t>(outCount), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, converted.data(), outCount,
                            nullptr, nullptr) != outCount) {
        return TextConversion::kUnrepresentable;
    }
    utf8 = std::move(converted);
    return TextConversion::kOk;
}

}  // namespace telorad
