// The client area: the framebuffer shown 1:1 in device pixels, the scroll bars, wheel and
// pointer positions as the core receives them.
#include <QtGui/QWheelEvent>
#include <QtTest/QTest>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QScrollBar>
#include <cmath>

#include "app/commands.h"
#include "app/main_window.h"
#include "app/view.h"
#include "framebuffer_image.h"
#include "qt_test_support.h"

namespace telorad::qt::testing {
namespace {

// A picture in which every pixel differs from its neighbours, written in the framebuffer's
// own layout.
void FillPattern(ScreenBitmap& framebuffer) {
    for (int y = 0; y < framebuffer.height; ++y) {
        std::uint8_t* row =
            framebuffer.pixels.data() +
            static_cast<std::size_t>(y) * static_cast<std::size_t>(framebuffer.stride);
        for (int x = 0; x < framebuffer.width; ++x) {
            const auto r = static_cast<std::uint8_t>(x * 7 + y);
            const auto g = static_cast<std::uint8_t>(y * 5 + x / 3);
            const auto b = static_cast<std::uint8_t>((x ^ y) * 3);
            switch (framebuffer.bitsPerPixel) {
                case 16: {
                    const auto word =
                        static_cast<std::uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
                    row[2 * x] = static_cast<std::uint8_t>(word);
                    row[2 * x + 1] = static_cast<std::uint8_t>(word >> 8);
                    break;
                }
                case 24:
                    row[3 * x] = b;
                    row[3 * x + 1] = g;
                    row[3 * x + 2] = r;
                    break;
                default:
                    row[4 * x] = b;
                    row[4 * x + 1] = g;
                    row[4 * x + 2] = r;
                    row[4 * x + 3] = 0;
                    break;
            }
        }
    }
}

// The colour the pattern gives a pixel, as a screen shows it (5-bit channels widened).
QRgb PatternColour(const ScreenBitmap& framebuffer, int x, int y) {
    const std::uint8_t* p =
        framebuffer.pixels.data() +
        static_cast<std::size_t>(y) * static_cast<std::size_t>(framebuffer.stride);
    if (framebuffer.bitsPerPixel == 16) {
        const int word = p[2 * x] | p[2 * x + 1] << 8;
        const auto widen = [](int v) { return v << 3 | v >> 2; };
        return qRgb(widen(word >> 10 & 31), widen(word >> 5 & 31), widen(word & 31));
    }
    const int bytes = framebuffer.bitsPerPixel / 8;
    return qRgb(p[bytes * x + 2], p[bytes * x + 1], p[bytes * x]);
}

TEST_F(QtViewerTest, PaintsTheVisiblePartOneFramebufferPixelPerDevicePixel) {
    for (int depth : {16, 24, 32}) {
        ReceivePicture(1000, 700, depth);
        FillPattern(client.framebuffer);
        // Scroll away from the corner so the offsets take part.
        OnScrollRequest(client, ScrollBarKind::Horizontal, 5, 123);
        OnScrollRequest(client, ScrollBarKind::Vertical, 5, 45);
        ASSERT_EQ(client.view.scrollX, 123);
        ASSERT_EQ(client.view.scrollY, 45);
        const QImage shown = Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const Size clientSize = windowSystem.ClientSize();
        ASSERT_EQ(shown.width(), clientSize.width) << depth;
        ASSERT_EQ(shown.height(), clientSize.height) << depth;
        int differing = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixel(x, y) != PatternColour(client.framebuffer, x + 123, y + 45)) {
                    ++differing;
                }
            }
        }
        EXPECT_EQ(differing, 0) << depth << " bits per pixel";
    }
}

TEST_F(QtViewerTest, FittedWindowShowsBarsWithTheCoresRangesAndFollowsThem) {
    ReceivePicture(1024, 768, 24);
    const Size outer = windowSystem.WindowSize();
    EXPECT_EQ(outer.width, 800);
    EXPECT_EQ(outer.height, 600);
    QScrollBar* horizontal = window.Bar(ScrollBarKind::Horizontal);
    QScrollBar* vertical = window.Bar(ScrollBarKind::Vertical);
    ASSERT_TRUE(horizontal->isVisibleTo(&window));
    ASSERT_TRUE(vertical->isVisibleTo(&window));
    const Size clientSize = windowSystem.ClientSize();
    EXPECT_EQ(horizontal->maximum(), 1024 - clientSize.width);
    EXPECT_EQ(vertical->maximum(), 768 - clientSize.height);
    EXPECT_EQ(vertical->pageStep(), clientSize.height);

    // Line and page steps through the bar itself; the bar shows where the core put the view.
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(client.view.scrollY, 10);
    vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(client.view.scrollY, 90);
    EXPECT_EQ(vertical->value(), 90);
    vertical->triggerAction(QAbstractSlider::SliderToMaximum);  // "bottom": nothing
    EXPECT_EQ(client.view.scrollY, 90);
    EXPECT_EQ(vertical->value(), 90);
    horizontal->setSliderPosition(200);  // dragging the thumb
    EXPECT_EQ(client.view.scrollX, 200);

    // Wheel: one notch down scrolls 16 down; with Shift alone 16 sideways; the bars' wheel too.
    const auto wheel = [](QWidget* target, int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(20, 20), target->mapToGlobal(QPointF(20, 20)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    };
    wheel(Viewport(), -120, Qt::NoModifier);
    EXPECT_EQ(client.view.scrollY, 106);
    wheel(Viewport(), 120, Qt::ShiftModifier);
    EXPECT_EQ(client.view.scrollX, 184);
    wheel(Viewport(), 120, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(client.view.scrollY, 90);
    wheel(vertical, -240, Qt::NoModifier);
    EXPECT_EQ(client.view.scrollY, 122);
    EXPECT_EQ(vertical->value(), 122);

    // The user may not make the window larger than the picture plus frame and bars.
    window.resize(5000, 5000);
    const Size limited = windowSystem.WindowSize();
    EXPECT_LE(limited.width,
              1024 + windowSystem.VerticalScrollBarWidth() + 2 * windowSystem.FrameWidth());
    EXPECT_LT(limited.height, 5000);
}

TEST_F(QtViewerTest, SmallPictureFitsExactlyAndBeyondItTheBackgroundShows) {
    ReceivePicture(200, 100, 32);
    EXPECT_FALSE(window.Bar(ScrollBarKind::Horizontal)->isVisibleTo(&window));
    EXPECT_FALSE(window.Bar(ScrollBarKind::Vertical)->isVisibleTo(&window));
    EXPECT_FALSE(windowSystem.HasHorizontalScrollBar());
    EXPECT_FALSE(windowSystem.HasVerticalScrollBar());
    // The window fits the picture: the real menu height was measured after the first guess.
    const Size fitted = windowSystem.ClientSize();
    EXPECT_EQ(fitted.width, 200);
    EXPECT_EQ(fitted.height, 100);
    // The user cannot drag it larger than the picture...
    window.resize(600, 400);
    EXPECT_EQ(windowSystem.ClientSize().width, 200);
    EXPECT_EQ(windowSystem.ClientSize().height, 100);
    // ...but where the client area does reach beyond the picture, the background shows.
    windowSystem.ResizeWindow({600, 400});
    const QImage shown = Viewport()->grab().toImage();
    const Size larger = windowSystem.ClientSize();
    ASSERT_GT(larger.height, 100);
    EXPECT_EQ(shown.pixel(larger.width - 1, larger.height - 1),
              Viewport()->palette().color(QPalette::Base).rgb());
    EXPECT_EQ(shown.pixel(199, 99), qRgb(0, 0, 0));  // a new picture is black
    EXPECT_EQ(shown.pixel(200, 99), Viewport()->palette().color(QPalette::Base).rgb());
}

TEST_F(QtViewerTest, ButtonsAndMovesCarryDevicePositionsPlusTheOffsets) {
    ReceivePicture(1024, 768, 24);
    OnScrollRequest(client, ScrollBarKind::Horizontal, 5, 100);
    OnScrollRequest(client, ScrollBarKind::Vertical, 5, 40);
    ASSERT_TRUE(Connect());
    Choose(IDM_MODE_CONTROL);
    const double ratio = Viewport()->devicePixelRatioF();
    const QPoint at(10, 20);
    const auto device = [ratio](int logical) {
        return static_cast<std::uint32_t>(std::lround(logical * ratio));
    };
    const std::uint32_t position = (device(20) + 40) * 65536 + device(10) + 100;
    QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(Viewport(), Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseClick(Viewport(), Qt::MiddleButton, Qt::NoModifier, at);
    // A release outside the client area is not seen, as without a pointer grab.
    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(-5, 20));
    std::vector<std::pair<std::uint32_t, std::uint32_t>> mouse;
    for (const SentMessage& message : Sent()) {
        if (message.type == MSG_MOUSE) mouse.emplace_back(message.Word(0), message.Word(1));
    }
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected{
        {513, position}, {514, position}, {516, position}, {517, position},
        {519, position}, {520, position}, {513, position}};
    EXPECT_EQ(mouse, expected);
}

TEST_F(QtViewerTest, TheStartWindowShowsTheWholeMenuBar) {
    // At scale 2 half of this screen is narrower than the bar.
    window.ResizeOuter(StartWindowSize({1280, 1024}, window.MenuBarWidth()));
    QMenuBar* bar = window.Menu().Bar();
    ASSERT_EQ(bar->actions().size(), 5);
    for (QAction* popup : bar->actions()) {
        const QRect item = bar->actionGeometry(popup);
        EXPECT_FALSE(item.isEmpty()) << popup->text().toStdString();
        EXPECT_TRUE(bar->rect().contains(item)) << popup->text().toStdString();
    }
}

TEST_F(QtViewerTest, ClosingTheWindowWhileConnectedEndsTheLoop) {
    ASSERT_TRUE(Connect());
    window.close();
    EXPECT_TRUE(window.IsClosed());
    EXPECT_TRUE(OpensModal([] {}) == false);  // no message box on the way out
}

}  // namespace
}  // namespace telorad::qt::testing
