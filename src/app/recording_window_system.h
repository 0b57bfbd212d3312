#pragma once
// A window system for tests: keeps menu marks and a simple window geometry, and records every
// request the core makes, so a test reads like the user's story.
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/window_system.h"

namespace telorad {

class RecordingWindowSystem : public WindowSystem {
public:
    struct MessageBoxCall {
        std::string text;
        std::string caption;
        MessageBoxStyle style;
    };
    struct PaintCall {
        PixelRect source;
        std::int32_t windowX;
        std::int32_t windowY;
    };

    void ShowMessageBox(std::string_view text, std::string_view caption,
                        MessageBoxStyle style) override;
    void PaintNow(const ScreenBitmap& framebuffer, const PixelRect& source, std::int32_t windowX,
                  std::int32_t windowY) override;
    Size ClientSize() override;
    Size WindowSize() override { return outer; }
    void ResizeWindow(Size size) override;
    bool HasHorizontalScrollBar() override { return horizontalBarShown; }
    bool HasVerticalScrollBar() override { return verticalBarShown; }
    std::int32_t FrameWidth() override { return frameWidth; }
    std::int32_t HorizontalScrollBarHeight() override { return scrollBarSize; }
    std::int32_t VerticalScrollBarWidth() override { return scrollBarSize; }
    void SetScrollBar(ScrollBarKind bar, const ScrollBarInfo& info) override;
    void EnableMenuItem(int command, bool enabled) override;
    bool IsMenuItemEnabled(int command) override;
    void CheckMenuItem(int command, bool checked) override;
    bool IsMenuItemChecked(int command) override;
    void CheckMenuRadioItem(int first, int last, int chosen) override;
    void ScrollClientArea(std::int32_t dx, std::int32_t dy) override;
    void RepaintNow() override;
    bool IsKeyDown(int virtualKey) override;
    std::uint32_t TickCount() override { return tickCount; }
    void CopyToClipboard(const ScreenBitmap& framebuffer) override;
    std::optional<std::string> AskSaveFileName() override;
    bool PrintPicture(const ScreenBitmap& framebuffer,
                      const std::function<PixelRect(Size printable)>& fit) override;
    int RunConnectDialog(ConnectForm& form) override;
    std::optional<std::string> RunCommandDialog(std::string_view shownText) override;
    void DestroyMainWindow() override;

    // Releases every key, as a window that lost the keyboard focus reports them.
    void ReleaseAllKeys() { keysDown.fill(false); }

    // Geometry model: the client area is the outer size less two frames, the caption and menu,
    // and the scroll bars that are shown.
    Size outer{960, 540};
    std::int32_t frameWidth = 4;
    std::int32_t captionAndMenuHeight = 42;
    std::int32_t scrollBarSize = 17;
    bool horizontalBarShown = false;
    bool verticalBarShown = false;
    ScrollBarInfo horizontalBar;
    ScrollBarInfo verticalBar;

    // Scripted answers.
    std::array<bool, 256> keysDown{};  // by virtual-key code
    std::uint32_t tickCount = 0;
    std::optional<std::string> saveFileName;  // std::nullopt: the save dialog is cancelled
    std::optional<Size> printableSize;        // std::nullopt: the print dialog is cancelled
    // The connect dialog: edits the form as the user would and returns 1 (OK) or 2 (Cancel).
    // Without a script the dialog is cancelled.
    std::function<int(ConnectForm&)> onConnectDialog;
    // The command dialog's answer, used once (later runs are cancelled); std::nullopt: Cancel.
    std::optional<std::string> commandText;
    std::vector<std::string> commandDialogTexts;  // what each run showed in its field

    // Called after every change of the client area, as a window system delivers size messages.
    std::function<void()> onClientSizeChanged;
    // Called when a message box is shown (after recording it), e.g. to act while it is open.
    std::function<void(const MessageBoxCall&)> onMessageBox;

    std::vector<MessageBoxCall> messageBoxes;
    std::vector<PaintCall> paints;
    std::vector<Size> resizes;
    std::map<int, bool> menuEnabled;  // items never touched count as enabled
    std::map<int, bool> menuChecked;
    std::vector<std::string> calls;   // every request, in order, as text
    struct ScrollCall {
        std::int32_t dx;
        std::int32_t dy;
    };
    std::vector<ScrollCall> scrolls;
    int repaints = 0;
    std::vector<ScreenBitmap> clipboard;  // every picture copied, in order
    int saveDialogs = 0;
    std::vector<PixelRect> printedPages;  // the page rectangle of every print
    int connectDialogs = 0;
    int commandDialogs = 0;
    bool destroyed = false;

private:
    void NotifySizeChanged();
    int sizeNotifyDepth_ = 0;
};

}  // namespace telorad
