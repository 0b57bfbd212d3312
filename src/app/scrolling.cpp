#include "app/scrolling.h"

#include <algorithm>

#include "app/client.h"
#include "app/commands.h"
#include "app/main_window.h"

namespace telorad {

void ScrollView(Client& client, std::int32_t dx, std::int32_t dy) {
    ViewState& view = client.view;
    dx = LimitScrollRequest(dx, view.scrollX, client.framebuffer.width, view.hScrollInfo.page);
    dy = LimitScrollRequest(dy, view.scrollY, client.framebuffer.height, view.vScrollInfo.page);
    if (dx == 0 && dy == 0) return;

    view.scrollX += dx;
    view.hScrollInfo.pos = view.scrollX;
    client.window.SetScrollBar(ScrollBarKind::Horizontal, view.hScrollInfo);
    view.scrollY += dy;
    view.vScrollInfo.pos = view.scrollY;
    client.window.SetScrollBar(ScrollBarKind::Vertical, view.vScrollInfo);

    client.window.ScrollClientArea(-dx, -dy);
    client.window.RepaintNow();
}

void AutoScroll(Client& client, std::int32_t x, std::int32_t y) {
    if (!client.window.IsMenuItemChecked(IDM_AUTO_SCROLL)) return;
    // The pointer position travels as two unsigned 16-bit halves.
    const std::int32_t dy =
        AutoScrollStep(static_cast<std::uint32_t>(y), client.view.vScrollInfo.page);
    const std::int32_t dx =
        AutoScrollStep(static_cast<std::uint32_t>(x), client.view.hScrollInfo.page);
    ScrollView(client, dx, dy);
}

void OnScrollRequest(Client& client, ScrollBarKind bar, int code, std::uint32_t thumbPosition) {
    const bool horizontal = bar == ScrollBarKind::Horizontal;
    const std::int32_t offset = horizontal ? client.view.scrollX : client.view.scrollY;
    const std::int32_t amount = ScrollRequestAmount(code, thumbPosition, offset);
    if (horizontal) {
        ScrollView(client, amount, 0);
    } else {
        ScrollView(client, 0, amount);
    }
}

void OnMouseWheel(Client& client, std::uint32_t keyState, std::int32_t delta) {
    const std::int32_t amount = WheelScrollAmount(delta);
    if (keyState == kWheelShiftOnly) {
        ScrollView(client, amount, 0);
    } else {
        ScrollView(client, 0, amount);
    }
}

Size LimitWindowSize(Client& client, Size proposed) {
    WindowSystem& window = client.window;
    // A horizontal bar adds to the height, a vertical one to the width.
    const std::int32_t limitWidth = WindowExtentLimit(
        client.view.maxWindowWidth, window.HasVerticalScrollBar(), window.VerticalScrollBarWidth());
    const std::int32_t limitHeight =
        WindowExtentLimit(client.view.maxWindowHeight, window.HasHorizontalScrollBar(),
                          window.HorizontalScrollBarHeight());
    return {std::min(proposed.width, limitWidth), std::min(proposed.height, limitHeight)};
}

PixelRect VisiblePart(const Client& client) {
    const Size size = client.window.ClientSize();
    return VisibleRect(client.view, size.width, size.height, client.framebuffer.width,
                       client.framebuffer.height);
}

}  // namespace telorad
