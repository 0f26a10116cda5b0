#include "app/programpaths.h"

#include "settings/pathtext.h"

#include <windows.h>

#include <vector>

namespace corv {

std::string ProgramDir;
std::string HelpFileName;

std::string ProgramFileName() {
    // A name that fills the buffer may have been cut: try again with a bigger one.
    std::vector<char> name(MAX_PATH + 1);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size() - 1) return std::string(name.data(), length);
        if (name.size() > 32768) return {};
        name.resize(name.size() * 2);
    }
}

void ComputeProgramPaths() {
    ProgramDir = ExtractDir(ProgramFileName());
    // A program at a drive root has "C:\" as its directory: no second backslash before the name.
    const bool rooted = !ProgramDir.empty() && ProgramDir.back() == '\\';
    HelpFileName = ProgramDir + (rooted ? "" : "\\") + "CORV32.HLP";
}

} // namespace corv
