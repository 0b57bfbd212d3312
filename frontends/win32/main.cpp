// telorad.exe: the window, the client started before the window shows, then the one loop of
// the program: every waiting window message (through the accelerator table), the network drain
// while connected, a pause of 10 ms.
#include <windows.h>

#include "app/client.h"
#include "app/main_window.h"
#include "app/session.h"
#include "main_window.h"
#include "resource.h"
#include "win32_window_system.h"

namespace {

// False when the quit request is next; it stays in the queue for the shutdown loop.
bool ProcessWindowMessages(HWND window, HACCEL accelerators) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) return false;
        GetMessageW(&message, nullptr, 0, 0);
        // No TranslateMessage: the window never receives character messages.
        if (!TranslateAcceleratorW(window, accelerators, &message)) DispatchMessageW(&message);
    }
    return true;
}

int DrainUntilQuit(HWND window, HACCEL accelerators) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(window, accelerators, &message)) DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    using namespace telorad;
    if (!win32::RegisterMainWindowClass(instance)) return 0;
    win32::Win32WindowSystem windowSystem(instance);
    const HWND window = win32::CreateMainWindow(instance);
    if (window == nullptr) return 0;
    windowSystem.AttachWindow(window);
    const HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

    Client client(windowSystem);
    windowSystem.AttachClient(&client);
    StartClient(client, {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&client));

    ShowWindow(window, showCommand);
    UpdateWindow(window);
    DragAcceptFiles(window, TRUE);

    while (ProcessWindowMessages(window, accelerators)) {
        DrainNetwork(client);  // does nothing without a connection
        Sleep(10);
    }
    return DrainUntilQuit(window, accelerators);
}
