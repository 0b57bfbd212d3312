#pragma once
// Typed text arrives as UTF-8; the server compares password bytes and runs command lines in its
// own code page. These convert typed text to that wire code page, refusing what it cannot hold
// rather than sending garbled bytes. Bytes that come from elsewhere (the settings file, a
// password file, the environment) are already wire bytes and are not converted.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace telorad {

inline constexpr std::uint32_t kDefaultWireCodePage = 932;  // Shift_JIS as Windows extends it
inline constexpr std::uint32_t kUtf8CodePage = 65001;
inline constexpr std::string_view kCodePageSection = "Client";
inline constexpr std::string_view kCodePageKey = "CodePage";

enum class TextConversion {
    kOk,
    kUnrepresentable,      // a character the code page cannot hold, or text that is not UTF-8
    kUnsupportedCodePage,  // this system cannot convert to that code page at all
};

// Converts UTF-8 text to the code page (65001 passes valid UTF-8 through). On anything but kOk
// `out` is left empty.
TextConversion ConvertToCodePage(std::string_view utf8, std::uint32_t codePage, std::string& out);

// As ConvertToCodePage, but keeps at most maxBytes of converted text, cut after the last whole
// character that fits, so a limit never splits a double-byte character.
TextConversion ConvertToCodePageLimited(std::string_view utf8, std::uint32_t codePage,
                                        std::size_t maxBytes, std::string& out);

// Wire bytes (stored hosts and passwords) as UTF-8 for display. A byte that starts no character
// of the code page shows as U+FFFD; the caller keeps the bytes themselves.
std::string DecodeFromCodePage(std::string_view wire, std::uint32_t codePage);

// The other way, for showing what came over the wire: bytes in the code page as UTF-8 (65001
// passes valid UTF-8 through). kUnrepresentable when the bytes are not text of that code page;
// on anything but kOk `utf8` is left empty.
TextConversion ConvertFromCodePage(std::string_view bytes, std::uint32_t codePage,
                                   std::string& utf8);

// The wire code page named by the settings file (section Client, key CodePage); the default when
// the file, the key or a positive number is missing.
std::uint32_t ReadWireCodePage(const std::string& settingsPath);

// What the user is told when a text is refused.
enum class RefusedText { kPassword, kCommand, kHost };
std::string RefusalMessage(RefusedText what, TextConversion result, std::uint32_t codePage);
inline constexpr std::string_view kRefusalCaption = "Telorad";

}  // namespace telorad

namespace telorad {

// The platform's converters for code pages other than 65001 (text_encoding_posix.cpp or
// text_encoding_win32.cpp): valid UTF-8 to the code page, and the code page's bytes to UTF-8.
TextConversion ConvertUtf8WithPlatform(std::string_view utf8, std::uint32_t codePage,
                                       std::string& out);
TextConversion ConvertToUtf8WithPlatform(std::string_view bytes, std::uint32_t codePage,
                                         std::string& utf8);

}  // namespace telorad
