// CORV32.EXE as a child process: started with a command line and a show command, its windows found,
// closed as a user would close it.
#pragma once
#include "base/handles.h"

#include <windows.h>

#include <string>

namespace corv::test {

// The program of this build, in its Windows form.
std::string ProgramPath();
// A command line that starts the program (quoted) with an optional quoted argument.
std::string ProgramCommandLine(const std::string& program, const std::string& argument = "");

class ProgramRun {
  public:
    ProgramRun(const std::string& commandLine, const std::string& folder, WORD showCommand = SW_SHOWNORMAL);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return process_.Valid(); }
    HANDLE Process() const { return process_.Get(); }
    // A top-level window of the process of that class (nullptr: any) and caption (nullptr: any), waited
    // for up to the timeout; nullptr when none came.
    HWND WaitForWindow(const char* className, const char* caption, bool visible = true,
                       DWORD timeoutMs = 15000);
    HWND MainWindow(DWORD timeoutMs = 15000) { return WaitForWindow("TMainForm", nullptr, true, timeoutMs); }
    // Closes the main window and waits for the process to end; false when it did not end in time.
    bool Close(DWORD timeoutMs = 20000);
    // Waits for the process to end by itself.
    bool WaitForExit(DWORD timeoutMs);

  private:
    KernelHandle process_;
    DWORD processId_ = 0;
};

// The text of a window, also of another process.
std::string TextOf(HWND window);

} // namespace corv::test
