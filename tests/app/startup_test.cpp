// CORV32.EXE as a child process: the window state it starts in from its start-up information.
#include "settings/registry.h"
#include "settings/store.h"
#include "tests/app/program.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "ui/filelistmodel.h"

#include <gtest/gtest.h>

#include <string>

namespace corv {
namespace {

enum class State { Normal, Minimized, Maximized, NoWindow };
bool g_fullViewWaiting = false;

// Starts the program with the show command (and an argument), reads its window state and caption,
// closes it.
State StartWith(WORD showCommand, const std::string& folder, const std::string& argument = "",
                std::string* caption = nullptr) {
    test::ProgramRun run(test::ProgramCommandLine(test::ProgramPath(), argument), folder, showCommand);
    HWND main = run.MainWindow();
    if (!main) return State::NoWindow;
    Sleep(200); // let the first showing settle
    g_fullViewWaiting = run.WaitForWindow("TFullViewForm", nullptr, false, 0) != nullptr;
    if (caption) *caption = test::TextOf(main);
    const State state = IsIconic(main) ? State::Minimized : IsZoomed(main) ? State::Maximized : State::Normal;
    EXPECT_TRUE(run.Close()) << "the program did not end";
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
