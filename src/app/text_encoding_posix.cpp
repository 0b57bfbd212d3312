// Code-page conversion with iconv. Code page N is iconv's "CPN" (CP932, CP1252, ...).
#include <iconv.h>

#include <cerrno>

#include "app/text_encoding.h"

namespace telorad {

TextConversion ConvertUtf8WithPlatform(std::string_view utf8, std::uint32_t codePage,
                                       std::string& out) {
    out.clear();
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open(name.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return TextConversion::kUnsupportedCodePage;

    // No code page needs more than four bytes for one byte of UTF-8 input; the slack covers the
    // closing shift sequence of a stateful code page.
    std::string converted(utf8.size() * 4 + 16, '\0');
    std::string input(utf8);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* next = converted.data();
    std::size_t outLeft = converted.size();
    // Without a //TRANSLIT suffix iconv stops with EILSEQ at a character the code page lacks.
    bool ok = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1);
    if (ok)
        ok = iconv(converter, nullptr, nullptr, &next, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!ok || inLeft != 0) return TextConversion::kUnrepresentable;
    converted.resize(converted.size() - outLeft);
    out = std::move(converted);
    return TextConversion::kOk;
}

bool DecodeWithPlatform(std::string_view wire, std::uint32_t codePage, std::string& utf8) {
    utf8.clear();
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open("UTF-8", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    // One byte of a code page never takes more than four bytes of UTF-8.
    std::string converted(wire.size() * 4 + 16, '\0');
    std::string input(wire);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* next = converted.data();
    std::size_t outLeft = converted.size();
    const bool ok = iconv(converter, &in, &inLeft, &next, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!ok || inLeft != 0) return false;
    converted.resize(converted.size() - outLeft);
    utf8 = std::move(converted);
    return true;
}

}  // namespace telorad
