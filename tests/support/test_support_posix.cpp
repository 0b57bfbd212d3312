// The helpers built on POSIX calls: temporary directories, sockets and child processes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "support/test_support.h"

namespace telorad::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "telorad-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary directory from " << pattern;
        pattern = "/nonexistent-telorad-test";
    }
    path_ = pattern;
}

int ListenLoopback(std::uint16_t* port, int backlog) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(*port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    *port = ntohs(address.sin_port);
    return fd;
}

RefusingPort::RefusingPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot bind a loopback socket: " << std::strerror(errno);
        return;
    }
    port_ = ntohs(address.sin_port);
}

RefusingPort::~RefusingPort() {
    if (fd_ >= 0) ::close(fd_);
}

int AcceptWithTimeout(int listener, int timeoutMs) {
    pollfd waiter{listener, POLLIN, 0};
    if (::poll(&waiter, 1, timeoutMs) <= 0) return -1;
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

std::vector<std::uint8_t> ReadExactly(int fd, std::size_t count, int timeoutMs) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count);
    std::uint8_t buffer[4096];
    while (bytes.size() < count) {
        pollfd waiter{fd, POLLIN, 0};
        if (::poll(&waiter, 1, timeoutMs) <= 0) break;
        const std::size_t want = std::min(sizeof buffer, count - bytes.size());
        const ssize_t got = ::recv(fd, buffer, want, 0);
        if (got <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = ::send(fd, bytes + done, count - done, MSG_NOSIGNAL);
        if (put <= 0) {
            if (put < 0 && errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& stdoutPath,
                           const std::vector<std::string>& extraEnv,
                           const std::string& stderrPath) {
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0);
        const int out = stdoutPath.empty()
                            ? ::open("/dev/null", O_WRONLY)
                            : ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) ::dup2(out, 1);
        if (!stderrPath.empty()) {
            const int err = ::open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0) ::dup2(err, 2);
        }
        for (const auto& assignment : extraEnv) ::putenv(const_cast<char*>(assignment.c_str()));
        std::vector<char*> args;
        for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess() { Kill(); }

int ChildProcess::Wait(int timeoutMs) {
    if (pid_ <= 0 || reaped_) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            reaped_ = true;
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
            return -1;
        }
        if (std::chrono::steady_clock::now() > deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void ChildProcess::Kill() {
    if (pid_ <= 0 || reaped_) return;
    ::kill(pid_, SIGTERM);
    if (Wait(2000) < 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        Wait(5000);
    }
}

int RunProgram(const std::vector<std::string>& argv, int timeoutMs,
               const std::vector<std::string>& extraEnv) {
    ChildProcess child(argv, {}, extraEnv);
    return child.Wait(timeoutMs);
}

ServerProcess::ServerProcess(const std::string& program, const std::vector<std::string>& options,
                             const std::filesystem::path& workDir) {
    static int started = 0;  // one stderr file per server, so no earlier one's lines are read
    const std::filesystem::path errPath =
        workDir / ("server-" + std::to_string(++started) + ".err");
    std::vector<std::string> argv = {program, "--listen", "127.0.0.1:0"};
    argv.insert(argv.end(), options.begin(), options.end());
    process_ = std::make_unique<ChildProcess>(argv, std::string{}, std::vector<std::string>{},
                                              errPath.string());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    const std::string marker = "listening on 127.0.0.1:";
    std::string text;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(errPath);
        text.assign(bytes.begin(), bytes.end());
        const std::size_t at = text.find(marker);
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
            port_ = static_cast<std::uint16_t>(
                std::strtoul(text.c_str() + at + marker.size(), nullptr, 10));
            return;
        }
        if (process_->Wait(0) >= 0) break;  // it exited
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "telorad-server did not say it was listening within 10 s; it wrote: " << text;
}

}  // namespace telorad::testing
