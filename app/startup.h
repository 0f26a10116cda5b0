// The program's start-up: paths and settings, the main window, the event loop.
#pragma once
#include <string>
#include <vector>

namespace corv {

class TMainForm;

// Held while the program runs. The setup program and its uninstaller read this name from here and
// refuse to replace or remove the files of a running program.
inline constexpr const wchar_t* RunningMutexName = L"Pellworth.Corvane.Running";

// Runs the program with the show command its entry received; returns the exit code.
int RunProgram(int showCommand);

// Where the file list starts: the file named by the first argument (shown when it is a picture), or,
// without arguments, the directory of the last run when it still exists.
void OpenStartTarget(TMainForm& form, const std::vector<std::string>& arguments);

} // namespace corv
