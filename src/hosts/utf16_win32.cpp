#include "hosts/utf16_win32.h"

#include <windows.h>

namespace telorad {

std::wstring WidenUtf8(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > 0x3FFFFFFF) return {};
    const int inBytes = static_cast<int>(utf8.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inBytes, nullptr, 0);
    if (count <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inBytes, wide.data(), count);
    return wide;
}

std::string NarrowToUtf8(std::wstring_view wide) {
    if (wide.empty() || wide.size() > 0x1FFFFFFF) return {};
    const int inCount = static_cast<int>(wide.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), inCount, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return {};
    std::string utf8(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), inCount, utf8.data(), count, nullptr, nullptr);
    return utf8;
}

}  // namespace telorad
