#include "tests/ui/uitest.h"

#include "base/wide.h"

#include "base/handles.h"

#include "ui/application.h"

#include <vector>

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

bool RunUntil(const std::function<bool()>& done, int milliseconds) {
    const DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < static_cast<DWORD>(milliseconds)) {
        ui::App().ProcessMessages();
        if (!done()) MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, 0);
    }
    ui::App().ProcessMessages();
    return done();
}

void PostKey(HWND window, WORD key, UINT message) {
    const LPARAM flags = message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001) : 1;
    PostMessageA(window, message, key, flags);
    Pump(10);
}

std::string WindowText(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return Utf8(text);
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

void PressKey(WORD key) {
    INPUT inputs[2]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
    Pump(50);
}

namespace {
std::string BesideThisProgram(const char* name) {
    char path[MAX_PATH + 1] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length);
    return result.substr(0, result.find_last_of('\\') + 1) + name;
}

BOOL CALLBACK FindViewer(HWND window, LPARAM param) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "MS_WINHELP" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

// What a window of another process shows: WM_GETTEXT, which the system carries across processes.
std::string ForeignText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) || length == 0)
        return {};
    std::vector<char> text(length + 1);
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return std::string(text.data(), copied);
}

BOOL CALLBACK CollectText(HWND window, LPARAM param) {
    auto* text = reinterpret_cast<std::string*>(param);
    *text += ForeignText(window);
    *text += '\n';
    return TRUE;
}
} // namespace

std::string BuiltHelpFile() {
    return BesideThisProgram("CORV32.HLP");
}

std::string BuiltContentsFile() {
    return BesideThisProgram("CORV32.CNT");
}

HelpViewer WaitForHelpViewer(const std::string& expected, DWORD timeoutMs) {
    HelpViewer seen;
    const DWORD end = GetTickCount() + timeoutMs;
    do {
        HWND window = nullptr;
        EnumWindows(&FindViewer, reinterpret_cast<LPARAM>(&window));
        if (window) {
            seen.window = window;
            GetWindowThreadProcessId(window, &seen.process);
            seen.caption = ForeignText(window);
            seen.text.clear();
            EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&seen.text));
            if (seen.text.find(expected) != std::string::npos) break;
        }
        Pump(100);
    } while (GetTickCount() < end);
    return seen;
}

bool HelpViewerEnds(DWORD process, DWORD timeoutMs) {
    const KernelHandle handle(OpenProcess(SYNCHRONIZE, FALSE, process));
    if (!handle) return true; // gone already
    const DWORD end = GetTickCount() + timeoutMs;
    bool ended = false;
    do {
        ended = WaitForSingleObject(handle.Get(), 0) == WAIT_OBJECT_0;
        if (!ended) Pump(100);
    } while (!ended && GetTickCount() < end);
    return ended;
}

} // namespace corv::test
