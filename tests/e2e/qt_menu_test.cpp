// The menu bar as the user sees it, and what choosing its items and the accelerators does.
#include <QtGui/QActionGroup>
#include <QtGui/QClipboard>
#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>

#include "app/commands.h"
#include "app/session.h"
#include "message_box.h"
#include "qt_test_support.h"

namespace telorad::qt::testing {
namespace {

struct ItemState {
    int command;
    bool enabled;
    bool checked;
};

void ExpectMenuState(ViewerWindow& window, const std::vector<ItemState>& states, const char* when) {
    for (const ItemState& state : states) {
        QAction* action = window.Menu().Action(state.command);
        ASSERT_NE(action, nullptr) << state.command;
        EXPECT_EQ(action->isEnabled(), state.enabled) << when << ": item " << state.command;
        EXPECT_EQ(window.Menu().IsItemChecked(state.command), state.checked)
            << when << ": item " << state.command;
        // What the menu shows is what the core reads.
        EXPECT_EQ(action->isChecked(), state.checked) << when << ": shown mark " << state.command;
    }
}

TEST_F(QtViewerTest, MenuBarHasTheFivePopupsWithTheirItemsInOrder) {
    struct Popup {
        QString title;
        QStringList items;  // "-" for a separator
    };
    const std::vector<Popup> expected{
        {"ファイル(&F)", {"BMPで保存(&S)...", "-", "印刷(&P)...\tCtrl+P", "終了(X)"}},
        {"編集(&E)", {"クリップボードにコピー(&C)\tCtrl+C"}},
        {"リモート(&R)", {"接続", "切断", "-", "待機", "監視", "制御", "-", "コマンド"}},
        {"設定(&C)", {"自動スクロール(&R)", "マウスカーソルを同期(&M)"}},
        {"ヘルプ(&H)", {"バージョン情報(&A)..."}},
    };
    const QList<QAction*> popups = window.Menu().Bar()->actions();
    ASSERT_EQ(popups.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QAction* popup = popups[static_cast<qsizetype>(i)];
        EXPECT_EQ(popup->text(), expected[i].title);
        ASSERT_NE(popup->menu(), nullptr);
        QStringList items;
        for (const QAction* item : popup->menu()->actions()) {
            items << (item->isSeparator() ? QStringLiteral("-") : item->text());
            // Shortcuts are shown from the caption; none is bound to the action itself.
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
        }
        EXPECT_EQ(items, expected[i].items) << expected[i].title.toStdString();
    }
    // The modes look like a radio group, the options like check boxes.
    for (int command : {IDM_MODE_STANDBY, IDM_MODE_MONITOR, IDM_MODE_CONTROL}) {
        const QAction* action = window.Menu().Action(command);
        ASSERT_NE(action->actionGroup(), nullptr);
        EXPECT_TRUE(action->actionGroup()->isExclusive());
    }
    EXPECT_TRUE(window.Menu().Action(IDM_AUTO_SCROLL)->isCheckable());
    EXPECT_EQ(window.Menu().Action(IDM_AUTO_SCROLL)->actionGroup(), nullptr);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Client"));
    // The icon's PNG sizes are built in: it draws with no image plugin and no icon theme.
    const QList<QSize> sizes = window.windowIcon().availableSizes();
    for (int side : {16, 32, 256}) EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

TEST_F(QtViewerTest, MenuStatesThroughConnectModesTogglesAndDisconnect) {
    ExpectMenuState(window,
                    {{IDM_SAVE_BMP, false, false},
                     {IDM_PRINT, false, false},
                     {IDM_EXIT, true, false},
                     {IDM_COPY, true, false},
                     {IDM_CONNECT, true, false},
                     {IDM_DISCONNECT, false, false},
                     {IDM_MODE_STANDBY, false, false},
                     {IDM_MODE_MONITOR, false, false},
                     {IDM_MODE_CONTROL, false, false},
                     {IDM_COMMAND, true, false},
                     {IDM_AUTO_SCROLL, true, false},
                     {IDM_SYNC_CURSOR, true, false},
                     {IDM_ABOUT, true, false}},
                    "start");

    ASSERT_TRUE(Connect());
    ExpectMenuState(window,
                    {{IDM_SAVE_BMP, false, false},
                     {IDM_PRINT, false, false},
                     {IDM_CONNECT, false, false},
                     {IDM_DISCONNECT, true, false},
                     {IDM_MODE_STANDBY, true, false},
                     {IDM_MODE_MONITOR, true, true},
                     {IDM_MODE_CONTROL, true, false}},
                    "connected");

    // A click on a checkable item: Qt's own toggle must not decide the mark.
    Choose(IDM_MODE_CONTROL);
    Choose(IDM_MODE_CONTROL);
    Choose(IDM_AUTO_SCROLL);
    Choose(IDM_SYNC_CURSOR);
    Choose(IDM_SYNC_CURSOR);
    ExpectMenuState(window,
                    {{IDM_MODE_STANDBY, true, false},
                     {IDM_MODE_MONITOR, true, false},
                     {IDM_MODE_CONTROL, true, true},
                     {IDM_AUTO_SCROLL, true, true},
                     {IDM_SYNC_CURSOR, true, false}},
                    "control, auto scroll");

    const std::vector<SentMessage> sent = Sent();  // disconnects
    ASSERT_EQ(sent.size(), 3u);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].type, MSG_SET_MODE);
        EXPECT_EQ(sent[i].Word(0), i == 0 ? MODE_MONITOR : MODE_CONTROL);
    }
    ExpectMenuState(window,
                    {{IDM_CONNECT, true, false},
                     {IDM_DISCONNECT, false, false},
                     {IDM_MODE_STANDBY, false, false},
                     {IDM_MODE_MONITOR, false, false},
                     {IDM_MODE_CONTROL, false, true},
                     {IDM_AUTO_SCROLL, true, true},
                     {IDM_SAVE_BMP, false, false},
                     {IDM_PRINT, false, false}},
                    "disconnected");

    ASSERT_TRUE(Connect());
    ExpectMenuState(window,
                    {{IDM_MODE_MONITOR, true, true},
                     {IDM_MODE_CONTROL, true, false},
                     {IDM_AUTO_SCROLL, true, true}},
                    "reconnected");
}

TEST_F(QtViewerTest, FailedConnectShowsTheErrorBoxAndAboutShowsTheVersion) {
    const telorad::testing::RefusingPort refusing;
    port = refusing.port();
    QString text;
    QString caption;
    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        caption = box->windowTitle();
        box->accept();
    });
    EXPECT_FALSE(Connect());
    EXPECT_EQ(text, QStringLiteral("Connection Error"));
    EXPECT_EQ(caption, QStringLiteral("Debug"));
    EXPECT_TRUE(window.Menu().Action(IDM_CONNECT)->isEnabled());

    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        caption = box->windowTitle();
        EXPECT_EQ(box->parentWidget(), &window);
        box->accept();
    });
    Choose(IDM_ABOUT);
    EXPECT_EQ(caption, QStringLiteral("About Telorad client"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Telorad client Ver.0.3\n\t")))
        << text.toStdString();
}

TEST_F(QtViewerTest, AMenuClosedWithEscGivesTheKeyboardBackToThePicture) {
    ASSERT_TRUE(Connect());
    Choose(IDM_MODE_CONTROL);
    QMenuBar* bar = window.Menu().Bar();
    QAction* remote = bar->actions().at(2);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(remote).center());
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr) << "the Remote menu did not open";
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(bar->activeAction(), nullptr);
    QWidget* keyboard = QApplication::focusWidget();
    ASSERT_EQ(keyboard, Viewport());
    // What is typed next goes to the server; Down and Return open and choose nothing.
    EXPECT_FALSE(OpensModal([&] {
        for (Qt::Key key : {Qt::Key_A, Qt::Key_Down, Qt::Key_Return}) QTest::keyClick(keyboard, key);
    }));
    EXPECT_NE(client.connection.socket, kNoSocket) << "Return disconnected";
    std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;  // (released, code)
    for (const SentMessage& message : Sent()) {
        if (message.type == MSG_KEY) keys.emplace_back(message.Word(0), message.Word(1));
    }
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{
        {0, 0x41}, {1, 0x41}, {0, 0x28}, {1, 0x28}, {0, 0x0D}, {1, 0x0D}};
    EXPECT_EQ(keys, expected);
}

TEST_F(QtViewerTest, BoxesAreWideEnoughForTheirWholeCaption) {
    // The server goes away: "切断されました" under "Error.", a short text below its caption.
    ASSERT_TRUE(Connect());
    ::close(server);
    server = -1;
    QString caption;
    OnNextModal<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        EXPECT_GE(box->width(), CaptionWidth(*box, caption));
        box->accept();
    });
    EXPECT_EQ(DrainNetwork(client), DrainResult::Closed);
    EXPECT_EQ(caption, QStringLiteral("Error."));
}

TEST_F(QtViewerTest, CtrlCCopiesTheWholePictureBeforeAnyConnection) {
    QGuiApplication::clipboard()->clear();
    QTest::keyPress(Viewport(), Qt::Key_Control);
    QTest::keyClick(Viewport(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyRelease(Viewport(), Qt::Key_Control);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(320, 240));
    EXPECT_EQ(copied.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(copied.pixel(319, 239), qRgb(255, 255, 255));
}

TEST_F(QtViewerTest, AcceleratorLettersAreNotForwardedButCtrlIs) {
    ASSERT_TRUE(Connect());
    Choose(IDM_MODE_CONTROL);
    // Ctrl+P (Print is grayed), Ctrl+O, Ctrl+R, Ctrl+V: no dialog, no letter sent.
    for (Qt::Key letter : {Qt::Key_P, Qt::Key_O, Qt::Key_R, Qt::Key_V}) {
        EXPECT_FALSE(OpensModal([&] {
            QTest::keyPress(Viewport(), Qt::Key_Control);
            QTest::keyPress(Viewport(), letter, Qt::ControlModifier);
            QTest::keyRelease(Viewport(), letter, Qt::ControlModifier);
            QTest::keyRelease(Viewport(), Qt::Key_Control);
        })) << letter;
    }
    // Alt and F10 are ordinary keys here: the menu bar does not open.
    QTest::keyClick(Viewport(), Qt::Key_Alt);
    QTest::keyClick(Viewport(), Qt::Key_F10);
    QTest::keyClick(Viewport(), Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(window.Menu().Bar()->activeAction(), nullptr);

    std::vector<std::pair<std::uint32_t, std::uint32_t>> keys;  // (released, code)
    for (const SentMessage& message : Sent()) {
        if (message.type == MSG_KEY) keys.emplace_back(message.Word(0), message.Word(1));
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> expected;
    for (int i = 0; i < 4; ++i) {
        expected.insert(expected.end(), {{0, 0x11}, {0, 0xA2}, {1, 0x11}, {1, 0xA2}});
    }
    // Alt alone, F10 alone, then Alt+R (the access key of the Remote menu).
    expected.insert(expected.end(), {{0, 0x12},
                                     {0, 0xA4},
                                     {1, 0x12},
                                     {1, 0xA4},
                                     {0, 0x79},
                                     {1, 0x79},
                                     {0, 0x12},
                                     {0, 0xA4},
                                     {0, 0x52},
                                     {1, 0x52},
                                     {1, 0x12},
                                     {1, 0xA4}});
    EXPECT_EQ(keys, expected);
}

}  // namespace
}  // namespace telorad::qt::testing
