#include "qt_test_support.h"

#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/session.h"
#include "app/view.h"
#include "connect_dialog.h"
#include "viewport_widget.h"

namespace telorad::qt::testing {

void OnNextModalWhere(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("telorad-modal-watch"));
    auto polls = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout,
                     [timer, polls, wanted = std::move(wanted), act = std::move(act)] {
                         QWidget* modal = QApplication::activeModalWidget();
                         if (modal != nullptr && !wanted(modal)) modal = nullptr;
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
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
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
    std::vector<SentMessage> messages =
        telorad::testing::SplitMessages(telorad::testing::ReadExactly(server, std::size_t{1} << 20));
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
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
