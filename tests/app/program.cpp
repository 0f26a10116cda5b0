#include "tests/app/program.h"

#include "base/wide.h"

#include <gtest/gtest.h>

namespace corv::test {

namespace {
struct Search {
    DWORD process;
    const char* className;
    const char* caption;
    bool visible;
    HWND found = nullptr;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || (IsWindowVisible(window) != FALSE) != search->visible) return TRUE;
    char text[256] = "";
    if (search->className &&
        (GetClassNameA(window, text, sizeof text), std::string(text) != search->className))
        return TRUE;
    if (search->caption && TextOf(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

std::string ProgramPath() {
    std::string path = CORV32_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path[0] == '\\' ? "Z:" + path : path;
}

std::string ProgramCommandLine(const std::string& program, const std::string& argument) {
    std::string commandLine = "\"" + program + "\"";
    if (!argument.empty()) commandLine += " \"" + argument + "\"";
    return commandLine;
}

std::string TextOf(HWND window) {
    wchar_t text[512] = L"";
    // WM_GETTEXT reaches windows of other processes too (GetWindowText would not ask them).
    SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return Utf8(text);
}

ProgramRun::ProgramRun(const std::string& commandLine, const std::string& folder, WORD showCommand) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    std::wstring line = Wide(commandLine);
    PROCESS_INFORMATION started{};
    // A Wine busy with another test's start now and then refuses a start for a moment: a second try
    // tells that from a program that cannot start.
    bool startedOk = false;
    DWORD error = 0;
    for (int attempt = 0; attempt < 3 && !startedOk; ++attempt) {
        if (attempt > 0) Sleep(500);
        startedOk = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   Wide(folder).c_str(), &startup, &started) != FALSE;
        if (!startedOk) error = GetLastError();
    }
    if (!startedOk) {
        ADD_FAILURE() << "cannot start " << commandLine << " (error " << error << ")";
        return;
    }
    process_.Reset(started.hProcess);
    KernelHandle thread(started.hThread); // not needed: closed at once
    processId_ = started.dwProcessId;
}

ProgramRun::~ProgramRun() {
    if (!Started()) return;
    if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0 && !Close()) {
        ADD_FAILURE() << "the program did not end";
        TerminateProcess(process_.Get(), 1);
    }
}

HWND ProgramRun::WaitForWindow(const char* className, const char* caption, bool visible, DWORD timeoutMs) {
    if (!Started()) return nullptr;
    Search search{processId_, className, caption, visible};
    const DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start > timeoutMs) return search.found;
        Sleep(50);
    }
}

bool ProgramRun::Close(DWORD timeoutMs) {
    if (!Started()) return false;
    if (HWND main = WaitForWindow("TMainForm", nullptr, true, 0)) PostMessageA(main, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

bool ProgramRun::WaitForExit(DWORD timeoutMs) {
    return Started() && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

} // namespace corv::test
