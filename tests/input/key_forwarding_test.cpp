// Keys, buttons and cursor sync as the server receives them.
#include "app/input_forwarding.h"
#include "input/key_forwarding.h"

#include <gtest/gtest.h>

#include "app/scrolling.h"
#include "app/viewer_fixture.h"

namespace telorad {
namespace {

using testing::Describe;
using testing::ViewerTest;
using Words = std::vector<std::uint32_t>;

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_A = 0x41;
constexpr int VK_P = 0x50;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_LCONTROL = 0xA2;

Words Key(bool released, int code) {
    return {MSG_KEY, released ? 1u : 0u, static_cast<std::uint32_t>(code)};
}
Words Mouse(std::uint32_t event, std::uint32_t position) { return {MSG_MOUSE, event, position}; }
const Words kSetMonitor{MSG_SET_MODE, MODE_MONITOR};
const Words kSetControl{MSG_SET_MODE, MODE_CONTROL};

class ForwardingTest : public ViewerTest {
  protected:
    void ConnectInControlMode() {
        ASSERT_TRUE(Connect());
        HandleCommand(client, IDM_MODE_CONTROL);
    }
    // What the server got after the mode messages of connecting.
    std::vector<Words> Forwarded() {
        std::vector<Words> all = Describe(Sent());
        std::vector<Words> rest;
        for (const Words& words : all)
            if (words[0] != MSG_SET_MODE) rest.push_back(words);
        return rest;
    }
};

TEST_F(ForwardingTest, AHeldKeyGivesOnePressAndOneRelease) {
    ConnectInControlMode();
    PressKeys({VK_A}, true);
    for (int repeat = 0; repeat < 5; ++repeat) OnKeyEvent(client);  // auto-repeat
    PressKeys({VK_A}, false);
    OnKeyEvent(client);
    OnKeyEvent(client);
    EXPECT_EQ(Forwarded(), (std::vector<Words>{Key(false, VK_A), Key(true, VK_A)}));
}

TEST_F(ForwardingTest, ModifiersSendTheGenericCodeBeforeTheSidedOne) {
    ConnectInControlMode();
    PressKeys({VK_LSHIFT, VK_SHIFT}, true);
    OnKeyEvent(client);
    PressKeys({VK_LCONTROL, VK_CONTROL}, true);
    OnKeyEvent(client);
    PressKeys({VK_LSHIFT, VK_SHIFT, VK_LCONTROL, VK_CONTROL}, false);
    OnKeyEvent(client);
    EXPECT_EQ(Forwarded(), (std::vector<Words>{Key(false, VK_SHIFT), Key(false, VK_LSHIFT),
                                               Key(false, VK_CONTROL), Key(false, VK_LCONTROL),
                                               Key(true, VK_SHIFT), Key(true, VK_CONTROL),
                                               Key(true, VK_LSHIFT), Key(true, VK_LCONTROL)}));
}

TEST_F(ForwardingTest, KeysOutsideControlModeWaitForTheFirstKeyEventInControlMode) {
    ASSERT_TRUE(Connect());
    client.sentKeyState[VK_P] = 1;  // last reported pressed
    PressKeys({VK_A}, true);
    OnKeyEvent(client);  // monitor mode: nothing, table unchanged
    EXPECT_EQ(client.sentKeyState[VK_A], 0u);
    HandleCommand(client, IDM_MODE_STANDBY);
    OnKeyEvent(client);
    HandleCommand(client, IDM_MODE_CONTROL);
    OnKeyEvent(client);
    EXPECT_EQ(Describe(Sent()), (std::vector<Words>{kSetMonitor,
                                                    {MSG_SET_MODE, MODE_STANDBY},
                                                    kSetControl,
                                                    Key(false, VK_A),
                                                    Key(true, VK_P)}));
    EXPECT_EQ(client.sentKeyState[VK_A], 1u);
    EXPECT_EQ(client.sentKeyState[VK_P], 0u);
}

TEST_F(ForwardingTest, FocusLossSendsTheOwedReleasesAtOnce) {
    ConnectInControlMode();
    PressKeys({VK_CONTROL, VK_LCONTROL, VK_A}, true);
    OnKeyEvent(client);
    // Another window takes the keyboard while the keys are held: the releases go out now, not at
    // the next key event, and a key event after the focus came back has nothing left to send.
    OnFocusLost(client);
    EXPECT_EQ(std::count(client.sentKeyState.begin(), client.sentKeyState.end(), 0u), 256);
    window.ReleaseAllKeys();
    OnKeyEvent(client);
    // Outside control mode a focus loss sends nothing and leaves the table as it is.
    HandleCommand(client, IDM_MODE_MONITOR);
    client.sentKeyState[VK_A] = 1;
    OnFocusLost(client);
    EXPECT_EQ(client.sentKeyState[VK_A], 1u);
    EXPECT_EQ(Forwarded(),
              (std::vector<Words>{Key(false, VK_CONTROL), Key(false, VK_A), Key(false, VK_LCONTROL),
                                  Key(true, VK_CONTROL), Key(true, VK_A), Key(true, VK_LCONTROL)}));
}

TEST_F(ForwardingTest, AcceleratorStrokesSendOnlyTheCtrlPressAndRelease) {
    ConnectInControlMode();
    for (const auto& [letter, command] :
         {std::pair{VK_P, IDM_PRINT}, std::pair{0x4F, IDM_OPEN_UNUSED},
          std::pair{0x52, IDM_RELOAD_UNUSED}, std::pair{0x56, IDM_PASTE_UNUSED}}) {
        PressKeys({VK_CONTROL, VK_LCONTROL}, true);
        OnKeyEvent(client);
        PressKeys({letter}, true);
        HandleCommand(client, command);  // the accelerator table takes the letter's press
        PressKeys({letter}, false);
        OnKeyEvent(client);  // its release reaches the window: the letter is found up
        PressKeys({VK_CONTROL, VK_LCONTROL}, false);
        OnKeyEvent(client);
    }
    std::vector<Words> expected;
    for (int stroke = 0; stroke < 4; ++stroke) {
        for (const Words& words : {Key(false, VK_CONTROL), Key(false, VK_LCONTROL),
                                   Key(true, VK_CONTROL), Key(true, VK_LCONTROL)})
            expected.push_back(words);
    }
    EXPECT_EQ(Forwarded(), expected);
    EXPECT_TRUE(window.printedPages.empty());
    EXPECT_EQ(window.calls.end(),
              std::find(window.calls.begin(), window.calls.end(), "PrintDialog"));
}

TEST_F(ForwardingTest, AButtonHeldDuringAKeyEventIsReportedAsItsKeyCode) {
    ConnectInControlMode();
    PressKeys({VK_LBUTTON}, true);
    OnKeyEvent(client);
    PressKeys({VK_LBUTTON}, false);
    OnKeyEvent(client);
    EXPECT_EQ(Forwarded(), (std::vector<Words>{Key(false, VK_LBUTTON), Key(true, VK_LBUTTON)}));
}

TEST_F(ForwardingTest, SendsWithoutConnectionAreDroppedButTheTableStaysUpdated) {
    ConnectInControlMode();
    HandleCommand(client, IDM_DISCONNECT);
    PressKeys({VK_A}, true);
    OnKeyEvent(client);  // the control mark survives the disconnect
    EXPECT_EQ(client.sentKeyState[VK_A], 1u);
    OnMouseButton(client, WM_LBUTTONDOWN_CODE, 1, 1);
}

TEST_F(ForwardingTest, ButtonsInControlModeCarryThePackedPositionPlusTheScrollOffsets) {
    DestroyScreenBitmap(client.framebuffer);
    ASSERT_TRUE(CreateScreenBitmap(client.framebuffer, 2000, 2000, 24, RowOrder::TopDown));
    FitWindowToPicture(client);
    ScrollView(client, 100, 40);
    ASSERT_EQ(client.view.scrollX, 100);
    ASSERT_EQ(client.view.scrollY, 40);
    ASSERT_TRUE(Connect());
    OnMouseButton(client, WM_LBUTTONDOWN_CODE, 10, 20);  // monitor mode: not forwarded
    HandleCommand(client, IDM_MODE_CONTROL);
    const std::uint32_t events[] = {WM_LBUTTONDOWN_CODE, WM_LBUTTONUP_CODE,   WM_RBUTTONDOWN_CODE,
                                    WM_RBUTTONUP_CODE,   WM_MBUTTONDOWN_CODE, WM_MBUTTONUP_CODE};
    std::vector<Words> expected;
    for (std::uint32_t event : events) {
        OnMouseButton(client, event, 10, 20);
        expected.push_back(Mouse(event, 60u * 65536u + 110u));
    }
    EXPECT_EQ(Forwarded(), expected);
}

TEST(PackPositionTest, AddsTheOffsetsToTheMessagePositionModulo2To32) {
    const struct {
        std::int32_t x, y, scrollX, scrollY;
        std::uint32_t expected;
    } cases[] = {
        {10, 20, 100, 40, 60u * 65536u + 110u},
        {0, 0, 0, 0, 0},
        {65535, 0, 1, 0, 65536},                             // x + scrollX carries into the y half
        {0, 65535, 0, 1, 0},                                 // and y wraps modulo 2^32
        {70000, 3, 0, 0, 3u * 65536u + (70000u & 0xFFFFu)},  // only 16 bits per coordinate
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PackPosition(c.x, c.y, c.scrollX, c.scrollY), c.expected)
            << c.x << "," << c.y << " + " << c.scrollX << "," << c.scrollY;
    }
}

TEST(CursorSyncDueTest, StrictSignedComparisonWithAWrappingSum) {
    const struct {
        std::uint32_t last, now;
        bool due;
    } cases[] = {
        {1000, 1500, false},
        {1000, 1501, true},
        {1000, 1000, false},
        {1000, 999, false},
        {0xFFFFFF00u, 0xFFFFFF00u + 501u, true},  // the tick count wrapped around zero
        {0xFFFFFF00u, 0xFFFFFF00u + 500u, false},
        {0x7FFFFF00u, 0x7FFFFF01u, true},  // the sum turns negative as a signed value
    };
    for (const auto& c : cases)
        EXPECT_EQ(CursorSyncDue(c.last, c.now), c.due) << c.last << " " << c.now;
}

TEST_F(ForwardingTest, CursorSyncSendsAtMostOneMoveEvery500Ms) {
    ASSERT_TRUE(Connect());
    ASSERT_EQ(client.lastSyncTick, 0u);  // set at start-up from the fake's clock
    window.tickCount = 10000;
    OnMouseMove(client, 5, 6);  // neither mark: nothing
    HandleCommand(client, IDM_SYNC_CURSOR);
    OnMouseMove(client, 5, 6);  // sync without control mode: nothing
    HandleCommand(client, IDM_MODE_CONTROL);
    client.lastSyncTick = 10000;

    const struct {
        std::uint32_t tick;
        bool sent;
    } moves[] = {{10000, false}, {10500, false}, {10501, true},
                 {10700, false}, {11001, false}, {11002, true}};
    std::vector<Words> expected;
    for (const auto& move : moves) {
        window.tickCount = move.tick;
        OnMouseMove(client, 7, 8);
        if (move.sent) expected.push_back(Mouse(kCursorSyncEvent, 8u * 65536u + 7u));
    }
    EXPECT_EQ(client.lastSyncTick, 11002u);
    EXPECT_EQ(Forwarded(), expected);
}

TEST(CursorSyncStartTest, NoMoveInTheFirst500MsAfterStartUp) {
    RecordingWindowSystem window;
    window.tickCount = 777;
    Client client(window);
    StartClientWithSettings(client, {1920, 1080}, "");
    EXPECT_EQ(client.lastSyncTick, 777u);
    EXPECT_FALSE(CursorSyncDue(client.lastSyncTick, 777 + 500));
    EXPECT_TRUE(CursorSyncDue(client.lastSyncTick, 777 + 501));
}

}  // namespace
}  // namespace telorad
