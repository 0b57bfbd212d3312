// On an X display (Xvfb): frames per second the viewer window shows for full-screen
// 1920 × 1080 × 32-bit updates from telorad-server, beside the headless client's rate on the
// same stream measured in the same run, and processor use while streaming and while connected
// but idle. The window runs the viewer's own loop; every update rectangle is painted on the
// window as it arrives, so the updates the window applied are the frames it showed.
//
// usage: bench_viewer_fps [FRAMES]   (bench_viewer_fps.sh starts Xvfb when there is no display)
// TELORAD_BENCH_XSERVER_PID: the X server's pid, to report its processor use too.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/client.h"
#include "app/main_window.h"
#include "app/null_window_system.h"
#include "app/receive_poll.h"
#include "app/session.h"
#include "bench_server.h"
#include "main_loop.h"
#include "qt_window_system.h"
#include "viewer_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTile = 64;
constexpr std::uint64_t kTilesPerFrame =
    ((1920 + kTile - 1) / kTile) * ((1080 + kTile - 1) / kTile);
constexpr double kIdleSeconds = 10.0;
constexpr double kGiveUpSeconds = 120.0;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Every frame sends every tile (the first frame again, so the server does not hold the client
// back); after `frames` frames the picture stands still.
pid_t StartFullScreenServer(std::uint16_t* port, const char* encoding, int frames) {
    return telorad::bench::StartServer(
        TELORAD_SERVER_PATH,
        {"--auth", "none", "--size", "1920x1080", "--depth", "32", "--fps", "0", "--repeat-frame",
         "--encoding", encoding, "--frames", std::to_string(frames)},
        port);
}

// Processor seconds (user + system) of this process.
double OwnCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Processor seconds of another process, from /proc; 0 when unknown.
double ProcessCpuSeconds(const char* pid) {
    if (pid == nullptr || *pid == '\0') return 0;
    std::ifstream stat(std::string("/proc/") + pid + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    std::string field;
    for (std::size_t i = close + 2; i <= line.size(); ++i) {
        if (i == line.size() || line[i] == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += line[i];
        }
    }
    // utime and stime are fields 14 and 15; fields[0] is field 3.
    if (fields.size() < 13) return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / double(::sysconf(_SC_CLK_TCK));
}

struct Run {
    double fps = 0;
    double cpuPercent = 0;
    double xServerPercent = 0;
    double idleCpuPercent = 0;
    double idleXServerPercent = 0;
};

Run MeasureHeadless(const char* encoding, int frames) {
    std::uint16_t port = 0;
    const pid_t server = StartFullScreenServer(&port, encoding, frames);
    telorad::NullWindowSystem window;
    telorad::Client client(window);
    Run run;
    if (telorad::bench::ConnectWhenListening(client, port)) {
        const auto start = Clock::now();
        const double cpu0 = OwnCpuSeconds();
        const std::uint64_t goal = kTilesPerFrame * std::uint64_t(frames);
        while (client.received.updates < goal && Seconds(start) < kGiveUpSeconds) {
            if (telorad::ReceivePoll(client) < 0) break;
        }
        const double elapsed = Seconds(start);
        run.fps = double(client.received.updates) / double(kTilesPerFrame) / elapsed;
        run.cpuPercent = 100.0 * (OwnCpuSeconds() - cpu0) / elapsed;
        telorad::DisconnectFromServer(client);
    }
    telorad::bench::StopServer(server);
    return run;
}

Run MeasureWindow(const char* encoding, int frames, const char* xServerPid) {
    std::uint16_t port = 0;
    const pid_t server = StartFullScreenServer(&port, encoding, frames);
    QTemporaryDir settings;
    telorad::qt::ViewerWindow window;
    telorad::qt::QtWindowSystem windowSystem(window);
    telorad::Client client(windowSystem);
    window.resize(960, 540);
    telorad::StartClientWithSettings(client, {1920, 1080},
                                     settings.filePath("remote.ini").toStdString());
    window.Attach(&client);
    window.show();
    telorad::qt::MainLoop loop(window, client);
    // A turn sleeps until something happens; these timers are the something while nothing else
    // would wake it. The tick wakes the warm-up and lets the streaming loop see its goal once
    // the last frame is in (a turn drains the socket, then sleeps); the others end periods.
    QTimer tick;
    tick.start(10);
    for (int i = 0; i < 20; ++i) loop.Turn();  // shown and painted once
    QTimer giveUp;
    giveUp.setSingleShot(true);
    giveUp.start(static_cast<int>(kGiveUpSeconds * 1000));

    Run run;
    if (telorad::bench::ConnectWhenListening(client, port)) {
        const auto start = Clock::now();
        const double cpu0 = OwnCpuSeconds();
        const double x0 = ProcessCpuSeconds(xServerPid);
        const std::uint64_t goal = kTilesPerFrame * std::uint64_t(frames);
        while (client.received.updates < goal && Seconds(start) < kGiveUpSeconds) {
            if (!loop.Turn()) break;
        }
        const double elapsed = Seconds(start);
        run.fps = double(client.received.updates) / double(kTilesPerFrame) / elapsed;
        run.cpuPercent = 100.0 * (OwnCpuSeconds() - cpu0) / elapsed;
        run.xServerPercent = 100.0 * (ProcessCpuSeconds(xServerPid) - x0) / elapsed;

        // Still connected, nothing more arrives: the loop's idle cost.
        tick.stop();
        QTimer idleEnd;
        idleEnd.setSingleShot(true);
        idleEnd.start(static_cast<int>(kIdleSeconds * 1000));
        const auto idleStart = Clock::now();
        const double idleCpu0 = OwnCpuSeconds();
        const double idleX0 = ProcessCpuSeconds(xServerPid);
        while (Seconds(idleStart) < kIdleSeconds && loop.Turn()) {
        }
        const double idle = Seconds(idleStart);
        run.idleCpuPercent = 100.0 * (OwnCpuSeconds() - idleCpu0) / idle;
        run.idleXServerPercent = 100.0 * (ProcessCpuSeconds(xServerPid) - idleX0) / idle;
        telorad::DisconnectFromServer(client);
    }
    telorad::bench::StopServer(server);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    ::signal(SIGPIPE, SIG_IGN);
    QApplication application(argc, argv);
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    const char* xServerPid = std::getenv("TELORAD_BENCH_XSERVER_PID");
    std::printf("platform %s; %d frames of 1920x1080x32, every tile sent, per run\n",
                qPrintable(QGuiApplication::platformName()), frames);
    std::printf("%-4s %13s %11s %7s %13s %13s %14s %15s\n", "enc", "headless fps", "window fps",
                "ratio", "headless CPU", "window CPU", "X server CPU", "idle window CPU");
    for (const char* encoding : {"raw", "rle"}) {
        const Run headless = MeasureHeadless(encoding, frames);
        const Run shown = MeasureWindow(encoding, frames, xServerPid);
        std::printf("%-4s %13.1f %11.1f %6.0f%% %12.0f%% %12.0f%% %13.0f%% %14.1f%%\n", encoding,
                    headless.fps, shown.fps,
                    headless.fps > 0 ? 100.0 * shown.fps / headless.fps : 0, headless.cpuPercent,
                    shown.cpuPercent, shown.xServerPercent, shown.idleCpuPercent);
        if (xServerPid != nullptr) {
            std::printf("     X server while the window is idle: %.1f%%\n",
                        shown.idleXServerPercent);
        }
    }
    return 0;
}
