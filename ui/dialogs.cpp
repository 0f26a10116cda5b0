#include "ui/dialogs.h"

#include <windows.h>

namespace corv::ui {

void WarningDialog(const std::string& text) {
    MessageBoxA(GetActiveWindow(), text.c_str(), "Warnung", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace corv::ui
