#include "app/programpaths.h"

#include "base/files.h"

namespace corv {

std::string ProgramDir;
std::string HelpFileName;

void ComputeProgramPaths() {
    ProgramDir = ProgramFolder();
    HelpFileName = ProgramDir + "\\CORV32.HLP";
}

} // namespace corv
