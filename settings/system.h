// Small doors to the system: the Windows directory, message boxes and the shell's open action.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace corv {

// True when the name is an existing file (not a directory).
bool FileExists(const std::string& name);
// True when the path is an existing directory.
bool DirectoryExists(const std::string& path);
// Upper case in the system's code page, as the system compares file names.
std::string UpperCaseAnsi(std::string text);

// The Windows directory without a trailing backslash, or "" when the system does not say.
std::string GetWindowsDir();

// What a window asks the user; the style is the beep type (an MB_ICON... flag) plus the buttons.
struct MessageBoxRequest {
    HWND owner = nullptr;
    UINT beepType = 0;
    UINT buttons = 0;
    std::string text;
    std::string caption;
};

// Beeps with the sound of the box's icon, then shows the box; returns the id of the button that closed it.
// Every message box of the program's own windows passes through here.
int BeepMessageBox(HWND owner, UINT beepType, UINT buttons, const std::string& text, const std::string& caption);

// Replaces the real box (not the beep) for tests: the handler answers in its place.
// Returns the previous handler; an empty handler restores the real box.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Asks the shell to open the file with its default action, owned by the main window.
// Returns the shell's result cut to 16 bits; 32 and below are its error codes.
int ShellExecuteFile(const std::string& fileName, const std::string& parameters, const std::string& directory,
                     int showCommand);

} // namespace corv
