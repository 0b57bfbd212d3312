#pragma once
// The real viewer window (menus, client area, scroll bars) over a real client, on Qt's offscreen
// platform, with its settings file in a temp directory and a loopback listener standing in for
// the server. Modal dialogs are answered by OnNextModal while their own loop runs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QtCore/QElapsedTimer>
#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/client.h"
#include "net/wire.h"
#include "qt_window_system.h"
#include "support/test_support.h"
#include "viewer_window.h"

namespace telorad::qt::testing {

using telorad::testing::SentMessage;

// Runs `act` on the next modal widget of type T that opens (it waits up to 10 s for one).
void OnNextModalWhere(std::function<bool(QWidget*)> wanted, std::function<void(QWidget*)> act);
template <typename T>
void OnNextModal(std::function<void(T*)> act) {
    OnNextModalWhere([](QWidget* modal) { return dynamic_cast<T*>(modal) != nullptr; },
                     [act = std::move(act)](QWidget* modal) { act(dynamic_cast<T*>(modal)); });
}
// True when a modal widget opened while `run` ran (it is then closed).
bool OpensModal(const std::function<void()>& run);

// Keeps a test from waiting forever on a dialog: one left open limitMs without an answer fails
// the running test and is closed; an event loop left running with no dialog ends the program.
class ModalGuard {
  public:
    explicit ModalGuard(int limitMs);

  private:
    void Check();
    const int limitMs_;
    QTimer timer_;
    QPointer<QWidget> watched_;
    QElapsedTimer since_;
};

class QtViewerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Connects through the Remote menu and the connect dialog (port typed into the dialog);
    // true when the listener accepted the client.
    bool Connect();
    void Choose(int command);  // triggers the menu item, as a click on it does
    // Closes the connection and returns every message the server received.
    std::vector<SentMessage> Sent();
    // A new picture from the server: geometry applied and the window fitted.
    void ReceivePicture(int width, int height, int depth);

    QWidget* Viewport() const;

    telorad::testing::TempDir dir;
    std::string settingsPath;
    ViewerWindow window;
    QtWindowSystem windowSystem{window};
    Client client{windowSystem};
    std::uint16_t port = 0;
    int listener = -1;
    int server = -1;
};

}  // namespace telorad::qt::testing
