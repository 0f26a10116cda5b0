#include "app/programpaths.h"

#include "settings/pathtext.h"

#include <windows.h>

namespace corv {

std::string ProgramDir;
std::string HelpFileName;

void ComputeProgramPaths() {
    char name[MAX_PATH + 1] = "";
    const DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
    std::string path(name, length < sizeof name ? length : 0);
    const auto slash = path.find_last_of("\\:");
    ProgramDir = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (!ProgramDir.empty() && ProgramDir.back() == ':') ProgramDir += '\\';
    if (!ProgramDir.empty() && ProgramDir.back() == '\\') ProgramDir.pop_back();
    HelpFileName = ProgramDir + "\\CORV32.HLP";
}

} // namespace corv
