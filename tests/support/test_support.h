#pragma once
// Test helpers: temporary directories, free loopback ports, child processes, loopback peers.
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
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

// A loopback TCP port that refuses connections for as long as this object lives: a socket is
// bound to it (without SO_REUSEADDR) and never listens, so the system hands the port to nobody
// else, not even to another test program running beside this one.
class RefusingPort {
  public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    std::uint16_t port() const { return port_; }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

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
    // stdoutPath or stderrPath empty: that stream goes to /dev/null or stays the test's own.
    ChildProcess(const std::vector<std::string>& argv, const std::string& stdoutPath = {},
                 const std::vector<std::string>& extraEnv = {}, const std::string& stderrPath = {});
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

// telorad-server on a port the system picks (--listen 127.0.0.1:0) with its stderr in workDir;
// the port comes from its "listening on" line, so no other process can take it in between.
// port() is 0 (and the current test has failed) when that line did not come within 10 s.
class ServerProcess {
  public:
    ServerProcess(const std::string& program, const std::vector<std::string>& options,
                  const std::filesystem::path& workDir);
    std::uint16_t port() const { return port_; }
    ChildProcess& process() { return *process_; }

  private:
    std::unique_ptr<ChildProcess> process_;
    std::uint16_t port_ = 0;
};

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace telorad::testing
