// Helper for tools/run: waits until a top-level window whose caption starts with a text has painted,
// presses F1 in it and waits until the help viewer shows, or asks it to close and waits until it is gone.
//   winwait wait  CAPTION-PREFIX [SECONDS]
//   winwait f1    CAPTION-PREFIX [SECONDS]
//   winwait close CAPTION-PREFIX [SECONDS]
//   winwait syscommand CAPTION-PREFIX ID   (a command of the window's system menu, as if chosen there)
//   winwait run COMMAND-LINE   (starts a program with exactly that command line, as the shell would
//                 start an uninstall command, waits for it and exits with its exit code)
//   winwait click CAPTION-PREFIX BUTTON-TEXT [SECONDS]   (waits for an enabled button of that text in
//                 such a window, a dialog or a message box, and presses it)
#include "base/handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Search {
    const char* prefix;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char caption[512];
    if (GetWindowTextA(window, caption, sizeof caption) > 0 &&
        std::strncmp(caption, search->prefix, std::strlen(search->prefix)) == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND Find(const char* prefix) {
    Search search{prefix, nullptr};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK MatchViewer(HWND window, LPARAM param) {
    char name[64];
    if (GetClassNameA(window, name, sizeof name) && std::strcmp(name, "MS_WINHELP") == 0 &&
        IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

struct ButtonSearch {
    const char* prefix;
    const char* text;
    HWND found;
};

BOOL CALLBACK MatchButton(HWND control, LPARAM param) {
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    char name[32], text[256];
    if (GetClassNameA(control, name, sizeof name) && lstrcmpiA(name, "Button") == 0 &&
        GetWindowTextA(control, text, sizeof text) && std::strcmp(text, search->text) == 0 &&
        IsWindowVisible(control) && IsWindowEnabled(control)) {
        search->found = control;
        return FALSE;
    }
    return TRUE;
}

// Several windows may share the caption (a setup program and its message boxes): each is searched.
BOOL CALLBACK MatchButtonWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    char caption[512];
    if (GetWindowTextA(window, caption, sizeof caption) > 0 &&
        std::strncmp(caption, search->prefix, std::strlen(search->prefix)) == 0 && IsWindowVisible(window))
        EnumChildWindows(window, MatchButton, param);
    return search->found ? FALSE : TRUE;
}

// Waits until the window answers, then makes every pending paint happen.
bool Settle(HWND window) {
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored)) return false;
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    Sleep(300);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: winwait wait|close CAPTION-PREFIX [SECONDS] | syscommand CAPTION-PREFIX ID\n");
        return 2;
    }
    const std::string verb = argv[1];
    if (verb == "run") {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::string commandLine = argv[2];
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            std::fprintf(stderr, "winwait: cannot start %s\n", argv[2]);
            return 255;
        }
        const corv::KernelHandle thread(process.hThread), child(process.hProcess);
        WaitForSingleObject(child.Get(), INFINITE);
        DWORD exitCode = 255;
        GetExitCodeProcess(child.Get(), &exitCode);
        return static_cast<int>(exitCode);
    }
    const char* prefix = argv[2];
    const DWORD deadline = GetTickCount() + (argc > 3 ? std::atoi(argv[3]) : 60) * 1000u;

    if (verb == "wait") {
        for (;;) {
            if (HWND window = Find(prefix))
                if (Settle(window)) return 0;
            if (GetTickCount() > deadline) break;
            Sleep(100);
        }
        std::fprintf(stderr, "winwait: no window \"%s\" appeared\n", prefix);
        return 1;
    }
    if (verb == "f1") {
        HWND window = Find(prefix);
        if (!window) {
            std::fprintf(stderr, "winwait: no window \"%s\"\n", prefix);
            return 1;
        }
        // A key press as the keyboard makes it, into the window's focused control.
        SetForegroundWindow(window);
        Sleep(200);
        keybd_event(VK_F1, 0, 0, 0);
        keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
        for (;;) {
            HWND viewer = nullptr;
            EnumWindows(MatchViewer, reinterpret_cast<LPARAM>(&viewer));
            if (viewer && Settle(viewer)) return 0;
            if (GetTickCount() > deadline) break;
            Sleep(100);
        }
        std::fprintf(stderr, "winwait: F1 in \"%s\" opened no help viewer\n", prefix);
        return 1;
    }
    if (verb == "close") {
        HWND window = Find(prefix);
        if (!window) return 0;
        PostMessageW(window, WM_CLOSE, 0, 0);
        while (IsWindow(window)) {
            if (GetTickCount() > deadline) {
                std::fprintf(stderr, "winwait: \"%s\" did not close\n", prefix);
                return 1;
            }
            Sleep(100);
        }
        return 0;
    }
    if (verb == "click" && argc > 3) {
        const DWORD clickDeadline = GetTickCount() + (argc > 4 ? std::atoi(argv[4]) : 60) * 1000u;
        for (;;) {
            ButtonSearch search{prefix, argv[3], nullptr};
            EnumWindows(MatchButtonWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found) {
                // As the button tells its dialog when it is pressed; BM_CLICK would need the dialog active.
                PostMessageW(GetParent(search.found), WM_COMMAND,
                             MAKEWPARAM(GetDlgCtrlID(search.found), BN_CLICKED),
                             reinterpret_cast<LPARAM>(search.found));
                return 0;
            }
            if (GetTickCount() > clickDeadline) break;
            Sleep(100);
        }
        std::fprintf(stderr, "winwait: no button \"%s\" in \"%s\"\n", argv[3], prefix);
        return 1;
    }
    if (verb == "syscommand" && argc > 3) {
        HWND window = Find(prefix);
        if (!window) {
            std::fprintf(stderr, "winwait: no window \"%s\"\n", prefix);
            return 1;
        }
        PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(std::strtoul(argv[3], nullptr, 0)), 0);
        return 0;
    }
    std::fprintf(stderr, "winwait: unknown verb %s\n", verb.c_str());
    return 2;
}
