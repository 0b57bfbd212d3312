#include "win32_window_system.h"

#include <commdlg.h>

#include <cstring>
#include <vector>

#include "dialogs.h"
#include "hosts/utf16_win32.h"
#include "screen/bmp_file.h"

namespace telorad::win32 {
namespace {

constexpr std::size_t kBmpFileHeaderBytes = 14;

RECT ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

bool HasStyle(HWND window, LONG_PTR style) {
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) != 0;
}

// A screen-compatible copy of the whole picture, selected into a memory context, for StretchBlt.
class PictureContext {
  public:
    PictureContext(HDC reference, const ScreenBitmap& framebuffer)
        : context_(CreateCompatibleDC(reference)),
          bitmap_(CreateCompatibleBitmap(reference, framebuffer.width, framebuffer.height)) {
        if (context_ == nullptr || bitmap_ == nullptr) return;
        previous_ = SelectObject(context_, bitmap_);
        DrawFramebuffer(context_, framebuffer, {0, 0, framebuffer.width, framebuffer.height}, 0,
                        0);
    }
    ~PictureContext() {
        if (previous_ != nullptr) SelectObject(context_, previous_);
        if (bitmap_ != nullptr) DeleteObject(bitmap_);
        if (context_ != nullptr) DeleteDC(context_);
    }
    PictureContext(const PictureContext&) = delete;
    PictureContext& operator=(const PictureContext&) = delete;
    HDC get() const { return previous_ != nullptr ? context_ : nullptr; }

  private:
    HDC context_;
    HBITMAP bitmap_;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace

void Win32WindowSystem::ShowMessageBox(std::string_view text, std::string_view caption,
                                       MessageBoxStyle style) {
    MessageBoxW(window_, WidenUtf8(text).c_str(), WidenUtf8(caption).c_str(),
                MB_OK | (style == MessageBoxStyle::Warning ? MB_ICONWARNING : 0));
}

void Win32WindowSystem::PaintNow(const ScreenBitmap& framebuffer, const PixelRect& source,
                                 std::int32_t windowX, std::int32_t windowY) {
    HDC context = GetDC(window_);
    if (context == nullptr) return;
    DrawFramebuffer(context, framebuffer, source, windowX, windowY);
    ReleaseDC(window_, context);
}

Size Win32WindowSystem::ClientSize() {
    const RECT rect = ClientRect(window_);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

Size Win32WindowSystem::WindowSize() {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void Win32WindowSystem::ResizeWindow(Size outer) {
    // WM_SIZE reaches the core before SetWindowPos returns.
    SetWindowPos(window_, nullptr, 0, 0, outer.width, outer.height, SWP_NOMOVE | SWP_NOZORDER);
}

bool Win32WindowSystem::HasHorizontalScrollBar() { return HasStyle(window_, WS_HSCROLL); }
bool Win32WindowSystem::HasVerticalScrollBar() { return HasStyle(window_, WS_VSCROLL); }
std::int32_t Win32WindowSystem::FrameWidth() { return GetSystemMetrics(SM_CXFRAME); }
std::int32_t Win32WindowSystem::HorizontalScrollBarHeight() {
    return GetSystemMetrics(SM_CYHSCROLL);
}
std::int32_t Win32WindowSystem::VerticalScrollBarWidth() { return GetSystemMetrics(SM_CXVSCROLL); }

void Win32WindowSystem::SetScrollBar(ScrollBarKind bar, const ScrollBarInfo& info) {
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    scroll.nMin = info.min;
    scroll.nMax = info.max;
    scroll.nPage = static_cast<UINT>(info.page < 0 ? 0 : info.page);
    scroll.nPos = info.pos;
    SetScrollInfo(window_, bar == ScrollBarKind::Horizontal ? SB_HORZ : SB_VERT, &scroll, TRUE);
}

void Win32WindowSystem::EnableMenuItem(int command, bool enabled) {
    ::EnableMenuItem(GetMenu(window_), static_cast<UINT>(command),
                     MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool Win32WindowSystem::IsMenuItemEnabled(int command) {
    const UINT state = GetMenuState(GetMenu(window_), static_cast<UINT>(command), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

void Win32WindowSystem::CheckMenuItem(int command, bool checked) {
    ::CheckMenuItem(GetMenu(window_), static_cast<UINT>(command),
                    MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool Win32WindowSystem::IsMenuItemChecked(int command) {
    const UINT state = GetMenuState(GetMenu(window_), static_cast<UINT>(command), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_CHECKED) != 0;
}

void Win32WindowSystem::CheckMenuRadioItem(int first, int last, int chosen) {
    ::CheckMenuRadioItem(GetMenu(window_), static_cast<UINT>(first), static_cast<UINT>(last),
                         static_cast<UINT>(chosen), MF_BYCOMMAND);
}

void Win32WindowSystem::ScrollClientArea(std::int32_t dx, std::int32_t dy) {
    ScrollWindow(window_, dx, dy, nullptr, nullptr);
}

void Win32WindowSystem::RepaintNow() { UpdateWindow(window_); }

bool Win32WindowSystem::IsKeyDown(int virtualKey) {
    // Without the focus the window hears no key go up, so it reports every key up.
    if (GetFocus() != window_) return false;
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

std::uint32_t Win32WindowSystem::TickCount() { return GetTickCount(); }

void Win32WindowSystem::CopyToClipboard(const ScreenBitmap& framebuffer) {
    // CF_DIB is a BMP file without its 14-byte file header.
    const std::vector<std::uint8_t> file = EncodeBmpFile(framebuffer);
    if (file.size() <= kBmpFileHeaderBytes) return;
    const std::size_t size = file.size() - kBmpFileHeaderBytes;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == nullptr) return;
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        return;
    }
    std::memcpy(target, file.data() + kBmpFileHeaderBytes, size);
    GlobalUnlock(memory);
    if (!OpenClipboard(window_)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_DIB, memory) == nullptr) GlobalFree(memory);  // else it is theirs
    CloseClipboard();
}

std::optional<std::string> Win32WindowSystem::AskSaveFileName() {
    wchar_t file[512] = {};
    static constexpr wchar_t kFilter[] = L"ビットマップ\0*.bmp\0すべて(*.*)\0*.*\0";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = static_cast<DWORD>(std::size(file));
    dialog.lpstrTitle = L"保存";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = L"bmp";
    if (!GetSaveFileNameW(&dialog)) return std::nullopt;
    return NarrowToUtf8(file);
}

bool Win32WindowSystem::PrintPicture(const ScreenBitmap& framebuffer,
                                     const std::function<PixelRect(Size printable)>& fit) {
    PRINTDLGW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.nCopies = 1;
    dialog.Flags = PD_NOSELECTION | PD_COLLATE | PD_RETURNDC | PD_HIDEPRINTTOFILE;
    if (!PrintDlgW(&dialog) || dialog.hDC == nullptr) return false;
    HDC printer = dialog.hDC;
    const PixelRect page =
        fit({GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES)});
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = L"Orliq Viewer";
    StartDocW(printer, &document);
    StartPage(printer);
    {
        const PictureContext picture(printer, framebuffer);
        if (picture.get() != nullptr) {
            SetStretchBltMode(printer, HALFTONE);
            SetBrushOrgEx(printer, 0, 0, nullptr);
            StretchBlt(printer, page.x, page.y, page.width, page.height, picture.get(), 0, 0,
                       framebuffer.width, framebuffer.height, SRCCOPY);
        }
    }
    EndPage(printer);
    EndDoc(printer);
    DeleteDC(printer);
    if (dialog.hDevMode != nullptr) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames != nullptr) GlobalFree(dialog.hDevNames);
    return true;
}

int Win32WindowSystem::RunConnectDialog(ConnectForm& form) {
    return RunConnectDialogBox(instance_, window_, form, client_);
}

std::optional<std::string> Win32WindowSystem::RunCommandDialog(std::string_view shownText) {
    return RunCommandDialogBox(instance_, window_, shownText);
}

void Win32WindowSystem::DestroyMainWindow() { DestroyWindow(window_); }

}  // namespace telorad::win32
