#include "app/programpaths.h"

#include "base/files.h"
#include "settings/pathtext.h"

namespace corv {

std::string ProgramDir;
std::string HelpFileName;

void ComputeProgramPaths() {
    ProgramDir = ExtractDir(ProgramFileName());
    // A program at a drive root has "C:\" as its directory: no second backslash before the name.
    const bool rooted = !ProgramDir.empty() && ProgramDir.back() == '\\';
    HelpFileName = ProgramDir + (rooted ? "" : "\\") + "CORV32.HLP";
}

} // namespace corv
