#pragma once
// Initialization-file documents ("[Section]" lines and "key=value" lines), read the way the
// Windows profile calls read them and written so that those calls accept the result.
//
// A document is parsed from bytes, edited in memory and serialised back in one piece, so that a
// caller can replace the whole file with a single write. Lines the document does not change
// (comments, other sections, other keys, lines it does not understand) come out byte for byte as
// they went in. Texts are bytes: no code-page conversion, and a backslash is an ordinary byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace telorad {

// Longest value a lookup returns; the profile calls read into a 256-byte buffer.
inline constexpr std::size_t kProfileValueMax = 255;

enum class ProfileLineKind { kOther, kSection, kKey };

struct ProfileLine {
    std::string text;    // the line without its line end
    std::string ending;  // "\r\n", "\n", "\r", or empty for a last line without one
    ProfileLineKind kind = ProfileLineKind::kOther;
    std::string name;            // section or key name, spaces and tabs around it removed
    std::size_t valueStart = 0;  // key lines: offset of the byte after the first '='
    bool hasValue = false;       // key lines: false for a bare name without '='
};

struct ProfileDocument {
    std::vector<ProfileLine> lines;
    std::string newline = "\r\n";  // line end for lines we add: the file's own, else CRLF
};

ProfileDocument ParseProfile(std::string_view bytes);
std::string SerializeProfile(const ProfileDocument& document);

// The value of a key, as the string profile call returns it: the first matching key in a
// section of that name (names compared without regard to ASCII case), spaces and tabs around
// it removed, one enclosing pair of double quotes removed, cut at a NUL byte and to 255 bytes.
// The default text when the section or the key is missing.
std::string LookupProfileString(const ProfileDocument& document, std::string_view section,
                                std::string_view key, std::string_view defaultValue);

// The value read as the integer profile call reads it: an optional sign and the leading decimal
// digits, wrapping at 32 bits; 0 when there are no digits; the default when the key is missing.
std::int32_t LookupProfileInt(const ProfileDocument& document, std::string_view section,
                              std::string_view key, std::int32_t defaultValue);

// Sets a key, creating the section and the key as needed: the first matching key line is
// rewritten in place, a new key goes after the last key of the first matching section, a new
// section goes at the end. The value is cut at its first CR, LF or NUL (a line cannot hold them)
// and quoted when a reader would otherwise trim or unquote it. Returns false, changing nothing,
// for a section or key name that a line cannot hold.
bool SetProfileValue(ProfileDocument& document, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace telorad
