// The main window's handle, known to every layer: owner of shell dialogs and boxes, and the window whose
// state the settings store records.
#pragma once
#include <windows.h>

namespace corv {

HWND MainWindowHandle();
void SetMainWindowHandle(HWND window);

} // namespace corv
