#include "hosts/profile.h"

#include <algorithm>

namespace telorad {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

// Editors on Windows like to start files with a UTF-8 byte order mark; it is not part of the
// first line's name. The bytes stay in the line.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

void ClassifyLine(ProfileLine& line, bool firstLine) {
    const std::string_view text = line.text;
    std::size_t i = (firstLine && text.starts_with(kUtf8Mark)) ? kUtf8Mark.size() : 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    line.kind = ProfileLineKind::kOther;
    line.name.clear();
    line.valueStart = 0;
    line.hasValue = false;
    if (i == text.size() || text[i] == ';') return;
    if (text[i] == '[') {
        const std::size_t close = text.find(']', i + 1);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        line.kind = ProfileLineKind::kSection;
        line.name = Trim(text.substr(i + 1, end - i - 1));
        return;
    }
    // A bare name without '=' counts as a key with an empty value, so a later write replaces it
    // instead of adding a second key of that name behind it.
    line.kind = ProfileLineKind::kKey;
    const std::size_t equals = text.find('=', i);
    if (equals == std::string_view::npos) {
        line.name = Trim(text.substr(i));
        return;
    }
    line.name = Trim(text.substr(i, equals - i));
    line.valueStart = equals + 1;
    line.hasValue = true;
}

std::string_view RawValue(const ProfileLine& line) {
    if (!line.hasValue) return {};
    std::string_view value = Trim(std::string_view(line.text).substr(line.valueStart));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string CutValue(std::string_view value) {
    const std::size_t nul = value.find('\0');
    if (nul != std::string_view::npos) value = value.substr(0, nul);
    if (value.size() > kProfileValueMax) value = value.substr(0, kProfileValueMax);
    return std::string(value);
}

const ProfileLine* FindKey(const ProfileDocument& document, std::string_view section,
                           std::string_view key) {
    bool inSection = false;
    for (const ProfileLine& line : document.lines) {
        if (line.kind == ProfileLineKind::kSection) {
            inSection = EqualsIgnoringAsciiCase(line.name, section);
        } else if (line.kind == ProfileLineKind::kKey && inSection &&
                   EqualsIgnoringAsciiCase(line.name, key)) {
            return &line;
        }
    }
    return nullptr;
}

// Something a reader would trim or unquote is wrapped in one more pair of double quotes, which
// the reader then removes. Single quotes count too, since some readers strip those as well.
std::string EncodeValue(std::string_view value) {
    const std::size_t lineBreak = value.find_first_of(std::string_view("\r\n\0", 3));
    if (lineBreak != std::string_view::npos) value = value.substr(0, lineBreak);
    const bool quoted = value.size() >= 2 && value.front() == value.back() &&
                        (value.front() == '"' || value.front() == '\'');
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || quoted)) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

bool HasLineBreakOrNul(std::string_view name) {
    return name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidSectionName(std::string_view name) {
    return !name.empty() && Trim(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find(']') == std::string_view::npos;
}

bool ValidKeyName(std::string_view name) {
    return !name.empty() && Trim(name).size() == name.size() && !HasLineBreakOrNul(name) &&
           name.find('=') == std::string_view::npos && name.front() != ';' && name.front() != '[' &&
           !(name.starts_with(kUtf8Mark));
}

// A line we put something behind must end in a full line end; a lone CR or no end at all (the
// last line of a file) would glue the new line onto it. A line whose own text ends in a CR
// gets CRLF: a bare LF would pair with that CR and take it out of the line when read back.
void EndLine(ProfileLine& line, const std::string& newline) {
    if (line.ending == "\r\n" || line.ending == "\n") return;
    line.ending = line.text.ends_with('\r') ? "\r\n" : newline;
}

ProfileLine MakeLine(std::string text, const std::string& ending, bool firstLine) {
    ProfileLine line;
    line.text = std::move(text);
    line.ending = ending;
    ClassifyLine(line, firstLine);
    return line;
}

}  // namespace

ProfileDocument ParseProfile(std::string_view bytes) {
    ProfileDocument document;
    // One allocation for all lines: growing line by line copies the lines again and again.
    const auto lineEnds = std::count(bytes.begin(), bytes.end(), '\n');
    document.lines.reserve(static_cast<std::size_t>(lineEnds) + 1);
    bool newlineFound = false;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf;
        std::string_view text = bytes.substr(pos, end - pos);
        std::string ending = lf == std::string_view::npos ? "" : "\n";
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
            ending.insert(0, 1, '\r');
        }
        if (!newlineFound && (ending == "\r\n" || ending == "\n")) {
            document.newline = ending;
            newlineFound = true;
        }
        document.lines.push_back(MakeLine(std::string(text), ending, document.lines.empty()));
        pos = lf == std::string_view::npos ? bytes.size() : lf + 1;
    }
    return document;
}

std::string SerializeProfile(const ProfileDocument& document) {
    std::size_t size = 0;
    for (const ProfileLine& line : document.lines) size += line.text.size() + line.ending.size();
    std::string bytes;
    bytes.reserve(size);
    for (const ProfileLine& line : document.lines) {
        bytes += line.text;
        bytes += line.ending;
    }
    return bytes;
}

std::string LookupProfileString(const ProfileDocument& document, std::string_view section,
                                std::string_view key, std::string_view defaultValue) {
    const ProfileLine* line = FindKey(document, section, key);
    return CutValue(line ? RawValue(*line) : defaultValue);
}

std::int32_t LookupProfileInt(const ProfileDocument& document, std::string_view section,
                              std::string_view key, std::int32_t defaultValue) {
    const ProfileLine* line = FindKey(document, section, key);
    if (!line) return defaultValue;
    const std::string text = CutValue(RawValue(*line));
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

bool SetProfileValue(ProfileDocument& document, std::string_view section, std::string_view key,
                     std::string_view value) {
    if (!ValidSectionName(section) || !ValidKeyName(key)) return false;
    const std::string encoded = EncodeValue(value);
    std::vector<ProfileLine>& lines = document.lines;

    bool inSection = false;
    bool inFirstSection = false;
    bool sectionFound = false;
    std::size_t insertAfter = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ProfileLine& line = lines[i];
        if (line.kind == ProfileLineKind::kSection) {
            inSection = EqualsIgnoringAsciiCase(line.name, section);
            inFirstSection = inSection && !sectionFound;
            if (inFirstSection) {
                sectionFound = true;
                insertAfter = i;
            }
            continue;
        }
        if (line.kind != ProfileLineKind::kKey || !inSection) continue;
        if (EqualsIgnoringAsciiCase(line.name, key)) {
            // Everything up to the '=' stays as the file had it; only the value changes.
            std::string text =
                line.hasValue ? line.text.substr(0, line.valueStart) : line.text + "=";
            text += encoded;
            line = MakeLine(std::move(text), line.ending, i == 0);
            return true;
        }
        if (inFirstSection) insertAfter = i;
    }

    ProfileLine keyLine = MakeLine(std::string(key) + "=" + encoded, document.newline, false);
    if (sectionFound) {
        EndLine(lines[insertAfter], document.newline);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAfter + 1),
                     std::move(keyLine));
        return true;
    }
    if (!lines.empty()) EndLine(lines.back(), document.newline);
    lines.push_back(MakeLine("[" + std::string(section) + "]", document.newline, lines.empty()));
    lines.push_back(std::move(keyLine));
    return true;
}

}  // namespace telorad
