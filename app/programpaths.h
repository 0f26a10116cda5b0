// Where the program lives: its directory and its help file.
#pragma once
#include <string>

namespace corv {

extern std::string ProgramDir;   // the program's directory, no trailing backslash (a drive root keeps it)
extern std::string HelpFileName; // ProgramDir + "\CORV32.HLP"

// Sets both from the running module's file name.
void ComputeProgramPaths();

} // namespace corv
