#include "event_log.h"

#include <chrono>
#include <ctime>

namespace telorad::server {

namespace {

std::string UtcTimestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<int>(ms));
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
    log.out = std::fopen(path.c_str(), "a");
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
