#include "app/startup.h"

#include "app/mainfrm.h"
#include "image/pictureinfo.h"
#include "app/registration.h"
#include "base/files.h"
#include "base/handles.h"
#include "base/pathrules.h"
#include "base/wide.h"
#include "settings/system.h"
#include "fullview/fviewfrm.h"
#include "image/workerpool.h"
#include "settings/store.h"
#include "ui/application.h"

#include <memory>

#include <shellapi.h>

namespace corv {

namespace {

// The first command-line argument, as the system splits the command line; empty without one.
std::string FirstArgument() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const LocalMemoryHandle argumentsMemory(arguments);
    return arguments && count > 1 ? Utf8(arguments[1]) : std::string();
}

} // namespace

void OpenStartTarget(TMainForm& form, const std::vector<std::string>& arguments) {
    if (!arguments.empty()) {
        const std::string& argument = arguments.front();
        // A relative name whose last blank or dot the system would drop names another file; no exact
        // form of it can be made, so it is refused, in front of the window it would have changed.
        if (PathRulesWouldChange(argument) && ExtendedLengthForm(argument) == argument) {
            form.Show();
            BeepMessageBox(form.Handle(), MB_ICONHAND, MB_OK,
                           "Cannot open \"" + argument + "\" exactly: give its full path !", "Error");
            return;
        }
        GoToPath(form, argument, false);
        // Only an existing picture file is shown; other files are only selected.
        if (FileExists(argument) && IsPictureFile(argument)) form.LoadPicture(argument);
        return;
    }
    if (DirectoryExists(LastDir)) {
        GoToPath(form, LastDir, true);
        form.FLBChange(*form.FLB);
    }
}

int RunProgram(int showCommand) {
    const KernelHandle running(CreateMutexW(nullptr, FALSE, RunningMutexName));
    RegisterWithSystem();
    ui::App().SetCmdShow(showCommand);
    auto mainForm = std::make_unique<TMainForm>(nullptr);
    // The full-screen window lives hidden for the whole run.
    auto fullView = std::make_unique<TFullViewForm>(nullptr);
    ConnectFullView(*mainForm, *fullView);
    const std::string argument = FirstArgument();
    OpenStartTarget(*mainForm,
                    argument.empty() ? std::vector<std::string>{} : std::vector<std::string>{argument});
    ui::App().Run(*mainForm);
    fullView.reset();
    mainForm.reset();
    // Nothing waits for a decode any more: the workers end before the program does.
    StopDecodeWorkers();
    return 0;
}

} // namespace corv
