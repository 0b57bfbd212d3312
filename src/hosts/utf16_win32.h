#pragma once
// Windows takes paths and shown text as UTF-16; the core keeps them as UTF-8.
#include <string>
#include <string_view>

namespace telorad {

// Invalid UTF-8 becomes U+FFFD; invalid UTF-16 likewise.
std::wstring WidenUtf8(std::string_view utf8);
std::string NarrowToUtf8(std::wstring_view wide);

}  // namespace telorad
