// The viewer: the command line and the display checked before Qt starts, the main window at
// half the screen (wider if the menu bar needs it), the client started (menu state, history) before the window shows, the
// connect dialog at once for a server named on the command line, then the one loop until the
// window is closed.
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/client.h"
#include "app/command_line.h"
#include "app/connect_command.h"
#include "app/main_window.h"
#include "app/open_recording.h"
#include "app/view.h"
#include "display_probe.h"
#include "main_loop.h"
#include "qt_window_system.h"
#include "viewer_window.h"

namespace {

telorad::Size DeviceSize(const QScreen* screen) {
    if (screen == nullptr) return {};
    const QSize size = screen->geometry().size();
    const double ratio = screen->devicePixelRatio();
    return {static_cast<std::int32_t>(std::lround(size.width() * ratio)),
            static_cast<std::int32_t>(std::lround(size.height() * ratio))};
}

// TELORAD_STALL_MS shortens the time a message may wait for its next byte, so tests of a
// hanging server need not wait the full 30 s. Only values from 1 ms to the default are taken.
void ApplyStallLimit(telorad::Client& client) {
    const char* text = std::getenv("TELORAD_STALL_MS");
    if (text == nullptr) return;
    char* end = nullptr;
    const long ms = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && ms >= 1 && ms <= client.connection.stallTimeoutMs) {
        client.connection.stallTimeoutMs = static_cast<int>(ms);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // argc is 0 when the program was started with an empty argument list.
    const telorad::ViewerOptions options =
        telorad::ParseViewerArguments(std::vector<std::string>(argv + (argc > 0), argv + argc));
    switch (options.start) {
        case telorad::ViewerStart::kHelp:
            std::fputs(telorad::ViewerUsageText().c_str(), stdout);
            return 0;
        case telorad::ViewerStart::kVersion:
            std::fputs(telorad::ViewerVersionText().c_str(), stdout);
            return 0;
        case telorad::ViewerStart::kUsageError:
            std::fprintf(stderr, "telorad: %s\n%s", options.error.c_str(),
                         telorad::ViewerUsageText().c_str());
            return telorad::kExitUsage;
        case telorad::ViewerStart::kRun:
            break;
    }
    const telorad::qt::DisplayProbe display;
    if (!display.Problem().empty()) {
        std::fprintf(stderr, "telorad: %s\n", display.Problem().c_str());
        return telorad::kExitNoDisplay;
    }

    // Qt sees no arguments: its own options are not taken, and a host after "--" that starts
    // with a dash must not be read as one of them.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("telorad"));
    QApplication::setDesktopFileName(QStringLiteral("telorad"));

    telorad::qt::ViewerWindow window;
    telorad::qt::QtWindowSystem windowSystem(window);
    telorad::Client client(windowSystem);
    ApplyStallLimit(client);
    // The window outlives the client, and its destruction still reports a focus loss.
    struct Detach {
        telorad::qt::ViewerWindow& window;
        ~Detach() { window.Attach(nullptr); }
    } detach{window};

    const QScreen* screen = QGuiApplication::primaryScreen();
    const telorad::Size screenSize = DeviceSize(screen);
    const std::int32_t menuBarWidth = window.MenuBarWidth();
    if (screen != nullptr) window.ResizeOuter(telorad::StartWindowSize(screenSize, menuBarWidth));
    telorad::StartClient(client, screenSize, menuBarWidth);
    window.Attach(&client);  // from here on the window's events reach the core
    window.show();
    if (options.serverGiven) telorad::RunConnectCommandFor(client, options.host, options.port);
    if (!options.replayFile.empty()) telorad::OpenRecording(client, options.replayFile);

    telorad::qt::MainLoop(window, client).Run();
    return 0;  // the client closes an open connection without a word to the server
}
