#pragma once
// The core's WindowSystem on Win32: the main window's menu, scroll bars, painting from the
// framebuffer, key state, clipboard, common dialogs and the two dialog resources.
#include <windows.h>

#include "app/window_system.h"

namespace telorad {
struct Client;
}

namespace telorad::win32 {

class Win32WindowSystem : public WindowSystem {
  public:
    explicit Win32WindowSystem(HINSTANCE instance) : instance_(instance) {}
    void AttachWindow(HWND window) { window_ = window; }
    void AttachClient(Client* client) { client_ = client; }
    HWND Window() const { return window_; }

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxStyle style) override;
    void PaintNow(const ScreenBitmap& framebuffer, const PixelRect& source, std::int32_t windowX,
                  std::int32_t windowY) override;
    Size ClientSize() override;
    Size WindowSize() override;
    void ResizeWindow(Size outer) override;
    bool HasHorizontalScrollBar() override;
    bool HasVerticalScrollBar() override;
    std::int32_t FrameWidth() override;
    std::int32_t HorizontalScrollBarHeight() override;
    std::int32_t VerticalScrollBarWidth() override;
    void SetScrollBar(ScrollBarKind bar, const ScrollBarInfo& info) override;
    void EnableMenuItem(int command, bool enabled) override;
    bool IsMenuItemEnabled(int command) override;
    void CheckMenuItem(int command, bool checked) override;
    bool IsMenuItemChecked(int command) override;
    void CheckMenuRadioItem(int first, int last, int chosen) override;
    void ScrollClientArea(std::int32_t dx, std::int32_t dy) override;
    void RepaintNow() override;
    bool IsKeyDown(int virtualKey) override;
    std::uint32_t TickCount() override;
    void CopyToClipboard(const ScreenBitmap& framebuffer) override;
    std::optional<std::string> AskSaveFileName() override;
    bool PrintPicture(const ScreenBitmap& framebuffer,
                      const std::function<PixelRect(Size printable)>& fit) override;
    int RunConnectDialog(ConnectForm& form) override;
    std::optional<std::string> RunCommandDialog(std::string_view shownText) override;
    void DestroyMainWindow() override;

  private:
    HINSTANCE instance_;
    HWND window_ = nullptr;
    Client* client_ = nullptr;
};

// Copies part of the framebuffer (top-down rows, drawn as they are) onto a drawing context.
void DrawFramebuffer(HDC target, const ScreenBitmap& framebuffer, const PixelRect& source,
                     std::int32_t x, std::int32_t y);

}  // namespace telorad::win32
