#pragma once
// What the clients did, as JSON lines: one object per event, flushed at once, with the UTC
// time first, e.g. {"t":"2026-12-09T08:10:00.123Z","type":"key","released":0,"vk":65}.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace telorad::server {

struct EventLog {
    std::FILE* out = nullptr;
    bool ownsFile = false;
};

// Empty path: stdout. False when the file cannot be opened for appending.
bool OpenEventLog(EventLog& log, const std::string& path);
void CloseEventLog(EventLog& log);

// A JSON string literal of bytes, quotes included. Control bytes, quote, backslash, DEL and
// every byte from 0x80 up are written as \u00XX, so any byte sequence gives valid JSON.
std::string JsonString(std::string_view bytes);

// Members to append after "type": `,"key":value`.
std::string JsonMember(std::string_view key, std::string_view text);
// The same for valid UTF-8 text, written as it is (control bytes, quote and backslash escaped),
// so a person reads it in the log.
std::string JsonTextMember(std::string_view key, std::string_view utf8);
// Bytes as lower-case hex digits, two for each byte.
std::string JsonHexMember(std::string_view key, std::string_view bytes);
std::string JsonMember(std::string_view key, std::int64_t number);

// Writes {"t":"<now>","type":"<type>"<members>} and a newline, and flushes.
void LogEvent(EventLog& log, std::string_view type, std::string_view members = {});

}  // namespace telorad::server
