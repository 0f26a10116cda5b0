// Corvane's entry.
#include "app/startup.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    return corv::RunProgram(showCommand);
}
