#include "ui/dialogs.h"

#include <windows.h>

namespace corv::ui {

void WarningDialog(const std::string& text) {
    // The system's exclamation icon without the system's sound: callers beep when they want a beep.
    MSGBOXPARAMSA params{};
    params.cbSize = sizeof params;
    params.hwndOwner = GetActiveWindow();
    params.hInstance = nullptr;
    params.lpszText = text.c_str();
    params.lpszCaption = "Warnung";
    params.dwStyle = MB_OK | MB_USERICON;
    params.lpszIcon = IDI_EXCLAMATION;
    MessageBoxIndirectA(&params);
}

} // namespace corv::ui
