// The program's UTF-8 text as the wide (UTF-16) text every Win32 call takes, and back.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace corv {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// A NUL-ended wide text; nullptr gives "".
std::string Utf8(const wchar_t* wide);
// A path in the form the file-system calls take it exactly (see ExactFileSystemForm), as wide text.
std::wstring FileSystemPath(const std::string& path);

} // namespace corv
