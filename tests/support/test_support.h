#pragma once
// Test helpers: temporary directories, free loopback ports, child processes, loopback peers.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace telorad::testing {

// One message the client sent, as the server read it.
struct SentMessage {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> payload;
    std::uint32_t Word(std::size_t index) const;
};

// Splits a byte stream into messages (header, then `length` payload bytes). A message cut
// short or trailing bytes fail the current test.
std::vector<SentMessage> SplitMessages(const std::vector<std::uint8_t>& bytes);

// A fresh directory under the system's temp directory, removed with its contents on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A loopback TCP port that was free a moment ago.
std::uint16_t FreeLoopbackPort();

// A listening socket on 127.0.0.1 (port 0 picks one); -1 on failure.
int ListenLoopback(std::uint16_t* port, int backlog = 16);
// Accepts one connection, waiting at most timeoutMs; -1 on time-out.
int AcceptWithTimeout(int listener, int timeoutMs);

// Reads exactly count bytes (or until end of stream / timeoutMs of silence). Returns them.
std::vector<std::uint8_t> ReadExactly(int fd, std::size_t count, int timeoutMs = 5000);
// Writes all bytes; true on success.
bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes);
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count);

// A child process started with arguments; killed (SIGTERM, then SIGKILL) on destruction.
class ChildProcess {
public:
    // stdoutPath empty: the child's stdout goes to /dev/null.
    ChildProcess(const std::vector<std::string>& argv, const std::string& stdoutPath = {},
                 const std::vector<std::string>& extraEnv = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t pid() const { return pid_; }
    // Waits for the exit status (the exit code, or 128 + signal); -1 on time-out.
    int Wait(int timeoutMs);
    void Kill();

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

// Runs a program to completion; returns its exit code (or 128 + signal, -1 on time-out).
int RunProgram(const std::vector<std::string>& argv, int timeoutMs = 60000,
               const std::vector<std::string>& extraEnv = {});

// Waits until something listens on 127.0.0.1:port.
bool WaitForListener(std::uint16_t port, int timeoutMs = 10000);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace telorad::testing
