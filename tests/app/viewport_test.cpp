// The view over the picture: scroll limits, scroll-bar codes, the wheel, automatic scrolling,
// fitting and the sizing limit.
#include "screen/viewport.h"

#include <gtest/gtest.h>

#include "app/client.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/recording_window_system.h"
#include "app/scrolling.h"
#include "app/view.h"

namespace telorad {
namespace {

// --- Arithmetic -------------------------------------------------------------------------------

TEST(ViewportArithmeticTest, ScrollRequestsStayWithinThePicture) {
    const struct {
        std::int32_t request, offset, extent, page, expected;
    } cases[] = {
        {10, 0, 1000, 500, 10},  {600, 0, 1000, 500, 500},     {10, 500, 1000, 500, 0},
        {-10, 5, 1000, 500, -5}, {-10, 0, 1000, 500, 0},       {100, 0, 320, 952, 0},
        {-100, 0, 320, 952, 0},  {INT32_MAX, 0, 1000, 1, 999}, {INT32_MIN, 999, 1000, 1, -999},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LimitScrollRequest(c.request, c.offset, c.extent, c.page), c.expected)
            << c.request << " at " << c.offset << " of " << c.extent << " page " << c.page;
    }
}

TEST(ViewportArithmeticTest, ScrollBarCodes) {
    const struct {
        int code;
        std::uint32_t thumb;
        std::int32_t offset, expected;
    } cases[] = {
        {0, 0, 100, -10},   {1, 0, 100, 10},   {2, 0, 100, -80},
        {3, 0, 100, 80},    {4, 300, 100, 0},  // thumb released: nothing further
        {5, 300, 100, 200}, {5, 20, 100, -80}, {6, 0, 100, 0},
        {7, 0, 100, 0},     {8, 0, 100, 0},    {-1, 0, 100, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScrollRequestAmount(c.code, c.thumb, c.offset), c.expected) << "code " << c.code;
    }
}

TEST(ViewportArithmeticTest, WheelAmountTruncatesTowardZero) {
    const struct {
        std::int32_t delta, expected;
    } cases[] = {{120, -16}, {-120, 16}, {-240, 32}, {60, -8}, {7, 0},
                 {-7, 0},    {8, -1},    {-8, 1},    {0, 0},   {INT32_MIN, 286331153}};
    for (const auto& c : cases) EXPECT_EQ(WheelScrollAmount(c.delta), c.expected) << c.delta;
}

TEST(ViewportArithmeticTest, AutoScrollBandsUseUnsignedComparisons) {
    const struct {
        std::uint32_t coordinate;
        std::int32_t page, expected;
    } cases[] = {
        {0, 500, -16},
        {47, 500, -16},
        {48, 500, 0},
        {452, 500, 0},
        {453, 500, 16},
        {499, 500, 16},
        {20, 60, 0},  // both bands overlap: no move
        {13, 60, 0},  // 13 lies in both bands
        {59, 60, 16},
        {0xFFFF, 500, 16},         // a coordinate the 16-bit field wraps to the far side
        {0x10000 + 10, 500, -16},  // only the low 16 bits count
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AutoScrollStep(c.coordinate, c.page), c.expected)
            << c.coordinate << " page " << c.page;
    }
}

TEST(ViewportArithmeticTest, WindowLimitAddsTheBarShownAcrossTheAxis) {
    EXPECT_EQ(WindowExtentLimit(1032, false, 17), 1032);
    EXPECT_EQ(WindowExtentLimit(1032, true, 17), 1049);
    EXPECT_EQ(WindowExtentLimit(INT32_MAX, true, 17), INT32_MAX);
}

TEST(ViewportArithmeticTest, StartWindowIsHalfTheScreenWidenedForTheWholeMenuBar) {
    const struct {
        Size screen;
        std::int32_t menuBarWidth;
        Size expected;
    } cases[] = {
        {{1280, 1024}, 0, {640, 512}},      {{1280, 1024}, 640, {640, 512}},
        {{1280, 1024}, 700, {700, 512}},    // scale 2: the bar needs more than half the screen
        {{1280, 1024}, 2000, {1280, 512}},  // never wider than the screen
        {{1366, 769}, 0, {683, 384}},       {{0, 0}, 500, {500, 0}},  // no screen known
    };
    for (const auto& c : cases) {
        const Size start = StartWindowSize(c.screen, c.menuBarWidth);
        EXPECT_EQ(start.width, c.expected.width) << c.screen.width << " " << c.menuBarWidth;
        EXPECT_EQ(start.height, c.expected.height) << c.screen.height;
    }
}

TEST(ViewportArithmeticTest, GrowingClientAreaPullsTheOffsetBackToThePictureEdge) {
    struct Case {
        std::int32_t offset, client, picture, expected;
    };
    const Case cases[] = {
        {224, 800, 1024, 224},  // the client area ends at the picture's edge: nothing moves
        {224, 810, 1024, 214},  // it reaches 10 pixels past: pulled back by 10
        {100, 700, 1024, 100},  // it still ends inside the picture
        {224, 1100, 1024, 0},   // larger than the picture: never below 0
        {0, 320, 240, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PullBackOffset(c.offset, c.client, c.picture), c.expected)
            << c.offset << " " << c.client << " " << c.picture;
    }
}

// --- The view on the recording window ---------------------------------------------------------

class ViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.onClientSizeChanged = [this] { OnClientSizeChanged(client); };
        StartClientWithSettings(client, {1920, 1080}, "");
        OnClientSizeChanged(client);  // the first size message, when the window is shown
    }
    void NewPicture(std::int32_t width, std::int32_t height) {
        DestroyScreenBitmap(client.framebuffer);
        ASSERT_TRUE(CreateScreenBitmap(client.framebuffer, width, height, 24, RowOrder::TopDown));
        FitWindowToPicture(client);
    }
    std::size_t Scrolls() const { return window.scrolls.size(); }

    RecordingWindowSystem window;
    Client client{window};
};

TEST_F(ViewTest, APictureSmallerThanTheWindowNeverScrolls) {
    const Size inside = window.ClientSize();
    ASSERT_GT(inside.width, 320);
    ASSERT_GT(inside.height, 240);
    window.CheckMenuItem(IDM_AUTO_SCROLL, true);
    for (int code = 0; code <= 8; ++code) {
        OnScrollRequest(client, ScrollBarKind::Horizontal, code, 100);
        OnScrollRequest(client, ScrollBarKind::Vertical, code, 100);
    }
    for (std::int32_t delta : {120, -120, -240, 600})
        for (std::uint32_t keys : {0u, 4u, 12u}) OnMouseWheel(client, keys, delta);
    for (std::int32_t at : {0, 10, 47, 300, 480}) OnMouseMove(client, at, at);
    EXPECT_EQ(Scrolls(), 0u);
    EXPECT_EQ(client.view.scrollX, 0);
    EXPECT_EQ(client.view.scrollY, 0);
    const PixelRect visible = VisiblePart(client);
    EXPECT_EQ(visible.width, 320);
    EXPECT_EQ(visible.height, 240);
}

TEST_F(ViewTest, A1024By768PictureFitsTo800By600AndScrollsToItsEdges) {
    NewPicture(1024, 768);
    ASSERT_FALSE(window.resizes.empty());
    EXPECT_EQ(window.resizes.back().width, 800);
    EXPECT_EQ(window.resizes.back().height, 600);
    const Size inside = window.ClientSize();

    ScrollView(client, 100000, 100000);
    EXPECT_EQ(client.view.scrollX, 1024 - inside.width);
    EXPECT_EQ(client.view.scrollY, 768 - inside.height);
    EXPECT_EQ(window.horizontalBar.pos, client.view.scrollX);
    EXPECT_EQ(window.verticalBar.pos, client.view.scrollY);

    const std::size_t before = Scrolls();
    OnScrollRequest(client, ScrollBarKind::Vertical, 1, 0);  // line down at the bottom
    OnScrollRequest(client, ScrollBarKind::Horizontal, 3, 0);
    EXPECT_EQ(Scrolls(), before);
    const PixelRect visible = VisiblePart(client);
    EXPECT_EQ(visible.x, client.view.scrollX);
    EXPECT_EQ(visible.y, client.view.scrollY);
    EXPECT_EQ(visible.width, inside.width);
    EXPECT_EQ(visible.height, inside.height);
}

TEST_F(ViewTest, EveryNewPictureResetsBothBarsAsAFreshViewerWould) {
    // Both pictures fit the same 800 × 600 window, so fitting changes no size: the bars must be
    // set all the same, from range to position.
    NewPicture(1024, 768);
    ScrollView(client, 100000, 100000);
    NewPicture(1920, 1080);
    const Size inside = window.ClientSize();
    EXPECT_EQ(window.horizontalBar.max, 1919);
    EXPECT_EQ(window.horizontalBar.page, inside.width);
    EXPECT_EQ(window.horizontalBar.pos, 0);
    EXPECT_EQ(window.verticalBar.max, 1079);
    EXPECT_EQ(window.verticalBar.page, inside.height);
    EXPECT_EQ(window.verticalBar.pos, 0);
    OnScrollRequest(client, ScrollBarKind::Horizontal, 5, 1920 - inside.width);  // thumb at the end
    EXPECT_EQ(client.view.scrollX, 1920 - inside.width);
}

TEST_F(ViewTest, ScrollViewSetsBothBarsThenMovesTheWindowContentsAndRepaints) {
    NewPicture(1024, 768);
    window.calls.clear();
    ScrollView(client, 0, 30);
    ASSERT_EQ(window.scrolls.size(), 1u);
    EXPECT_EQ(window.scrolls[0].dx, 0);
    EXPECT_EQ(window.scrolls[0].dy, -30);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"Scroll 0,-30", "Repaint"}));
    EXPECT_EQ(window.verticalBar.pos, 30);
    EXPECT_EQ(window.horizontalBar.pos, 0);
    EXPECT_EQ(window.repaints, 1);
}

TEST_F(ViewTest, ScrollBarLinePageAndThumb) {
    NewPicture(1024, 768);
    const struct {
        int code;
        std::uint32_t thumb;
        std::int32_t expectedY;
    } steps[] = {{1, 0, 10},  {3, 0, 90},  {0, 0, 80},  {5, 200, 200}, {4, 0, 200},
                 {2, 0, 120}, {6, 0, 120}, {7, 0, 120}, {8, 0, 120}};
    for (const auto& step : steps) {
        OnScrollRequest(client, ScrollBarKind::Vertical, step.code, step.thumb);
        EXPECT_EQ(client.view.scrollY, step.expectedY) << "code " << step.code;
        EXPECT_EQ(client.view.scrollX, 0);
    }
}

TEST_F(ViewTest, WheelScrollsVerticallyUnlessShiftAloneIsHeld) {
    NewPicture(1024, 768);
    ScrollView(client, 100, 100);
    const struct {
        std::uint32_t keys;
        std::int32_t delta, expectedX, expectedY;
    } steps[] = {{4, 120, 84, 100},   // Shift alone: 16 to the left
                 {12, 120, 84, 84},   // Shift and Ctrl: 16 up
                 {0, -240, 84, 116},  // two notches toward the user: 32 down
                 {0, 60, 84, 108},    // half a notch: 8 up
                 {0, 7, 84, 108}};
    for (const auto& step : steps) {
        OnMouseWheel(client, step.keys, step.delta);
        EXPECT_EQ(client.view.scrollX, step.expectedX) << step.keys << " " << step.delta;
        EXPECT_EQ(client.view.scrollY, step.expectedY) << step.keys << " " << step.delta;
    }
}

TEST_F(ViewTest, AutoScrollAtTheBandsOfA500PixelClientArea) {
    NewPicture(1000, 2000);
    window.ResizeWindow(
        {window.outer.width, 500 + (window.outer.height - window.ClientSize().height)});
    ASSERT_EQ(window.ClientSize().height, 500);
    ASSERT_EQ(client.view.vScrollInfo.page, 500);
    ScrollView(client, 0, 700);
    const std::int32_t middleX = window.ClientSize().width / 2;

    const struct { std::int32_t y, move; } cases[] = {{47, -16}, {48, 0}, {452, 0}, {453, 16}};
    for (bool enabled : {false, true}) {
        window.CheckMenuItem(IDM_AUTO_SCROLL, enabled);
        for (const auto& c : cases) {
            OnMouseMove(client, middleX, c.y);
            EXPECT_EQ(client.view.scrollY, 700 + (enabled ? c.move : 0)) << "y " << c.y;
            EXPECT_EQ(client.view.scrollX, 0);
            ScrollView(client, 0, 700 - client.view.scrollY);
        }
    }
}

TEST_F(ViewTest, WideningTheWindowPullsTheViewBackToThePictureEdge) {
    NewPicture(1024, 768);
    window.ResizeWindow({600, 600});
    ScrollView(client, 100000, 0);
    const std::int32_t frame = window.outer.width - window.ClientSize().width;
    EXPECT_EQ(client.view.scrollX, 1024 - (600 - frame));
    for (std::int32_t outer : {700, 900, 1000, 1100}) {
        window.ResizeWindow({outer, 600});
        const std::int32_t inside = window.ClientSize().width;
        EXPECT_EQ(client.view.scrollX, std::max(1024 - inside, 0)) << outer;
        EXPECT_EQ(window.horizontalBar.pos, client.view.scrollX);
    }
    EXPECT_EQ(client.view.scrollX, 0);
}

TEST_F(ViewTest, SizingLimitAddsTheScrollBarsThatAreShown) {
    EXPECT_EQ(LimitWindowSize(client, {2000, 2000}).width, 960);
    EXPECT_EQ(LimitWindowSize(client, {2000, 2000}).height, 540);
    NewPicture(1024, 768);
    ASSERT_TRUE(window.horizontalBarShown);
    ASSERT_TRUE(window.verticalBarShown);
    EXPECT_EQ(client.view.maxWindowWidth, 1024 + 2 * window.frameWidth);
    const Size limited = LimitWindowSize(client, {2000, 2000});
    EXPECT_EQ(limited.width, client.view.maxWindowWidth + window.scrollBarSize);
    EXPECT_EQ(limited.height, client.view.maxWindowHeight + window.scrollBarSize);
    const Size smaller = LimitWindowSize(client, {300, 200});
    EXPECT_EQ(smaller.width, 300);
    EXPECT_EQ(smaller.height, 200);
}

}  // namespace
}  // namespace telorad
