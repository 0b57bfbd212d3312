// Code-page conversion with iconv. Code page N is iconv's "CPN" (CP932, CP1252, ...).
#include <iconv.h>

#include <cerrno>

#include "app/text_encoding.h"

namespace telorad {

namespace {

// The whole input from one encoding to another, or nothing: without a //TRANSLIT suffix iconv
// stops with EILSEQ at a character the target lacks, and with EINVAL at a cut-off sequence.
TextConversion Convert(const std::string& from, const std::string& to, std::string_view text,
                       std::string& out) {
    out.clear();
    iconv_t converter = iconv_open(to.c_str(), from.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return TextConversion::kUnsupportedCodePage;

    // No code page needs more than four bytes for one input byte either way; the slack covers
    // the closing shift sequence of a stateful code page.
    std::string converted(text.size() * 4 + 16, '\0');
    std::string input(text);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* next = converted.data();
    std::size_t outLeft = converted.size();
    bool ok = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1);
    if (ok)
        ok = iconv(converter, nullptr, nullptr, &next, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!ok || inLeft != 0) return TextConversion::kUnrepresentable;
    converted.resize(converted.size() - outLeft);
    out = std::move(converted);
    return TextConversion::kOk;
}

std::string IconvName(std::uint32_t codePage) { return "CP" + std::to_string(codePage); }

}  // namespace

TextConversion ConvertUtf8WithPlatform(std::string_view utf8, std::uint32_t codePage,
                                       std::string& out) {
    return Convert("UTF-8", IconvName(codePage), utf8, out);
}

TextConversion ConvertToUtf8WithPlatform(std::string_view bytes, std::uint32_t codePage,
                                         std::string& utf8) {
    return Convert(IconvName(codePage), "UTF-8", bytes, utf8);
}

}  // namespace telorad
