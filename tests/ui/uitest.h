// Helpers for tests with real windows: pumping the queue, posting keys, acting from inside modal loops.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace corv::test {

// Handles the queued messages for a short while, so that posted messages and repaints are done.
void Pump(int milliseconds = 30);
// Runs the message loop (messages and idle tasks) until done holds or the time is up; returns done().
bool RunUntil(const std::function<bool()>& done, int milliseconds = 20000);
// Posts a key message (WM_KEYDOWN unless told otherwise) to a window, then pumps.
void PostKey(HWND window, WORD key, UINT message = WM_KEYDOWN);
std::string WindowText(HWND window);
// Runs the action once from the event loop (or any nested loop) after a short delay.
void AfterMessages(std::function<void()> action, UINT delay = 50);
// Chooses an item of the open context menu: moves down that many times, then Enter.
void ChooseMenuItem(int downs);
// Drops a pending quit and lets the event loop run again (a closed main form ends the loop).
void ForgetQuit();
// A window's place relative to its parent's client area.
RECT PlaceInParent(HWND window);
// Presses and releases a key as the keyboard would (the focused window of the active one gets it), then
// pumps.
void PressKey(WORD key);

// The help files the build put beside the test programs (and CORV32.EXE).
std::string BuiltHelpFile();
std::string BuiltContentsFile();

// The help viewer (another process) as a user sees it: its window, caption and the text it shows.
struct HelpViewer {
    HWND window = nullptr;
    DWORD process = 0;
    std::string caption;
    std::string text;
};
// Pumps until a visible help viewer shows a text that contains the expected one, or the time is up; returns
// what it saw last (no window when no viewer appeared).
HelpViewer WaitForHelpViewer(const std::string& expected, DWORD timeoutMs = 20000);
// True when no help viewer process is left after the time, pumping meanwhile.
bool HelpViewerEnds(DWORD process, DWORD timeoutMs = 20000);

} // namespace corv::test
