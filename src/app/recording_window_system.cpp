#include "app/recording_window_system.h"

#include <utility>

namespace telorad {

void RecordingWindowSystem::ShowMessageBox(std::string_view text, std::string_view caption,
                                           MessageBoxStyle style) {
    messageBoxes.push_back({std::string(text), std::string(caption), style});
    calls.push_back("MessageBox " + std::string(text) + " / " + std::string(caption));
    if (onMessageBox) onMessageBox(messageBoxes.back());
}

void RecordingWindowSystem::PaintNow(const ScreenBitmap&, const PixelRect& source,
                                     std::int32_t windowX, std::int32_t windowY) {
    paints.push_back({source, windowX, windowY});
}

Size RecordingWindowSystem::ClientSize() {
    Size client{outer.width - 2 * frameWidth, outer.height - 2 * frameWidth - captionAndMenuHeight};
    if (verticalBarShown) client.width -= scrollBarSize;
    if (horizontalBarShown) client.height -= scrollBarSize;
    if (client.width < 0) client.width = 0;
    if (client.height < 0) client.height = 0;
    return client;
}

void RecordingWindowSystem::ResizeWindow(Size size) {
    resizes.push_back(size);
    calls.push_back("Resize " + std::to_string(size.width) + "x" + std::to_string(size.height));
    const bool changed = size.width != outer.width || size.height != outer.height;
    outer = size;
    if (changed) NotifySizeChanged();
}

void RecordingWindowSystem::SetScrollBar(ScrollBarKind bar, const ScrollBarInfo& info) {
    const bool horizontal = bar == ScrollBarKind::Horizontal;
    (horizontal ? horizontalBar : verticalBar) = info;
    bool& shown = horizontal ? horizontalBarShown : verticalBarShown;
    const bool show = info.page < info.max - info.min + 1;
    if (show != shown) {
        shown = show;
        NotifySizeChanged();  // a bar appearing or going changes the client area
    }
}

void RecordingWindowSystem::NotifySizeChanged() {
    if (!onClientSizeChanged || sizeNotifyDepth_ > 4) return;
    ++sizeNotifyDepth_;
    onClientSizeChanged();
    --sizeNotifyDepth_;
}

void RecordingWindowSystem::EnableMenuItem(int command, bool enabled) {
    menuEnabled[command] = enabled;
    calls.push_back((enabled ? "Enable " : "Gray ") + std::to_string(command));
}

bool RecordingWindowSystem::IsMenuItemEnabled(int command) {
    const auto found = menuEnabled.find(command);
    return found == menuEnabled.end() || found->second;
}

void RecordingWindowSystem::CheckMenuItem(int command, bool checked) {
    menuChecked[command] = checked;
    calls.push_back((checked ? "Check " : "Uncheck ") + std::to_string(command));
}

bool RecordingWindowSystem::IsMenuItemChecked(int command) {
    const auto found = menuChecked.find(command);
    return found != menuChecked.end() && found->second;
}

void RecordingWindowSystem::CheckMenuRadioItem(int first, int last, int chosen) {
    for (int command = first; command <= last; ++command) menuChecked[command] = command == chosen;
    calls.push_back("Radio " + std::to_string(chosen));
}

void RecordingWindowSystem::ScrollClientArea(std::int32_t dx, std::int32_t dy) {
    scrolls.push_back({dx, dy});
    calls.push_back("Scroll " + std::to_string(dx) + "," + std::to_string(dy));
}

void RecordingWindowSystem::RepaintNow() {
    ++repaints;
    calls.push_back("Repaint");
}

bool RecordingWindowSystem::IsKeyDown(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= static_cast<int>(keysDown.size())) return false;
    return keysDown[static_cast<std::size_t>(virtualKey)];
}

void RecordingWindowSystem::CopyToClipboard(const ScreenBitmap& framebuffer) {
    clipboard.push_back(framebuffer);
    calls.push_back("Copy " + std::to_string(framebuffer.width) + "x" +
                    std::to_string(framebuffer.height));
}

std::optional<std::string> RecordingWindowSystem::AskSaveFileName() {
    ++saveDialogs;
    calls.push_back("SaveDialog");
    return saveFileName;
}

bool RecordingWindowSystem::PrintPicture(const ScreenBitmap&,
                                         const std::function<PixelRect(Size printable)>& fit) {
    calls.push_back("PrintDialog");
    if (!printableSize) return false;
    printedPages.push_back(fit(*printableSize));
    return true;
}

int RecordingWindowSystem::RunConnectDialog(ConnectForm& form) {
    ++connectDialogs;
    calls.push_back("ConnectDialog");
    return onConnectDialog ? onConnectDialog(form) : 2;
}

std::optional<std::string> RecordingWindowSystem::RunCommandDialog(std::string_view shownText) {
    ++commandDialogs;
    calls.push_back("CommandDialog");
    commandDialogTexts.emplace_back(shownText);
    return std::exchange(commandText, std::nullopt);
}

void RecordingWindowSystem::DestroyMainWindow() {
    destroyed = true;
    calls.push_back("DestroyMainWindow");
}

}  // namespace telorad
