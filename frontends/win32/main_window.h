#pragma once
// The main window: class "Orliq", and a window procedure that turns its messages into the
// core's calls.
#include <windows.h>

namespace telorad::win32 {

inline constexpr wchar_t kWindowClassName[] = L"Orliq";
inline constexpr wchar_t kWindowTitle[] = L"Client";

bool RegisterMainWindowClass(HINSTANCE instance);

// Half the screen, at the system's default position; the client is attached later.
HWND CreateMainWindow(HINSTANCE instance);

}  // namespace telorad::win32
