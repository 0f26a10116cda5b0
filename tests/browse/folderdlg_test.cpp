#include "browse/folderdlg.h"

#include "base/files.h"
#include "base/wide.h"
#include "browse/folderpath.h"
#include "tests/support/winsupport.h"

#include <gtest/gtest.h>

using namespace corv;
using namespace corv::test;

namespace {

std::string Upper(std::string text) {
    CharUpperA(text.data());
    return text;
}

std::string StatusLineText(HWND dialog) {
    char text[512] = {};
    GetWindowTextA(GetDlgItem(dialog, 14147), text, sizeof text);
    return text;
}

// A dialog as the main window and the file-operations dialog use it.
void SetUpAsInTheProgram(TFolderBrowseDlg& dialog, const char* caption) {
    dialog.Title = "Current Path:";
    dialog.Root = TRootID::idDrives;
    dialog.Options = {TBrowseFlag::bfDirectoriesOnly};
    dialog.SetCaption(caption);
    dialog.ShowSelectionInStatus = true;
}

} // namespace

TEST(FolderBrowseDlg, RootsAndFlagsMapToTheShellsValues) {
    EXPECT_EQ(RootToFolderID(TRootID::idDesktop, true), 0x00);
    EXPECT_EQ(RootToFolderID(TRootID::idDrives, true), 0x11);
    EXPECT_EQ(RootToFolderID(TRootID::idCommonStartMenu, true), 0x16);
    EXPECT_EQ(RootToFolderID(TRootID::idCommonStartMenu, false), 0x0B);
    EXPECT_EQ(RootToFolderID(TRootID::idCommonDesktopDirectory, false), 0x10);
    EXPECT_EQ(RootToFolderID(TRootID::idPrintHood, false), 0x1B);
    EXPECT_EQ(RootToFolderID(TRootID::idDesktopExpanded, true), 0xFEFE);
    EXPECT_EQ(RootToFolderID(TRootID::idCommonPrograms), 0x17) << "Wine reports the NT platform";

    EXPECT_EQ(BrowseFlagsToBIF({}), 0u);
    EXPECT_EQ(BrowseFlagsToBIF({TBrowseFlag::bfDirectoriesOnly}), 0x0001u);
    EXPECT_EQ(
        BrowseFlagsToBIF({TBrowseFlag::bfAncestors, TBrowseFlag::bfComputers, TBrowseFlag::bfIncludeFiles}),
        0x5008u);
    EXPECT_EQ(BrowseFlagsToBIF({TBrowseFlag::bfDomainOnly, TBrowseFlag::bfPrinters}), 0x2002u);
}

TEST(FolderBrowseDlg, DefaultsAndSelectionRule) {
    TempFolder folder;
    TFolderBrowseDlg dialog;
    EXPECT_TRUE(dialog.Center);
    EXPECT_TRUE(dialog.FitStatusText());
    EXPECT_TRUE(dialog.EnableOKButton());
    EXPECT_EQ(dialog.Root, TRootID::idDesktop);
    EXPECT_EQ(dialog.ImageIndex(), -1);
    EXPECT_EQ(dialog.Selection(), "");

    dialog.SetSelection(folder.Path());
    EXPECT_EQ(dialog.Selection(), folder.Path() + "\\") << "an existing directory gets its backslash";
    dialog.SetSelection(folder / "missing");
    EXPECT_EQ(dialog.Selection(), folder / "missing") << "stored unchanged";
    WriteFileBytes(folder / "file.txt", "x");
    dialog.SetSelection(folder / "file.txt");
    EXPECT_EQ(dialog.Selection(), folder / "file.txt") << "a file is not a directory";
}

TEST(FolderBrowseDlg, DirectoryOrDriveExists) {
    TempFolder folder;
    EXPECT_TRUE(DirectoryOrDriveExists("C:\\"));
    EXPECT_TRUE(DirectoryOrDriveExists("c:\\"));
    EXPECT_TRUE(DirectoryOrDriveExists(folder.Path()));
    EXPECT_TRUE(DirectoryOrDriveExists(folder.Path() + "\\"));
    EXPECT_FALSE(DirectoryOrDriveExists(folder / "none"));
    WriteFileBytes(folder / "f", "x");
    EXPECT_FALSE(DirectoryOrDriveExists(folder / "f"));
    EXPECT_FALSE(DirectoryOrDriveExists("1:\\"));
}

TEST(FolderBrowseDlg, CancelledDialogReturnsFalseAndClearsSelection) {
    TempFolder folder;
    TFolderBrowseDlg dialog;
    SetUpAsInTheProgram(dialog, "Select Directory");
    dialog.SetSelection(folder.Path());
    WindowWatcher watcher("Select Directory", [](HWND box) { PressButton(box, IDCANCEL); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(watcher.Done());
    EXPECT_EQ(dialog.Selection(), "");
    EXPECT_EQ(dialog.SelectionPIDL(), nullptr);
}

TEST(FolderBrowseDlg, StartsOnTheSelectionShowsItCentredAndReturnsIt) {
    TempFolder folder;
    CreateDirectoryA((folder / "Holiday").c_str(), nullptr);
    TFolderBrowseDlg dialog;
    SetUpAsInTheProgram(dialog, "Select Directory");
    dialog.SetSelection(folder / "Holiday");
    int created = 0;
    dialog.OnCreate = [&created](TFolderBrowseDlg&) { ++created; };
    RECT bounds{};
    std::string status;
    WindowWatcher watcher("Select Directory", [&](HWND box) {
        GetWindowRect(box, &bounds);
        status = StatusLineText(box);
        PressButton(box, IDOK);
    });
    ASSERT_TRUE(dialog.Execute());
    ASSERT_TRUE(watcher.Done());
    EXPECT_EQ(created, 1);
    EXPECT_EQ(Upper(dialog.Selection()), Upper(folder / "Holiday"));
    EXPECT_NE(dialog.SelectionPIDL(), nullptr);
    EXPECT_EQ(dialog.DialogWindow(), nullptr);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    EXPECT_EQ(bounds.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(bounds.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    // The status line follows the selection, shortened only when too wide.
    EXPECT_FALSE(status.empty());
    EXPECT_NE(Upper(status).find("HOLIDAY"), std::string::npos) << status;
}

TEST(FolderBrowseDlg, StatusLineIsShortenedToFit) {
    TempFolder folder;
    std::string deep = folder.Path();
    for (const char* name : {"SYSTEMSETTINGS", "COLORPROFILES", "ANOTHERLEVEL", "YETANOTHERONE", "NAME"}) {
        deep += std::string("\\") + name;
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    TFolderBrowseDlg dialog;
    SetUpAsInTheProgram(dialog, "Select Directory");
    dialog.SetSelection(deep);
    std::string status;
    int statusWidth = 0;
    WindowWatcher watcher("Select Directory", [&](HWND box) {
        status = StatusLineText(box);
        RECT r{};
        GetWindowRect(GetDlgItem(box, 14147), &r);
        statusWidth = r.right - r.left;
        PressButton(box, IDCANCEL);
    });
    dialog.Execute();
    ASSERT_TRUE(watcher.Done());
    ASSERT_GT(statusWidth, 0);
    EXPECT_LT(status.size(), deep.size()) << status;
    EXPECT_NE(status.find("...\\"), std::string::npos) << status;
    EXPECT_EQ(Upper(status).substr(status.size() - 5), "\\NAME") << status;
}

TEST(FolderBrowseDlg, OkButtonStateAndStatusTextWhileOpen) {
    TFolderBrowseDlg dialog;
    SetUpAsInTheProgram(dialog, "Choose");
    dialog.ShowSelectionInStatus = false;
    dialog.SetEnableOKButton(false);
    dialog.SetStatusText("Pick one");
    bool okEnabledAtStart = true;
    std::string status;
    std::string caption;
    dialog.OnCreate = [&](TFolderBrowseDlg& sender) { caption = sender.Caption(); };
    WindowWatcher watcher("Choose", [&](HWND box) {
        okEnabledAtStart = IsWindowEnabled(GetDlgItem(box, IDOK)) != FALSE;
        status = StatusLineText(box);
        PressButton(box, IDCANCEL);
    });
    dialog.Execute();
    ASSERT_TRUE(watcher.Done());
    EXPECT_FALSE(okEnabledAtStart);
    EXPECT_EQ(status, "Pick one");
    EXPECT_EQ(caption, "Choose");
}

TEST(FolderBrowseDlg, FolderOutsideTheCodePageIsSelectedShownAndReturnedExactly) {
    TempFolder folder;
    const std::string chosen = folder / "日本 Ψ 😀";
    ASSERT_TRUE(CreateDirectoryW(Wide(chosen).c_str(), nullptr));
    TFolderBrowseDlg dialog;
    SetUpAsInTheProgram(dialog, "Select Directory");
    dialog.SetSelection(chosen);
    std::wstring status(512, L'\0');
    WindowWatcher watcher("Select Directory", [&](HWND box) {
        status.resize(static_cast<std::size_t>(GetWindowTextW(GetDlgItem(box, 14147), status.data(), 512)));
        PressButton(box, IDOK);
    });
    ASSERT_TRUE(dialog.Execute());
    ASSERT_TRUE(watcher.Done());
    EXPECT_EQ(UpperCase(dialog.Selection()), UpperCase(chosen));
    EXPECT_NE(Utf8(status).find("日本 Ψ 😀"), std::string::npos) << Utf8(status);
}
