// The framework's own message dialogs, with its German captions.
#pragma once
#include <string>

namespace corv::ui {

// A modal warning: the exclamation icon, the text and one OK button, caption "Warnung", owned by the
// active window of the program.
void WarningDialog(const std::string& text);

// A modal error report: the stop icon, the text and one OK button, caption "Fehler", owned by the
// active window of the program (none before the first window exists).
void ErrorDialog(const std::string& text);

} // namespace corv::ui
