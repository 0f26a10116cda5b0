#include "app/startup.h"

#include "app/mainfrm.h"
#include "app/programpaths.h"
#include "fullview/fviewfrm.h"
#include "settings/store.h"
#include "ui/application.h"

#include <memory>

namespace corv {

int RunProgram(int showCommand) {
    // Registration with the system will take these over; until then the paths and settings start here.
    ComputeProgramPaths();
    LoadSettings();
    ui::App().SetCmdShow(showCommand);
    auto mainForm = std::make_unique<TMainForm>(nullptr);
    // The full-screen window lives hidden for the whole run.
    auto fullView = std::make_unique<TFullViewForm>(nullptr);
    // The command-line argument and LastDir come with the file browser's GoToPath.
    ui::App().Run(*mainForm);
    fullView.reset();
    mainForm.reset();
    return 0;
}

} // namespace corv
