#pragma once
// A window system with no window, for headless use: message boxes go to a callback (or
// nowhere), painting and menus do nothing, the "window" is as large as the picture, every
// dialog is cancelled and no key is down.
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/window_system.h"

namespace telorad {

class NullWindowSystem : public WindowSystem {
public:
    std::function<void(std::string_view text, std::string_view caption)> onMessageBox;

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxStyle) override {
        if (onMessageBox) onMessageBox(text, caption);
    }
    void PaintNow(const ScreenBitmap&, const PixelRect&, std::int32_t, std::int32_t) override {}
    Size ClientSize() override { return size_; }
    Size WindowSize() override { return size_; }
    void ResizeWindow(Size outer) override { size_ = outer; }
    bool HasHorizontalScrollBar() override { return false; }
    bool HasVerticalScrollBar() override { return false; }
    std::int32_t FrameWidth() override { return 0; }
    std::int32_t HorizontalScrollBarHeight() override { return 0; }
    std::int32_t VerticalScrollBarWidth() override { return 0; }
    void SetScrollBar(ScrollBarKind, const ScrollBarInfo&) override {}
    void EnableMenuItem(int, bool) override {}
    bool IsMenuItemEnabled(int) override { return true; }
    void CheckMenuItem(int, bool) override {}
    bool IsMenuItemChecked(int) override { return false; }
    void CheckMenuRadioItem(int, int, int) override {}
    void ScrollClientArea(std::int32_t, std::int32_t) override {}
    void RepaintNow() override {}
    bool IsKeyDown(int) override { return false; }
    std::uint32_t TickCount() override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    void CopyToClipboard(const ScreenBitmap&) override {}
    std::optional<std::string> AskSaveFileName() override { return std::nullopt; }
    bool PrintPicture(const ScreenBitmap&, const std::function<PixelRect(Size)>&) override {
        return false;
    }
    int RunConnectDialog(ConnectForm&) override { return 2; }
    std::optional<std::string> RunCommandDialog(std::string_view) override {
        return std::nullopt;
    }
    void DestroyMainWindow() override { destroyed = true; }

    bool destroyed = false;

private:
    Size size_{kStartupWidth, kStartupHeight};
};

}  // namespace telorad
