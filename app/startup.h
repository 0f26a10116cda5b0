// The program's start-up: paths and settings, the main window, the event loop.
#pragma once

namespace corv {

// Runs the program with the show command its entry received; returns the exit code.
int RunProgram(int showCommand);

} // namespace corv
