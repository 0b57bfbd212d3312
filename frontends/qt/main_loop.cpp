#include "main_loop.h"

#include <QtCore/QCoreApplication>

#include "app/client.h"
#include "app/session.h"
#include "viewer_window.h"

namespace telorad::qt {

MainLoop::MainLoop(ViewerWindow& window, Client& client) : window_(window), client_(client) {
    pause_.setSingleShot(true);
    pause_.setTimerType(Qt::PreciseTimer);
}

bool MainLoop::Turn() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (window_.IsClosed()) return false;
    DrainNetwork(client_);  // does nothing without a connection
    if (window_.IsClosed()) return false;
    // The pause: at most 10 ms, cut short by the next window event (handled at once).
    pause_.start(10);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    pause_.stop();
    return !window_.IsClosed();
}

}  // namespace telorad::qt
