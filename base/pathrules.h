// Where Windows' ordinary path rules would turn a path into another one, and the extended-length form
// ("\\?\") that the file system takes exactly as written. Portable: no Windows headers.
#pragma once
#include <string>

namespace corv {

// The longest path the ordinary (not extended-length) calls take, in UTF-16 units with its NUL.
inline constexpr std::size_t kMaxOrdinaryPath = 260;

// True when a name of the path (not "." or "..") ends in a blank or a dot: the ordinary rules strip
// those, so the call would reach another file or folder.
bool PathRulesWouldChange(const std::string& path);
// True when the path is long enough that the ordinary calls refuse it.
bool TooLongForOrdinaryCalls(const std::string& path);
// "C:\x" as "\\?\C:\x", "\\server\share\x" as "\\?\UNC\server\share\x"; a path that is not a full
// one, or that holds "." or ".." names or forward slashes (which only the ordinary rules resolve), is
// returned as it is.
std::string ExtendedLengthForm(const std::string& path);
// The form a file-system call should get: the extended one where the ordinary rules would change the
// path or refuse its length, else the path as it is.
std::string ExactFileSystemForm(const std::string& path);

} // namespace corv
