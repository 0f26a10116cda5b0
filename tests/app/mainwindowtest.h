// The main window and the full-screen view as the program makes them, for tests with real windows: a
// fresh settings key, a temporary program folder, and the process's current folder put back at the end.
#pragma once
#include "app/mainfrm.h"
#include "app/programpaths.h"
#include "fullview/fviewfrm.h"
#include "settings/store.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "ui/application.h"

#include <gtest/gtest.h>

#include <memory>

namespace corv::test {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
        ProgramDir = folder.Path();
        HelpFileName = ProgramDir + "\\CORV32.HLP";
        ui::App().SetCmdShow(SW_SHOWNORMAL);
        ForgetQuit();
        LoadSettings();
        form = std::make_unique<TMainForm>(nullptr);
        fullView = std::make_unique<TFullViewForm>(nullptr);
        ConnectFullView(*form, *fullView);
        form->Show();
        Pump();
    }
    void TearDown() override {
        fullView.reset();
        form.reset();
        FullViewActive = false;
        ui::App().SetScreenCursor(ui::ScreenCursor::Default);
        ForgetQuit();
        SetCurrentDirectoryA(savedDirectory);
    }

    // LoadPicture, and the loop run until the picture's decode has ended.
    void Load(const std::string& fileName) {
        form->LoadPicture(fileName);
        EndOfLoad();
    }
    bool EndOfLoad() {
        return RunUntil([this] { return !form->Loading; });
    }

    char savedDirectory[MAX_PATH] = {};
    ScratchKey key{SettingsKey};
    TempFolder folder;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TFullViewForm> fullView;
};

} // namespace corv::test
