// Program-wide application state that lower layers need without knowing the forms.
#pragma once
#include <windows.h>

namespace corv {

// The main window: owner of shell dialogs, and the window whose state the settings store records.
HWND MainWindowHandle();
void SetMainWindowHandle(HWND window);

} // namespace corv
