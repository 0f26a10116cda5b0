// The program's registration with the system, from the outside: copies of CORV32.EXE started from
// folders whose names have blanks, the real registry and the real help profile, each put back afterwards.
#include "app/registration.h"
#include "base/files.h"
#include "settings/associations.h"
#include "settings/registry.h"
#include "settings/store.h"
#include "settings/system.h"
#include "tests/app/program.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "ui/filelistmodel.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace corv {
namespace {

std::string Upper(std::string text) {
    return UpperCase(std::move(text));
}

std::string OpenCommandStored() {
    return RegReadString(HKEY_CLASSES_ROOT, std::string(FileTypeName) + "\\shell\\open\\command", "");
}

BOOL CALLBACK CollectStaticText(HWND window, LPARAM param) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    const std::string text = test::TextOf(window);
    if (CompareNoCase(name, "Static") == 0 && !text.empty())
        reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
    return TRUE;
}

// The texts a message box shows (its icon has none).
std::vector<std::string> ChildTexts(HWND box) {
    std::vector<std::string> texts;
    EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

class RegistrationTest : public ::testing::Test {
  protected:
    // A copy of the program (and its imaging module) in a folder of the given name below the temporary one.
    std::string Install(const std::string& folderName) {
        const std::string dir = root / folderName;
        CreateDirectoryA(dir.c_str(), nullptr);
        const std::string built = test::ProgramPath();
        const std::string builtDir = built.substr(0, built.rfind('\\'));
        EXPECT_TRUE(CopyFileA(built.c_str(), (dir + "\\CORV32.EXE").c_str(), FALSE));
        CopyFileA((builtDir + "\\CVIMG32.DLL").c_str(), (dir + "\\CVIMG32.DLL").c_str(), FALSE);
        return dir;
    }
    // Starts the program, waits for its main window, closes it.
    void StartAndClose(const std::string& dir) {
        test::ProgramRun run(test::ProgramCommandLine(dir + "\\CORV32.EXE"), root.Path());
        EXPECT_NE(run.MainWindow(), nullptr);
        EXPECT_TRUE(run.Close());
    }
    std::string Setting(const char* name) { return RegReadString(HKEY_CURRENT_USER, SettingsKey, name); }

    const std::string profile = GetWindowsDir() + "\\WINHELP.INI";
    test::ScratchKey settings{SettingsKey};
    test::SavedKey fileType{HKEY_CLASSES_ROOT, FileTypeName};
    test::SavedKey appPaths{HKEY_LOCAL_MACHINE, AppPathsKey};
    test::SavedFile savedProfile{profile};
    test::TempFolder root;
};

TEST_F(RegistrationTest, EveryStartWritesTheEntriesForItsOwnFolder) {
    CreateDirectoryA((root / "Program Files").c_str(), nullptr);
    for (const std::string name : {"Program Files\\Corvane Viewer", "Second Copy"}) {
        SCOPED_TRACE(name);
        const std::string dir = Install(name);
        const std::string program = dir + "\\CORV32.EXE";
        StartAndClose(dir);
        EXPECT_EQ(Upper(Setting("EXEPath")), Upper(dir));
        EXPECT_EQ(Upper(RegReadString(HKEY_LOCAL_MACHINE, AppPathsKey, "")), Upper(program));
        EXPECT_EQ(Upper(RegReadString(HKEY_LOCAL_MACHINE, AppPathsKey, "Path")), Upper(dir));
        EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, FileTypeName, ""), "Corvane Picture File");
        // Quoted, so that "C:\Program Files\..." is not run as "C:\Program" and a name with blanks
        // arrives as one argument.
        EXPECT_EQ(Upper(OpenCommandStored()), Upper("\"" + program + "\" \"%1\""));
        EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, std::string(SettingsKey) + "\\Version", ""), "1.2");
    }
}

TEST_F(RegistrationTest, HelpProfileEntryFollowsTheHelpFile) {
    const std::string dir = Install("Help Test");
    const std::string others = "[Files]\r\n"
                               "other.hlp=C:\\OTHER\r\n"
                               "CORV32.HLP=C:\\OLD PLACE\r\n"
                               "\r\n"
                               "[Windows]\r\n"
                               "CORV32.HLP=kept\r\n";
    test::WriteFileBytes(profile, others);
    StartAndClose(dir);
    EXPECT_EQ(test::ReadFileBytes(profile), "[Files]\r\n"
                                            "other.hlp=C:\\OTHER\r\n"
                                            "\r\n"
                                            "[Windows]\r\n"
                                            "CORV32.HLP=kept\r\n")
        << "without the help file its entry goes, and only that line";

    test::WriteFileBytes(dir + "\\CORV32.HLP", "help");
    StartAndClose(dir);
    char entry[MAX_PATH] = "";
    GetPrivateProfileStringA("Files", "CORV32.HLP", "", entry, sizeof entry, profile.c_str());
    EXPECT_EQ(Upper(entry), Upper(dir));
    GetPrivateProfileStringA("Files", "other.hlp", "", entry, sizeof entry, profile.c_str());
    EXPECT_STREQ(entry, "C:\\OTHER");
}

TEST_F(RegistrationTest, AnUnwritableHelpProfileIsReportedOnceAndTheSettingsSurvive) {
    const std::string dir = Install("Locked Profile");
    test::WriteFileBytes(dir + "\\CORV32.HLP", "help");
    // A folder in the profile's place: no system lets a program write that as a file (a read-only file
    // would not do here, where the tests run as the machine's administrator).
    DeleteFileA(profile.c_str());
    ASSERT_TRUE(CreateDirectoryA(profile.c_str(), nullptr));
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "BgColorIdx", "5");
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "ShowOnSel", "1");
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "BigThumbs", "1");

    test::ProgramRun run(test::ProgramCommandLine(dir + "\\CORV32.EXE"), root.Path());
    HWND box = run.WaitForWindow("#32770", "Fehler");
    ASSERT_NE(box, nullptr) << "the failure is reported";
    EXPECT_EQ(ChildTexts(box),
              (std::vector<std::string>{"Kann nicht nach " + Upper(profile) + " schreiben"}));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND main = run.MainWindow();
    ASSERT_NE(main, nullptr) << "the start goes on";
    Sleep(300);
    EXPECT_EQ(run.WaitForWindow("#32770", "Fehler", true, 0), nullptr) << "reported once";
    EXPECT_EQ(Upper(Setting("EXEPath")), Upper(dir)) << "the steps before it ran";
    EXPECT_EQ(Upper(OpenCommandStored()), Upper("\"" + dir + "\\CORV32.EXE\" \"%1\"")) << "and those after";
    EXPECT_TRUE(run.Close());
    EXPECT_EQ(Setting("BgColorIdx"), "5") << "the settings were loaded, so the close stored them again";
    EXPECT_EQ(Setting("ShowOnSel"), "1");
    EXPECT_EQ(Setting("BigThumbs"), "1");
}

class RegisteredCommandTest : public RegistrationTest {
  protected:
    void SetUp() override {
        dir = Install("Program Files Corvane");
        StartAndClose(dir);
        CreateDirectoryA((root / "My Pictures").c_str(), nullptr);
        picture = root / "My Pictures\\Beach at noon.jpg";
        ASSERT_TRUE(CopyFileA(test::FixturePath("jpeg/baseline-444.jpg").c_str(), picture.c_str(), FALSE));
    }
    std::string dir, picture;
};

TEST_F(RegisteredCommandTest, ThePictureOpensInTheProgram) {
    std::string command = OpenCommandStored();
    const auto placeholder = command.find("%1");
    ASSERT_NE(placeholder, std::string::npos) << command;
    command.replace(placeholder, 2, picture);
    test::ProgramRun run(command, root.Path());
    HWND main = run.MainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(test::TextOf(main), "Corvane - [BEACH AT NOON.JPG]");
}

BOOL CALLBACK FindCaption(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<const char*, HWND>*>(param);
    if (IsWindowVisible(window) && test::TextOf(window) == found->first) {
        found->second = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(RegisteredCommandTest, TheShellOpensAnAssociatedPictureWithTheProgram) {
    test::SavedKey extension(HKEY_CLASSES_ROOT, ".JPG");
    RegWriteString(HKEY_CLASSES_ROOT, ".JPG", "", FileTypeName);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, nullptr, picture.c_str(), nullptr, root.Path().c_str(), SW_SHOWNORMAL));
    ASSERT_GT(result, 32);
    std::pair<const char*, HWND> found{"Corvane - [BEACH AT NOON.JPG]", nullptr};
    for (int i = 0; i < 300 && !found.second; ++i) {
        Sleep(50);
        EnumWindows(&FindCaption, reinterpret_cast<LPARAM>(&found));
    }
    ASSERT_NE(found.second, nullptr) << "the shell ran the registered command";
    DWORD processId = 0;
    GetWindowThreadProcessId(found.second, &processId);
    KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    PostMessageA(found.second, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
}

} // namespace
} // namespace corv
