// Accelerator letters in captions ("&Open" answers to Alt+O). Portable: no Windows headers.
#pragma once
#include <string>

namespace corv {

// The upper-cased character after the first single "&" of a caption; 0 when there is none.
// "&&" stands for a literal "&" and marks nothing.
char MnemonicOf(const std::string& caption);

// The caption as drawn: single "&" removed, "&&" shown as one "&".
std::string StripMnemonic(const std::string& caption);

} // namespace corv
