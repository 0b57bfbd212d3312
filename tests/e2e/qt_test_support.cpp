#include "qt_test_support.h"

#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>
#include <cstdio>
#include <cstdlib>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/session.h"
#include "app/view.h"
#include "connect_dialog.h"
#include "viewport_widget.h"

namespace telorad::qt::testing {

namespace {

// Dialogs run their own event loop (QDialog::exec). A dialog closed before that loop starts,
// say by a timer that fired inside show(), leaves the loop running with nothing to end it; so a
// watch acts only from inside an event loop deeper than the one it was set up in.
int LoopLevel() { return QThread::currentThread()->loopLevel(); }

}  // namespace

void OnNextModalWhere(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("telorad-modal-watch"));
    auto polls = std::make_shared<int>(0);
    const int level = LoopLevel();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout,
                     [timer, polls, level, wanted = std::move(wanted), act = std::move(act)] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (modal != nullptr && (!wanted(modal) || LoopLevel() <= level)) {
                             modal = nullptr;
                         }
                         if (modal == nullptr && ++*polls < 1000) return;
                         timer->stop();
                         timer->setObjectName(QString());  // done: no longer pending
                         timer->deleteLater();
                         if (modal != nullptr) act(modal);
                     });
    timer->start();
}

bool OpensModal(const std::function<void()>& run) {
    bool opened = false;
    auto* timer = new QTimer;
    const int level = LoopLevel();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&opened, level] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && LoopLevel() > level) {
            opened = true;
            modal->close();
        }
    });
    timer->start();
    run();
    QTest::qWait(50);
    delete timer;
    return opened;
}

ModalGuard::ModalGuard(int limitMs) : limitMs_(limitMs) {
    timer_.setInterval(100);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Check(); });
    timer_.start();
    since_.start();
}

void ModalGuard::Check() {
    QWidget* modal = QApplication::activeModalWidget();
    const bool stuckLoop = modal == nullptr && LoopLevel() > 0;
    if (modal != watched_ || (modal == nullptr && !stuckLoop)) {
        watched_ = modal;
        since_.restart();
        return;
    }
    if (since_.elapsed() < limitMs_) return;
    since_.restart();
    if (modal != nullptr) {
        const auto* box = qobject_cast<QMessageBox*>(modal);
        ADD_FAILURE() << "the " << modal->metaObject()->className() << " \""
                      << modal->windowTitle().toStdString() << "\" "
                      << (box != nullptr ? "(" + box->text().toStdString() + ") " : "")
                      << "stayed open " << limitMs_ << " ms and nobody answered it";
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        return;
    }
    // A dialog closed before its loop began: nothing can end that loop, so end the program.
    std::fprintf(stderr, "FAIL: a dialog's event loop ran %d ms with no dialog open\n", limitMs_);
    std::fflush(stderr);
    std::_Exit(1);
}

void QtViewerTest::SetUp() {
    settingsPath = (dir.path() / "remote.ini").string();
    window.resize(640, 512);
    StartClientWithSettings(client, {1280, 1024}, settingsPath);
    window.Attach(&client);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Viewport()->setFocus();
    ASSERT_TRUE(Viewport()->hasFocus());
    listener = telorad::testing::ListenLoopback(&port);
    ASSERT_GE(listener, 0);
}

void QtViewerTest::TearDown() {
    window.Attach(nullptr);  // the client member goes before the window
    // A watch whose dialog never came must not act on a later test's dialog.
    const QList<QTimer*> watches = qApp->findChildren<QTimer*>(
        QStringLiteral("telorad-modal-watch"), Qt::FindDirectChildrenOnly);
    for (QTimer* watch : watches) {
        ADD_FAILURE() << "an expected dialog did not open";
        delete watch;
    }
    if (server >= 0) ::close(server);
    if (listener >= 0) ::close(listener);
}

QWidget* QtViewerTest::Viewport() const { return window.Viewport(); }

void QtViewerTest::Choose(int command) {
    QAction* action = window.Menu().Action(command);
    ASSERT_NE(action, nullptr) << command;
    action->trigger();
}

bool QtViewerTest::Connect() {
    OnNextModal<ConnectDialog>([this](ConnectDialog* dialog) {
        dialog->host()->setText(QStringLiteral("127.0.0.1"));
        dialog->port()->setText(QString::number(port));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    Choose(IDM_CONNECT);
    if (client.connection.socket == kNoSocket) return false;
    if (server >= 0) ::close(server);
    server = telorad::testing::AcceptWithTimeout(listener, 5000);
    // The dialog is gone: the main window has the keyboard again.
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window)) ADD_FAILURE() << "the window is not active";
    Viewport()->setFocus();
    return server >= 0;
}

std::vector<SentMessage> QtViewerTest::Sent() {
    DisconnectFromServer(client);
    if (server < 0) return {};
    std::vector<SentMessage> messages = telorad::testing::SplitMessages(
        telorad::testing::ReadExactly(server, std::size_t{1} << 20));
    return messages;
}

void QtViewerTest::ReceivePicture(int width, int height, int depth) {
    ScreenInfo info;
    info.width = static_cast<std::uint32_t>(width);
    info.height = static_cast<std::uint32_t>(height);
    info.bitsPerPixel = static_cast<std::uint32_t>(depth);
    info.tileSize = 64;
    ASSERT_TRUE(ApplyScreenInfo(client.framebuffer, client.tile, info));
    FitWindowToPicture(client);
}

}  // namespace telorad::qt::testing

int main(int argc, char** argv) {
    // The offscreen platform unless the caller chose one (the HiDPI run sets QT_SCALE_FACTOR).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own settings (the file dialog remembers its folders), caches and runtime files go to a
    // directory of this run, never shared with a test program running beside it.
    const telorad::testing::TempDir home;
    const std::string root = home.path().string();
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        qputenv(name, QByteArray::fromStdString(root));
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const telorad::qt::testing::ModalGuard guard(10000);
    return RUN_ALL_TESTS();
}
