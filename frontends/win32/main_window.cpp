#include "main_window.h"

#include <shellapi.h>

#include "app/client.h"
#include "app/main_window.h"
#include "app/view.h"
#include "resource.h"
#include "win32_window_system.h"

namespace telorad::win32 {
namespace {

Client* AttachedClient(HWND window) {
    return reinterpret_cast<Client*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

std::int32_t LowWord(LPARAM value) { return LOWORD(static_cast<DWORD_PTR>(value)); }
std::int32_t HighWord(LPARAM value) { return HIWORD(static_cast<DWORD_PTR>(value)); }

void Paint(HWND window, Client& client) {
    PAINTSTRUCT paint;
    HDC context = BeginPaint(window, &paint);
    // The whole client area is copied; the system clips it to what needs repainting.
    DrawFramebuffer(context, client.framebuffer, VisiblePart(client), 0, 0);
    EndPaint(window, &paint);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Client* client = AttachedClient(window);
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_DROPFILES) {
        DragFinish(reinterpret_cast<HDROP>(wParam));  // accepted, released, ignored
        return 0;
    }
    if (client == nullptr) return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
        case WM_COMMAND:
            HandleCommand(*client, LOWORD(wParam));
            break;
        case WM_PAINT:
            Paint(window, *client);
            return 0;
        case WM_SIZE:
            OnClientSizeChanged(*client);
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
            OnScrollRequest(*client,
                            message == WM_HSCROLL ? ScrollBarKind::Horizontal
                                                  : ScrollBarKind::Vertical,
                            LOWORD(wParam), HIWORD(wParam));
            break;
        case WM_MOUSEWHEEL:
            OnMouseWheel(*client, LOWORD(wParam), static_cast<short>(HIWORD(wParam)));
            break;
        case WM_MOUSEMOVE:
            OnMouseMove(*client, LowWord(lParam), HighWord(lParam));
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            OnMouseButton(*client, message, LowWord(lParam), HighWord(lParam));
            break;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            // Consumed in every mode: no menu by Alt or F10, no Alt+F4.
            OnKeyEvent(*client);
            return 0;
        case WM_KILLFOCUS:
            OnFocusLost(*client);  // no key stays held on the server
            break;
        case WM_SIZING: {
            auto* proposed = reinterpret_cast<RECT*>(lParam);
            const Size limited = LimitWindowSize(
                *client, {proposed->right - proposed->left, proposed->bottom - proposed->top});
            proposed->right = proposed->left + limited.width;
            proposed->bottom = proposed->top + limited.height;
            break;
        }
        case WM_DPICHANGED: {
            // The picture stays one framebuffer pixel to one device pixel; only the frame moves.
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_TELORAD));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    windowClass.lpszClassName = kWindowClassName;
    return RegisterClassW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, kWindowClassName, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                           CW_USEDEFAULT, GetSystemMetrics(SM_CXSCREEN) / 2,
                           GetSystemMetrics(SM_CYSCREEN) / 2, nullptr, nullptr, instance, nullptr);
}

}  // namespace telorad::win32
