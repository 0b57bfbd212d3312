#pragma once
// The one interface between the core and a front end: what the client asks of its window system.
// No toolkit type crosses it. Front ends implement it; tests use RecordingWindowSystem.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "screen/screen_bitmap.h"
#include "screen/update_rect.h"
#include "screen/viewport.h"

namespace telorad {

enum class MessageBoxStyle { Ok, Warning };
enum class ScrollBarKind { Horizontal, Vertical };

class ConnectForm;

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A modal message box owned by the main window; returns when the user closed it.
    virtual void ShowMessageBox(std::string_view text, std::string_view caption,
                                MessageBoxStyle style) = 0;

    // Draws the framebuffer rectangle `source` onto the client area with its corner at
    // (windowX, windowY), at once (not by invalidating), clipped to the client area.
    virtual void PaintNow(const ScreenBitmap& framebuffer, const PixelRect& source,
                          std::int32_t windowX, std::int32_t windowY) = 0;

    // Window geometry, in pixels. ResizeWindow keeps the position; a front end delivers the
    // resulting client-size change to the core (OnClientSizeChanged) before it returns.
    virtual Size ClientSize() = 0;
    virtual Size WindowSize() = 0;
    virtual void ResizeWindow(Size outer) = 0;
    virtual bool HasHorizontalScrollBar() = 0;
    virtual bool HasVerticalScrollBar() = 0;
    virtual std::int32_t FrameWidth() = 0;                 // one side's sizing border
    virtual std::int32_t HorizontalScrollBarHeight() = 0;
    virtual std::int32_t VerticalScrollBarWidth() = 0;

    // Sets range, page and position of a scroll bar. The window system shows the bar exactly
    // when its page is smaller than its range (max - min + 1) and hides it otherwise.
    virtual void SetScrollBar(ScrollBarKind bar, const ScrollBarInfo& info) = 0;

    // Menu items by command identifier.
    virtual void EnableMenuItem(int command, bool enabled) = 0;
    virtual bool IsMenuItemEnabled(int command) = 0;
    virtual void CheckMenuItem(int command, bool checked) = 0;
    virtual bool IsMenuItemChecked(int command) = 0;
    // Puts the radio mark on `chosen` and clears it from the other items first..last.
    virtual void CheckMenuRadioItem(int first, int last, int chosen) = 0;

    // Moves what the client area shows by (dx, dy) pixels and marks the uncovered strips for
    // repainting; RepaintNow then repaints every marked region from the framebuffer at once.
    virtual void ScrollClientArea(std::int32_t dx, std::int32_t dy) = 0;
    virtual void RepaintNow() = 0;

    // Whether the key with this Windows virtual-key code (0-255) is down as of the event
    // being handled. A window that lost the keyboard focus reports every key up.
    virtual bool IsKeyDown(int virtualKey) = 0;
    // Milliseconds since some fixed moment, wrapping at 2^32.
    virtual std::uint32_t TickCount() = 0;

    // Puts the whole framebuffer on the clipboard as an image.
    virtual void CopyToClipboard(const ScreenBitmap& framebuffer) = 0;
    // The save dialog for a BMP file: std::nullopt when cancelled.
    virtual std::optional<std::string> AskSaveFileName() = 0;
    // The print dialog, then one page with the whole framebuffer stretched (smoothly) onto the
    // rectangle that `fit` computes from the printable size in device pixels; false when the
    // user cancelled.
    virtual bool PrintPicture(const ScreenBitmap& framebuffer,
                              const std::function<PixelRect(Size printable)>& fit) = 0;

    // Modal dialogs owned by the main window. The connect dialog edits the form and returns
    // 1 after OK, 2 after Cancel; the command dialog opens with `shownText` in its field (empty
    // unless the core reopens it after refusing a text) and returns the text as it was when
    // confirmed (UTF-8), or std::nullopt after Cancel.
    virtual int RunConnectDialog(ConnectForm& form) = 0;
    virtual std::optional<std::string> RunCommandDialog(std::string_view shownText) = 0;

    // Destroys the main window; the main loop then ends.
    virtual void DestroyMainWindow() = 0;
};

}  // namespace telorad
