#include "base/wide.h"

#include "base/pathrules.h"
#include "base/text.h"

namespace corv {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide text is UTF-16");

std::wstring Wide(std::string_view utf8) {
    const std::u16string text = Utf16FromUtf8(utf8);
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

std::string Utf8(std::wstring_view wide) {
    return Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::string Utf8(const wchar_t* wide) {
    return wide ? Utf8(std::wstring_view(wide)) : std::string();
}

std::wstring FileSystemPath(const std::string& path) {
    return Wide(ExactFileSystemForm(path));
}

} // namespace corv
