// Corvane's entry: settings first, then the main window, then the event loop.
#include "settings/pathtext.h"
#include "settings/store.h"
#include "ui/application.h"

#include <windows.h>

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        corv::SaveSettings();
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        corv::SetMainWindowHandle(nullptr);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    corv::LoadSettings();

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "TMainForm";
    windowClass.hIcon = LoadIconA(instance, "MAINICON");
    if (!RegisterClassA(&windowClass)) return 1;

    HWND window = CreateWindowExA(0, "TMainForm", "Corvane", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 606,
                                  467, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    corv::SetMainWindowHandle(window);
    ShowWindow(window, corv::Maximized ? SW_SHOWMAXIMIZED : showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
