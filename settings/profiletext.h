// The line logic of removing a key from one section of a profile (INI) file. Portable: no Windows headers.
#pragma once
#include <string>

namespace corv {

struct ProfileEdit {
    std::string content; // the new file content
    bool removed = false; // at least one line of the key was dropped
};

// Drops every "KEY=..." line (key compared case-insensitively, no blanks allowed before "=") that stands
// in a section headed exactly "[SECTION]" (case-insensitive, no trimming). A section ends at an empty line
// or at the next line that begins with "[". Every other line, and every line ending, is kept as it was.
ProfileEdit RemoveProfileKey(const std::string& content, const std::string& section, const std::string& key);

} // namespace corv
