#include "app/startup.h"

#include "app/mainfrm.h"
#include "app/programpaths.h"
#include "fullview/fviewfrm.h"
#include "settings/store.h"
#include "app/pictureinfo.h"
#include "ui/application.h"

#include <cstdlib>
#include <memory>

namespace corv {

namespace {
DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i)
        arguments.emplace_back(__argv[i]);
    return arguments;
}
} // namespace

void OpenStartTarget(TMainForm& form, const std::vector<std::string>& arguments) {
    if (!arguments.empty()) {
        const std::string& argument = arguments.front();
        GoToPath(form, argument, false);
        const DWORD attributes = Attributes(argument);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsPictureFile(argument))
            form.LoadPicture(argument);
        return;
    }
    const DWORD attributes = Attributes(LastDir);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        GoToPath(form, LastDir, true);
        form.FLBChange(*form.FLB);
    }
}

int RunProgram(int showCommand) {
    // Registration with the system will take these over; until then the paths and settings start here.
    ComputeProgramPaths();
    LoadSettings();
    ui::App().SetCmdShow(showCommand);
    auto mainForm = std::make_unique<TMainForm>(nullptr);
    // The full-screen window lives hidden for the whole run.
    auto fullView = std::make_unique<TFullViewForm>(nullptr);
    OpenStartTarget(*mainForm, CommandLineArguments());
    ui::App().Run(*mainForm);
    fullView.reset();
    mainForm.reset();
    return 0;
}

} // namespace corv
