#include "ui/dialogs.h"

#include "base/wide.h"

#include <windows.h>

namespace corv::ui {

namespace {
// The system's icon identifiers are integers in a pointer: the same for either form of the call.
const wchar_t* SystemIcon(LPCSTR id) {
    return reinterpret_cast<const wchar_t*>(id);
}

// The system's icon without the system's sound: callers beep when they want a beep.
void ShowDialog(const std::string& text, const wchar_t* caption, const wchar_t* icon) {
    const std::wstring wideText = Wide(text);
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = GetActiveWindow();
    params.hInstance = nullptr;
    params.lpszText = wideText.c_str();
    params.lpszCaption = caption;
    params.dwStyle = MB_OK | MB_USERICON;
    params.lpszIcon = icon;
    MessageBoxIndirectW(&params);
}
} // namespace

void WarningDialog(const std::string& text) {
    ShowDialog(text, L"Warnung", SystemIcon(IDI_EXCLAMATION));
}

void ErrorDialog(const std::string& text) {
    ShowDialog(text, L"Fehler", SystemIcon(IDI_HAND));
}

} // namespace corv::ui
