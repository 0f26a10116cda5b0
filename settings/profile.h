// Writing and removing keys in profile (INI) files.
#pragma once
#include <stdexcept>
#include <string>

namespace corv {

// Raised when a profile line cannot be written; the message names the file.
class ProfileWriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Writes "key=value" into the section; the file name is upper-cased first. Throws ProfileWriteError
// ("Kann nicht nach FILE schreiben") when the system refuses the write.
bool IniWriteString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value);

// Removes every line of the key in the section (a bare file name means the Windows directory).
// True when a line was removed. Never loses the file: the new content is written completely to a
// temporary file beside it, which then replaces the profile in one step; on any failure the profile
// stays as it was and the temporary file is gone.
bool IniRemoveKey(const std::string& fileName, const std::string& section, const std::string& key);

} // namespace corv
