#include "bench_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/client.h"
#include "app/session.h"
#include "net/wire.h"

namespace telorad::bench {

pid_t StartServer(const std::string& serverPath, const std::vector<std::string>& options,
                  std::uint16_t* port) {
    *port = 0;
    char errPath[] = "/tmp/telorad-bench-XXXXXX";
    const int err = ::mkstemp(errPath);
    if (err < 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(err, 2);
        std::vector<std::string> args = {serverPath, "--listen", "127.0.0.1:0", "--log",
                                         "/dev/null"};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    const std::string marker = "listening on 127.0.0.1:";
    for (int tries = 0; tries < 1000 && *port == 0; ++tries) {
        std::ifstream in(errPath);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        const std::size_t at = text.find(marker);
        if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
            *port = static_cast<std::uint16_t>(
                std::strtoul(text.c_str() + at + marker.size(), nullptr, 10));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ::close(err);
    ::unlink(errPath);
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
