// The viewer: the main window at half the screen, the client started (menu state, history)
// before the window shows, then the one loop until the window is closed.
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <cmath>

#include "app/client.h"
#include "app/main_window.h"
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

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("telorad"));
    QApplication::setDesktopFileName(QStringLiteral("telorad"));

    telorad::qt::ViewerWindow window;
    telorad::qt::QtWindowSystem windowSystem(window);
    telorad::Client client(windowSystem);

    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) window.resize(screen->geometry().size() / 2);
    telorad::StartClient(client, DeviceSize(screen));
    window.Attach(&client);  // from here on the window's events reach the core
    window.show();

    telorad::qt::MainLoop(window, client).Run();
    return 0;  // the client closes an open connection without a word to the server
}
