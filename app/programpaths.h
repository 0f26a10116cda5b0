// Where the program lives: its directory and its help file.
#pragma once
#include <string>

namespace corv {

extern std::string ProgramDir;   // the program's directory, no trailing backslash (a drive root keeps it)
extern std::string HelpFileName; // ProgramDir + "\CORV32.HLP"

// The running program's full file name, as the system reports it.
std::string ProgramFileName();

// Sets both from the running module's file name.
void ComputeProgramPaths();

} // namespace corv
