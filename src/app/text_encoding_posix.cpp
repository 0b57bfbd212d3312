// Code-page conversion with iconv. Code page N is iconv's "CPN" (CP932, CP1252, ...).
#include <iconv.h>

#include <cerrno>

#include "app/text_encoding.h"

namespace telorad {
namespace {

enum class IconvResult { kOk, kFailed, kUnknownEncoding };

// Converts all of `input` or nothing. Without a //TRANSLIT suffix iconv stops with EILSEQ at a
// character the target lacks, and with EILSEQ or EINVAL at input that is not valid.
IconvResult ConvertWithIconv(const char* to, const char* from, std::string_view input,
                             std::string& out) {
    out.clear();
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return IconvResult::kUnknownEncoding;
    // No conversion here needs more than four output bytes for one input byte; the slack covers
    // the closing shift sequence of a stateful code page.
    std::string converted(input.size() * 4 + 16, '\0');
    std::string source(input);
    char* in = source.data();
    std::size_t inLeft = source.size();
    char* next = converted.data();
    std::size_t outLeft = converted.size();
    bool ok = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1);
    if (ok)
        ok = iconv(converter, nullptr, nullptr, &next, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!ok || inLeft != 0) return IconvResult::kFailed;
    converted.resize(converted.size() - outLeft);
    out = std::move(converted);
    return IconvResult::kOk;
}

std::string CodePageName(std::uint32_t codePage) { return "CP" + std::to_string(codePage); }

}  // namespace

TextConversion ConvertUtf8WithPlatform(std::string_view utf8, std::uint32_t codePage,
                                       std::string& out) {
    switch (ConvertWithIconv(CodePageName(codePage).c_str(), "UTF-8", utf8, out)) {
        case IconvResult::kOk:
            return TextConversion::kOk;
        case IconvResult::kUnknownEncoding:
            return TextConversion::kUnsupportedCodePage;
        case IconvResult::kFailed:
            break;
    }
    return TextConversion::kUnrepresentable;
}

bool DecodeWithPlatform(std::string_view wire, std::uint32_t codePage, std::string& utf8) {
    return ConvertWithIconv("UTF-8", CodePageName(codePage).c_str(), wire, utf8) ==
           IconvResult::kOk;
}

}  // namespace telorad
