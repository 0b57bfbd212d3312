#include "main_loop.h"

#include <QtCore/QCoreApplication>

#include "app/client.h"
#include "app/session.h"
#include "viewer_window.h"

namespace telorad::qt {

MainLoop::MainLoop(ViewerWindow& window, Client& client) : window_(window), client_(client) {
    stallDeadline_.setSingleShot(true);
    stallDeadline_.setTimerType(Qt::PreciseTimer);
}

MainLoop::~MainLoop() = default;

bool MainLoop::Turn() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (window_.IsClosed()) return false;
    DrainNetwork(client_);  // does nothing without a connection; reads until nothing is left
    if (window_.IsClosed()) return false;
    WatchSocket();
    const int untilStall = client_.parser.MsUntilStall(client_.connection);
    if (untilStall >= 0) stallDeadline_.start(untilStall + 1);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    stallDeadline_.stop();
    return !window_.IsClosed();
}

void MainLoop::WatchSocket() {
    const SocketHandle socket = client_.connection.socket;
    if (socket != watched_) {
        readable_.reset();
        watched_ = socket;
        if (socket != kNoSocket) {
            readable_ = std::make_unique<QSocketNotifier>(static_cast<qintptr>(socket),
                                                          QSocketNotifier::Read);
            // The notifier only wakes the loop; the turn reads. Disarmed until then, so a
            // modal dialog's own loop does not spin on bytes that wait for the turn.
            QObject::connect(readable_.get(), &QSocketNotifier::activated,
                             [this] { readable_->setEnabled(false); });
        }
    }
    if (readable_) readable_->setEnabled(true);
}

}  // namespace telorad::qt
