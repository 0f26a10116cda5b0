// CORV32.EXE as a child process: the window state it starts in from its start-up information.
#include "settings/registry.h"
#include "settings/store.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "ui/filelistmodel.h"

#include <gtest/gtest.h>

#include <string>

namespace corv {
namespace {

std::string ProgramPath() {
    std::string path = CORV32_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path[0] == '\\' ? "Z:" + path : path;
}

struct Found {
    DWORD process;
    HWND window;
    const char* className = "TMainForm";
    bool visible = true;
};

BOOL CALLBACK FindMain(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (process == found->process && std::string(name) == found->className &&
        (IsWindowVisible(window) != FALSE) == found->visible) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

enum class State { Normal, Minimized, Maximized, NoWindow };
bool g_fullViewWaiting = false;

// Starts the program with the show command (and an argument), reads its window state and caption,
// closes it.
State StartWith(WORD showCommand, const std::string& folder, const std::string& argument = "",
                std::string* caption = nullptr) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showCommand;
    PROCESS_INFORMATION process{};
    std::string commandLine = ProgramPath();
    commandLine.insert(commandLine.begin(), '"');
    commandLine.push_back('"');
    if (!argument.empty()) commandLine += " \"" + argument + "\"";
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return State::NoWindow;
    }
    Found found{process.dwProcessId, nullptr};
    for (int i = 0; i < 300 && !found.window; ++i) {
        Sleep(50);
        EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&found));
    }
    State state = State::NoWindow;
    if (found.window) {
        Sleep(200); // let the first showing settle
        Found fullView{process.dwProcessId, nullptr, "TFullViewForm", false};
        EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&fullView));
        g_fullViewWaiting = fullView.window != nullptr;
        if (caption) {
            char text[256] = "";
            GetWindowTextA(found.window, text, sizeof text);
            *caption = text;
        }
        state = IsIconic(found.window)   ? State::Minimized
                : IsZoomed(found.window) ? State::Maximized
                                         : State::Normal;
        PostMessageA(found.window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the program did not end";
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return state;
}

class StartupTest : public ::testing::Test {
  protected:
    void StoreMaximized(bool maximized) {
        RegWriteString(HKEY_CURRENT_USER, SettingsKey, "Maximized", maximized ? "1" : "0");
    }
    test::ScratchKey key{SettingsKey};
    test::TempFolder folder;
};

TEST_F(StartupTest, MinimisedShortcutsWinOverAStoredMaximized) {
    for (WORD show : {SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWMINNOACTIVE}) {
        StoreMaximized(true);
        EXPECT_EQ(StartWith(show, folder.Path()), State::Minimized) << show;
        EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, SettingsKey, "Maximized"), "0")
            << "closed minimised, not maximised";
    }
}

TEST_F(StartupTest, MaximisedShortcut) {
    StoreMaximized(false);
    EXPECT_EQ(StartWith(SW_SHOWMAXIMIZED, folder.Path()), State::Maximized);
    EXPECT_TRUE(g_fullViewWaiting) << "the full-screen window exists, hidden";
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, SettingsKey, "Maximized"), "1") << "closed maximised";
    EXPECT_EQ(CompareNoCase(RegReadString(HKEY_CURRENT_USER, SettingsKey, "LastDir"), folder.Path()), 0);
}

TEST_F(StartupTest, NormalShortcutKeepsTheStoredState) {
    StoreMaximized(true);
    EXPECT_EQ(StartWith(SW_SHOWNORMAL, folder.Path()), State::Maximized);
    StoreMaximized(false);
    EXPECT_EQ(StartWith(SW_SHOWNORMAL, folder.Path()), State::Normal);
}

TEST_F(StartupTest, APictureNamedOnTheCommandLineIsShown) {
    const std::string picture = folder / "Shown.jpg";
    ASSERT_TRUE(CopyFileA(test::FixturePath("jpeg/baseline-444.jpg").c_str(), picture.c_str(), FALSE));
    test::WriteFileBytes(folder / "notes.txt", "not a picture");
    std::string caption;
    StartWith(SW_SHOWNORMAL, folder.Path(), picture, &caption);
    EXPECT_EQ(caption, "Corvane - [SHOWN.JPG]");
    StartWith(SW_SHOWNORMAL, folder.Path(), folder / "notes.txt", &caption);
    EXPECT_EQ(caption, "Corvane") << "other files are not loaded";
    StartWith(SW_SHOWNORMAL, folder.Path(), folder.Path(), &caption);
    EXPECT_EQ(caption, "Corvane") << "a directory is ignored";
    StartWith(SW_SHOWNORMAL, folder.Path(), folder / "missing.jpg", &caption);
    EXPECT_EQ(caption, "Corvane") << "so is a name that does not exist";
}

TEST_F(StartupTest, TheListStartsInTheArgumentsFolderOrInTheLastOne) {
    // Where the list was is what the program stores as LastDir when it closes.
    const auto lastDir = [] { return RegReadString(HKEY_CURRENT_USER, SettingsKey, "LastDir"); };
    const auto storeLastDir = [](const std::string& dir) {
        RegWriteString(HKEY_CURRENT_USER, SettingsKey, "LastDir", dir);
    };
    test::TempFolder other;
    test::WriteFileBytes(other / "notes.txt", "n");

    storeLastDir(folder.Path());
    StartWith(SW_SHOWNORMAL, folder.Path(), other / "NOTES.TXT");
    EXPECT_EQ(CompareNoCase(lastDir(), other.Path()), 0) << "the argument's folder, not LastDir";

    storeLastDir(other.Path());
    StartWith(SW_SHOWNORMAL, folder.Path());
    EXPECT_EQ(CompareNoCase(lastDir(), other.Path()), 0) << "no argument: LastDir";

    storeLastDir(other.Path());
    StartWith(SW_SHOWNORMAL, folder.Path(), other.Path());
    EXPECT_EQ(CompareNoCase(lastDir(), folder.Path()), 0)
        << "a directory argument leaves the list where it is";

    storeLastDir(other / "gone");
    StartWith(SW_SHOWNORMAL, folder.Path());
    EXPECT_EQ(CompareNoCase(lastDir(), folder.Path()), 0) << "a LastDir that is gone is not used";
}

} // namespace
} // namespace corv
