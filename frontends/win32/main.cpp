// telorad.exe: the window, the client started before the window shows, then the one loop of
// the program (main_loop.h).
#include "main_loop.h"

#include "app/client.h"
#include "app/main_window.h"
#include "app/session.h"
#include "main_window.h"
#include "resource.h"
#include "win32_window_system.h"

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

    return win32::MainLoop(window, accelerators, client).Run();
}
