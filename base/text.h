// Text inside the program is UTF-8; the system speaks UTF-16. These convert between the two without
// losing anything a file name may hold: an unpaired surrogate (which NTFS allows) travels as its own
// three-byte form and comes back as the same unit. Portable: no Windows headers.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace corv {

std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

// The number of characters (code points) in UTF-8 text.
std::size_t Utf8Length(std::string_view utf8);
// The first `count` characters of UTF-8 text, never cutting one in the middle.
std::string Utf8Prefix(std::string_view utf8, std::size_t count);
// True when every byte is ASCII.
bool IsAscii(std::string_view text);

} // namespace corv
