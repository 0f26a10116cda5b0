// The program's entries in the system, written at every start: its path for its own use and the
// shell's, its help file for the help system, and the picture file type that opens with it.
#pragma once
#include "base/version.h"

#include <string>

namespace corv {

inline constexpr const char* ProgramVersion = CORV_VERSION_TEXT;
inline constexpr const char* AppPathsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CORV32.EXE";

// Fixes ProgramDir and HelpFileName, writes the registration, loads the settings and reads the
// associations. Runs before any window exists. A help-system profile that cannot be written is
// reported once; the start goes on, so the settings are loaded in any case.
void RegisterWithSystem();

// The file type's open command for the program: both the program and the picture quoted, so that
// blanks in either cannot split them.
std::string OpenCommand(const std::string& programFileName);

} // namespace corv
