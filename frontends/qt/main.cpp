// The viewer: one thread, one loop. Each turn handles every waiting window event, then drains
// the network while a connection is open, then waits at most 10 ms for the next event.
#include <QtCore/QTimer>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <cmath>

#include "app/client.h"
#include "app/main_window.h"
#include "app/session.h"
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
    // Half the screen, as the core's first size limit says; the history is read before showing.
    if (screen != nullptr) window.resize(screen->geometry().size() / 2);
    telorad::StartClient(client, DeviceSize(screen));
    window.Attach(&client);  // from here on the window's events reach the core
    window.show();

    QTimer pause;
    pause.setSingleShot(true);
    pause.setTimerType(Qt::PreciseTimer);
    while (!window.IsClosed()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (window.IsClosed()) break;
        telorad::DrainNetwork(client);  // does nothing without a connection
        if (window.IsClosed()) break;
        // The pause: at most 10 ms, cut short by the next window event.
        pause.start(10);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        pause.stop();
    }
    return 0;
}
