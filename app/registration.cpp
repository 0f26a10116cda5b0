#include "app/registration.h"

#include "app/programpaths.h"
#include "base/files.h"
#include "settings/associations.h"
#include "settings/profile.h"
#include "settings/registry.h"
#include "settings/store.h"
#include "settings/system.h"
#include "ui/dialogs.h"

#include <windows.h>

namespace corv {

std::string OpenCommand(const std::string& programFileName) {
    return "\"" + programFileName + "\" \"%1\"";
}

void RegisterWithSystem() {
    ComputeProgramPaths();
    const std::string program = ProgramFileName();
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "EXEPath", ProgramDir);
    RegWriteString(HKEY_LOCAL_MACHINE, AppPathsKey, "", program);
    RegWriteString(HKEY_LOCAL_MACHINE, AppPathsKey, "Path", ProgramDir);

    const std::string profile = GetWindowsDir() + "\\WINHELP.INI";
    if (FileExists(HelpFileName)) {
        try {
            IniWriteString(profile, "Files", "CORV32.HLP", ProgramDir);
        } catch (const ProfileWriteError& error) {
            // Reported, then the start goes on: skipping the settings here would let the close write
            // the defaults over the user's stored ones.
            ui::ErrorDialog(error.what());
        }
    } else {
        // A stale entry of an earlier installation goes.
        IniRemoveKey(profile, "Files", "CORV32.HLP");
    }

    RegWriteString(HKEY_CLASSES_ROOT, FileTypeName, "", "Corvane Picture File");
    RegWriteString(HKEY_CLASSES_ROOT, std::string(FileTypeName) + "\\shell\\open\\command", "",
                   OpenCommand(program));
    RegWriteString(HKEY_CURRENT_USER, std::string(SettingsKey) + "\\Version", "", ProgramVersion);

    LoadSettings();
    ReadAssociations();
}

} // namespace corv
