#include "event_log.h"

#include <chrono>

namespace telorad::server {

namespace {

std::string UtcTimestamp() {
    using namespace std::chrono;
    const auto now = floor<milliseconds>(system_clock::now());
    const auto today = floor<days>(now);
    const year_month_day date{today};
    const hh_mm_ss time{now - today};
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()),
                  static_cast<int>(time.subseconds().count()));
    return text;
}

}  // namespace

bool OpenEventLog(EventLog& log, const std::string& path) {
    CloseEventLog(log);
    if (path.empty()) {
        log.out = stdout;
        log.ownsFile = false;
        return true;
    }
    log.out = std::fopen(path.c_str(), "ab");
    log.ownsFile = log.out != nullptr;
    return log.out != nullptr;
}

void CloseEventLog(EventLog& log) {
    if (log.ownsFile && log.out != nullptr) std::fclose(log.out);
    log = EventLog{};
}

namespace {

constexpr char kHex[] = "0123456789abcdef";

std::string Quote(std::string_view bytes, bool keepHighBytes) {
    std::string out = "\"";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += c;
        } else if (b == '\n') {
            out += "\\n";
        } else if (b == '\t') {
            out += "\\t";
        } else if (b == '\r') {
            out += "\\r";
        } else if (b < 0x20 || b == 0x7F || (b > 0x7F && !keepHighBytes)) {
            out += "\\u00";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace

std::string JsonString(std::string_view bytes) { return Quote(bytes, false); }

std::string JsonMember(std::string_view key, std::string_view text) {
    return "," + JsonString(key) + ":" + JsonString(text);
}

std::string JsonTextMember(std::string_view key, std::string_view utf8) {
    return "," + JsonString(key) + ":" + Quote(utf8, true);
}

std::string JsonHexMember(std::string_view key, std::string_view bytes) {
    std::string hex;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += kHex[b >> 4];
        hex += kHex[b & 0xF];
    }
    return JsonMember(key, hex);
}

std::string JsonMember(std::string_view key, std::int64_t number) {
    return "," + JsonString(key) + ":" + std::to_string(number);
}

void LogEvent(EventLog& log, std::string_view type, std::string_view members) {
    if (log.out == nullptr) return;
    std::string line = "{\"t\":\"" + UtcTimestamp() + "\",\"type\":" + JsonString(type);
    line.append(members);
    line += "}\n";
    std::fwrite(line.data(), 1, line.size(), log.out);
    std::fflush(log.out);
}

}  // namespace telorad::server
