// Small questions to the file system that every layer asks. Names are UTF-8 and reach the file system
// exactly (see FileSystemPath).
#pragma once
#include <string>

namespace corv {

// The attribute a file search reports for a volume label (no name of its own in the system's headers).
inline constexpr unsigned long kVolumeLabelAttribute = 0x8;

// True when the name is an existing file (not a directory).
bool FileExists(const std::string& name);
// True when the path is an existing directory (a trailing backslash is allowed).
bool DirectoryExists(const std::string& path);
// Upper and lower case as the system makes them, for every character of the UTF-8 text.
std::string UpperCase(const std::string& text);
std::string LowerCase(const std::string& text);
// The whole content of the file of exactly this name; false when it cannot be opened or read, or when it
// is larger than `limit` bytes.
bool ReadWholeFile(const std::string& name, std::string& content, unsigned long long limit = 0x7FFFFFFF);
// The running program's full file name, as the system reports it; "" when it does not say.
std::string ProgramFileName();

} // namespace corv
