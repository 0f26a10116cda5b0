#include "tests/ui/uitest.h"

#include "ui/application.h"

namespace corv::test {

namespace {
std::function<void()> g_pending;

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto action = std::move(g_pending);
    g_pending = nullptr;
    if (action) action();
}
} // namespace

void Pump(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        ui::App().ProcessMessages();
        Sleep(5);
    } while (GetTickCount() < end);
    ui::App().ProcessMessages();
}

void PostKey(HWND window, WORD key, UINT message) {
    const LPARAM flags = message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001) : 1;
    PostMessageA(window, message, key, flags);
    Pump(10);
}

std::string WindowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void AfterMessages(std::function<void()> action, UINT delay) {
    g_pending = std::move(action);
    SetTimer(nullptr, 0, delay, &RunPending);
}

void ChooseMenuItem(int downs) {
    HWND menu = FindWindowA("#32768", nullptr);
    for (int i = 0; i < downs; ++i)
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 1);
}

void ForgetQuit() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ui::App().ResetTerminated();
}

RECT PlaceInParent(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace corv::test
