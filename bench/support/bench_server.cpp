#include "bench_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/client.h"
#include "app/session.h"
#include "net/wire.h"

namespace telorad::bench {

std::uint16_t FreeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

pid_t StartServer(const std::string& serverPath, std::uint16_t port,
                  const std::vector<std::string>& options) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<std::string> args = {serverPath, "--listen",
                                         "127.0.0.1:" + std::to_string(port), "--log",
                                         "/dev/null"};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void StopServer(pid_t pid) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

bool ConnectWhenListening(Client& client, std::uint16_t port) {
    client.connectParams.host = "127.0.0.1";
    client.connectParams.port = port;
    for (int attempt = 0; attempt < 250; ++attempt) {
        if (ConnectToServer(client)) {
            SendSetMode(client.connection, MODE_MONITOR);
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace telorad::bench
