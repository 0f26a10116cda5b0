#include "ui/dialogs.h"

#include <windows.h>

namespace corv::ui {

namespace {
// The system's icon without the system's sound: callers beep when they want a beep.
void ShowDialog(const std::string& text, const char* caption, const char* icon) {
    MSGBOXPARAMSA params{};
    params.cbSize = sizeof params;
    params.hwndOwner = GetActiveWindow();
    params.hInstance = nullptr;
    params.lpszText = text.c_str();
    params.lpszCaption = caption;
    params.dwStyle = MB_OK | MB_USERICON;
    params.lpszIcon = icon;
    MessageBoxIndirectA(&params);
}
} // namespace

void WarningDialog(const std::string& text) {
    ShowDialog(text, "Warnung", IDI_EXCLAMATION);
}

void ErrorDialog(const std::string& text) {
    ShowDialog(text, "Fehler", IDI_HAND);
}

} // namespace corv::ui
