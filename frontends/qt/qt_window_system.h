#pragma once
// The core's window system on Qt 6 Widgets: every request of the core becomes the matching call
// on the main window, its menu, a dialog or the clipboard.
#include <chrono>

#include "app/window_system.h"

namespace telorad::qt {

class ViewerWindow;

class QtWindowSystem : public WindowSystem {
  public:
    explicit QtWindowSystem(ViewerWindow& window);

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
    ViewerWindow& window_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace telorad::qt
