// Text routines for paths and numbers shown to the user. Portable: no Windows headers.
#pragma once
#include <string>

namespace corv {

// Upper-cases the ASCII letters; every other byte (UTF-8 sequences included) stays as it is.
std::string UpperCaseAscii(std::string text);

// Shortens a path for a label by dropping leading directory names and putting "..." in their place.
// Lengths are counted in characters (code points). Never returns something longer than the path itself.
std::string ShortenPath(const std::string& path, int maxLength);

// The name part of a path: what follows its last ":" or "\".
std::string ExtractFileName(const std::string& path);

// The directory part of a path without its trailing backslash; a drive root such as "C:\" keeps it.
std::string ExtractDir(const std::string& path);

// Inserts the separator between groups of groupSize characters, counted from the right or the left.
std::string GroupDigits(const std::string& text, char separator, unsigned short groupSize, bool fromRight);

} // namespace corv
