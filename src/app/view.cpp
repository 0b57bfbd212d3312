#include "app/view.h"

#include <algorithm>

#include "app/client.h"

namespace telorad {

Size StartWindowSize(Size screen, std::int32_t menuBarWidth) {
    std::int32_t width = std::max(screen.width / 2, menuBarWidth);
    if (screen.width > 0) width = std::min(width, screen.width);
    return {width, screen.height / 2};
}

void FitWindowToPicture(Client& client) {
    WindowSystem& window = client.window;
    ViewState& view = client.view;
    const std::int32_t pictureWidth = client.framebuffer.width;
    const std::int32_t pictureHeight = client.framebuffer.height;

    view.scrollX = 0;
    view.scrollY = 0;

    const std::int32_t width = pictureWidth + 2 * window.FrameWidth();
    view.maxWindowWidth = width;
    const std::int32_t fittedWidth = std::min(width, kFitMaxWidth);

    std::int32_t height = pictureHeight + kNonClientHeightGuess;
    view.maxWindowHeight = height;
    window.ResizeWindow({fittedWidth, std::min(height, kFitMaxHeight)});

    // Now the real non-client height is known; a horizontal bar does not count toward it.
    const Size inner = window.ClientSize();
    const Size outer = window.WindowSize();
    height = pictureHeight + (outer.height - inner.height);
    if (window.HasHorizontalScrollBar()) height -= window.HorizontalScrollBarHeight();
    view.maxWindowHeight = height;
    window.ResizeWindow({fittedWidth, std::min(height, kFitMaxHeight)});
    // A resize to the size the window already has delivers no size change, and the bars would
    // keep the last picture's range; set them as a fresh viewer would.
    OnClientSizeChanged(client);

    const Size visible = window.ClientSize();
    const PixelRect corner =
        VisibleRect(view, visible.width, visible.height, pictureWidth, pictureHeight);
    if (!corner.Empty()) window.PaintNow(client.framebuffer, corner, 0, 0);
}

void OnClientSizeChanged(Client& client) {
    WindowSystem& window = client.window;
    ViewState& view = client.view;
    const Size size = window.ClientSize();
    view.scrollX = PullBackOffset(view.scrollX, size.width, client.framebuffer.width);
    view.scrollY = PullBackOffset(view.scrollY, size.height, client.framebuffer.height);

    view.hScrollInfo = {0, client.framebuffer.width - 1, size.width, view.scrollX};
    window.SetScrollBar(ScrollBarKind::Horizontal, view.hScrollInfo);
    // Showing or hiding the horizontal bar changes the client height.
    const Size after = window.ClientSize();
    view.vScrollInfo = {0, client.framebuffer.height - 1, after.height, view.scrollY};
    window.SetScrollBar(ScrollBarKind::Vertical, view.vScrollInfo);
}

}  // namespace telorad
