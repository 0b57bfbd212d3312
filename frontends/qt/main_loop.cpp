#include "main_loop.h"

#include <QtCore/QCoreApplication>

#include "app/client.h"
#include "app/session.h"
#include "viewer_window.h"

namespace telorad::qt {

MainLoop::MainLoop(ViewerWindow& window, Client& client) : window_(window), client_(client) {
    // The loop waits for the socket itself, so a poll has no reason to wait.
    client_.pollWaitMs = 0;
    stallDeadline_.setSingleShot(true);
    stallDeadline_.setTimerType(Qt::PreciseTimer);
}

MainLoop::~MainLoop() = default;

bool MainLoop::Turn() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (window_.IsClosed()) return false;
    // Does nothing without a connection; reads until nothing is left or its time is spent.
    const DrainResult drained = DrainNetwork(client_);
    if (window_.IsClosed()) return false;
    // Messages still coming: the next turn drains on after the window's events, without a sleep.
    if (drained == DrainResult::BudgetSpent) return true;
    WatchSocket();
    const int untilStall = client_.parser.MsUntilStall(client_.connection);
    if (untilStall >= 0) stallDeadline_.start(untilStall + 1);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    stallDeadline_.stop();
    return !window_.IsClosed();
}

void MainLoop::WatchSocket() {
    const SocketHandle socket = client_.connection.socket;
    // A new connection may have been given the closed one's descriptor number.
    if (socket != watched_ || client_.connection.opened != watchedConnection_) {
        readable_.reset();
        watched_ = socket;
        watchedConnection_ = client_.connection.opened;
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
