#include "base/handles.h"
#include "settings/system.h"

#include "tests/support/winsupport.h"
#include "ui/application.h"

#include <gtest/gtest.h>

using namespace corv;
using namespace corv::test;

TEST(GetWindowsDir, MatchesTheSystemWithoutTrailingBackslash) {
    const std::string dir = GetWindowsDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    EXPECT_NE(GetFileAttributesA(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    char expected[MAX_PATH + 1];
    GetWindowsDirectoryA(expected, sizeof expected);
    EXPECT_EQ(dir, expected);
}

TEST(BeepMessageBox, PassesOwnerTextCaptionAndFlagsAndReturnsTheAnswer) {
    ScriptedMessageBoxes boxes({IDNO, IDYES});
    HWND owner = GetDesktopWindow();
    EXPECT_EQ(BeepMessageBox(owner, MB_ICONQUESTION, MB_YESNOCANCEL, "Move Files ?", "Question"), IDNO);
    EXPECT_EQ(BeepMessageBox(nullptr, MB_ICONSTOP, MB_OK, "Oops", "Error"), IDYES);
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[0].owner, owner);
    EXPECT_EQ(boxes.Asked()[0].beepType, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(boxes.Asked()[0].buttons, static_cast<UINT>(MB_YESNOCANCEL));
    EXPECT_EQ(boxes.Asked()[0].text, "Move Files ?");
    EXPECT_EQ(boxes.Asked()[0].caption, "Question");
    EXPECT_EQ(boxes.Asked()[1].caption, "Error");
}

namespace {
// Finds the real box by its caption and presses its No button.
DWORD WINAPI AnswerRealBox(void*) {
    for (int i = 0; i < 200; ++i) {
        if (HWND box = FindWindowA("#32770", "Corvane box test")) {
            PostMessageA(box, WM_COMMAND, IDNO, 0);
            return 1;
        }
        Sleep(50);
    }
    return 0;
}
} // namespace

TEST(BeepMessageBox, ShowsARealBoxWithTheGivenButtons) {
    const KernelHandle watcher(CreateThread(nullptr, 0, AnswerRealBox, nullptr, 0, nullptr));
    ASSERT_TRUE(watcher.Valid());
    EXPECT_EQ(BeepMessageBox(nullptr, MB_ICONQUESTION, MB_YESNO, "Really ?", "Corvane box test"), IDNO);
    WaitForSingleObject(watcher.Get(), 10000);
    DWORD found = 0;
    GetExitCodeThread(watcher.Get(), &found);
    EXPECT_EQ(found, 1u);
}

TEST(ShellExecuteFile, ReportsMissingFilesWithTheShellsCode) {
    TempFolder folder;
    EXPECT_EQ(ShellExecuteFile(folder / "no-such-file.xyz", "", folder.Path(), SW_SHOWNORMAL),
              ERROR_FILE_NOT_FOUND);
}

TEST(ShellExecuteFile, OpensAFileWithItsDefaultAction) {
    TempFolder folder;
    // A batch file's default action runs it: the proof is the file it writes.
    const std::string marker = folder / "ran.txt";
    WriteFileBytes(folder / "job.bat", "@echo done> \"" + marker + "\"\r\n");
    const int result = ShellExecuteFile(folder / "job.bat", "", folder.Path(), SW_HIDE);
    EXPECT_GT(result, 32);
    for (int i = 0; i < 100 && !PathExists(marker); ++i)
        Sleep(100);
    EXPECT_TRUE(PathExists(marker));
    Sleep(200); // let the command interpreter let go of the folder
}
