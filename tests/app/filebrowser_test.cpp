// The main window's file browser with real folders, real windows, the real shell and real drops.
#include "app/mainfrm.h"
#include "app/programpaths.h"
#include "app/startup.h"
#include "fileops/fopfrm.h"
#include "fileops/shellfileop.h"
#include "settings/pathtext.h"
#include "settings/store.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "ui/application.h"
#include "ui/filelistmodel.h"
#include "ui/menus.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <memory>

namespace corv {
namespace {

using test::Pump;

std::string Upper(std::string text) {
    CharUpperA(text.data());
    return text;
}

const auto Fixture = test::FixturePath;

LPARAM ItemPoint(HWND list, int index) {
    RECT rect{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// Presses the left button on one entry, moves to another and lets go there, as a user drags.
void DragEntry(HWND list, int from, int to) {
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, ItemPoint(list, from));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, ItemPoint(list, to));
    SendMessageA(list, WM_LBUTTONUP, 0, ItemPoint(list, to));
    Pump();
}

// A drop as the shell hands it over: the names after a DROPFILES header, each ended by NUL, plus one NUL.
HDROP MakeDrop(const std::vector<std::string>& names) {
    const std::string list = MakeShellFileList(names);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string TrashFolder() {
    char data[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("XDG_DATA_HOME", data, sizeof data)) return {};
    std::string trash = std::string("Z:") + data + "/Trash/files/";
    for (char& c : trash)
        if (c == '/') c = '\\';
    return trash;
}

std::string UniqueName(const char* stem, const char* extension) {
    return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount()) + extension;
}

class FileBrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
        CreateDirectoryA((folder / "sub").c_str(), nullptr);
        CopyFileA(Fixture("bmp/im-v3-8.bmp").c_str(), (folder / "sub\\inner.bmp").c_str(), FALSE);
        test::WriteFileBytes(folder / "a.txt", "a");
        CopyFileA(Fixture("bmp/im-v3-8.bmp").c_str(), (folder / "b.bmp").c_str(), FALSE);
        CopyFileA(Fixture("bmp/im-v3-4.bmp").c_str(), (folder / "Photo.bmp").c_str(), FALSE);
        test::WriteFileBytes(folder / "zeta.txt", "z");
        SetCurrentDirectoryA(folder.Path().c_str());
        ProgramDir = programFolder.Path();
        HelpFileName = ProgramDir + "\\CORV32.HLP";
        ui::App().SetCmdShow(SW_SHOWNORMAL);
        test::ForgetQuit();
    }
    void TearDown() override {
        form.reset();
        test::ForgetQuit();
        SetCurrentDirectoryA(savedDirectory);
    }
    void Create() {
        LoadSettings();
        form = std::make_unique<TMainForm>(nullptr);
        form->Show();
        Pump();
        GoToPath(*form, folder.Path(), true);
        form->FLB->SetFocus();
        Pump();
    }
    HWND List() const { return form->FLB->Handle(); }
    std::string Selected() const {
        const int index = form->FLB->ItemIndex();
        return index >= 0 ? form->FLB->Item(index) : "";
    }
    void Select(const std::string& text) {
        const int index = form->FLB->IndexOf(text);
        ASSERT_GE(index, 0) << text;
        form->FLB->SetItemIndex(index);
    }
    void Key(WORD key) { test::PostKey(List(), key); }

    char savedDirectory[MAX_PATH + 1] = "";
    test::ScratchKey key{SettingsKey};
    test::TempFolder folder;
    test::TempFolder programFolder;
    std::unique_ptr<TMainForm> form;
};

TEST_F(FileBrowserTest, EntriesAreBracketedSortedAndTheFileNameJoinsThem) {
    Create();
    std::vector<std::string> texts;
    for (int i = 0; i < form->FLB->Count(); ++i)
        texts.push_back(form->FLB->Item(i));
    EXPECT_EQ(texts,
              (std::vector<std::string>{"[..]", "[.]", "[sub]", "a.txt", "b.bmp", "Photo.bmp", "zeta.txt"}));
    EXPECT_EQ(Selected(), "[..]") << "a directory is entered with its first entry selected";
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: [..]");
    EXPECT_EQ(form->LabelPath->Caption(), ShortenPath(folder.Path(), 30));
    Select("Photo.bmp");
    EXPECT_EQ(form->FLB->FileName(), folder / "Photo.bmp");
    form->FLB->SetItemIndex(-1);
    EXPECT_EQ(form->FLB->FileName(), "");
}

TEST_F(FileBrowserTest, EnterWalksIntoBracketedEntriesAndBackUp) {
    Create();
    Select("[sub]");
    Key(VK_RETURN);
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder / "sub"));
    EXPECT_EQ(Selected(), "[..]");
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: [..]");
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(Upper(current), Upper(folder / "sub")) << "the shown directory is the current one";

    Select("[.]");
    Key(VK_RETURN);
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder / "sub")) << "[.] stays";

    Select("[..]");
    Key(VK_RETURN);
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder.Path()));
    EXPECT_EQ(Selected(), "[..]");
    EXPECT_EQ(Upper(form->LabelPath->Caption()), Upper(ShortenPath(folder.Path(), 30)));
}

TEST_F(FileBrowserTest, DriveRootHasNoParentEntryAndRootPathGoesThere) {
    Create();
    // Three levels below the folder, the Root Path command goes to the first three characters.
    const std::string deep = folder / "one\\two\\three";
    CreateDirectoryA((folder / "one").c_str(), nullptr);
    CreateDirectoryA((folder / "one\\two").c_str(), nullptr);
    CreateDirectoryA(deep.c_str(), nullptr);
    GoToPath(*form, deep, true);
    ASSERT_EQ(Upper(form->FLB->Directory()), Upper(deep));
    form->PopupItemCdRootClick(*form->FLB);
    EXPECT_EQ(form->FLB->Directory(), Upper(deep.substr(0, 3)));
    EXPECT_EQ(form->FLB->IndexOf("[..]"), -1);
    EXPECT_EQ(form->FLB->IndexOf("[.]"), -1);
    EXPECT_EQ(form->LabelPath->Caption(), form->FLB->Directory());
    EXPECT_EQ(form->FLB->ItemIndex(), 0);
}

TEST_F(FileBrowserTest, GoToPathSelectsFilesIgnoringCaseAndIgnoresWhatIsNotThere) {
    Create();
    GoToPath(*form, folder / "sub", true);
    ASSERT_EQ(Upper(form->FLB->Directory()), Upper(folder / "sub"));

    GoToPath(*form, folder / "PHOTO.BMP", false);
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder.Path()));
    EXPECT_EQ(Selected(), "Photo.bmp");
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: Photo.bmp");
    EXPECT_EQ(form->CurrentFile, "") << "GoToPath does not run the selection handler";

    // A missing path and a directory named as a file change nothing.
    Select("zeta.txt");
    GoToPath(*form, folder / "missing.bmp", false);
    GoToPath(*form, folder / "missing", true);
    GoToPath(*form, folder / "sub", false);
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder.Path()));
    EXPECT_EQ(Selected(), "zeta.txt");

    // The free routine works on the program's main window.
    ASSERT_EQ(ui::App().MainForm(), form.get());
    GoToPath(folder / "a.txt", false);
    EXPECT_EQ(Selected(), "a.txt");

    // A directory with a trailing backslash is found by its contents.
    GoToPath(*form, folder / "sub\\", true);
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder / "sub"));
    EXPECT_EQ(form->FLB->ItemIndex(), 0);
}

TEST_F(FileBrowserTest, ShowOnSelLoadsPicturesAsTheArrowKeysSelectThem) {
    Create();
    ShowOnSel = true;
    Select("[sub]");
    Key(VK_DOWN); // a.txt
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: a.txt");
    EXPECT_EQ(form->CurrentFile, "");
    Key(VK_DOWN); // b.bmp
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: b.bmp");
    EXPECT_EQ(form->CurrentFile, folder / "b.bmp");
    Key(VK_DOWN); // Photo.bmp
    EXPECT_EQ(form->CurrentFile, folder / "Photo.bmp");
    Key(VK_DOWN); // zeta.txt: only the label
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: zeta.txt");
    EXPECT_EQ(form->CurrentFile, folder / "Photo.bmp");
}

TEST_F(FileBrowserTest, WithoutShowOnSelOnlyEnterAndDoubleClickLoad) {
    Create();
    ShowOnSel = false;
    Select("a.txt");
    Key(VK_DOWN);
    ASSERT_EQ(Selected(), "b.bmp");
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: b.bmp");
    EXPECT_EQ(form->CurrentFile, "");
    Key(VK_RETURN);
    EXPECT_EQ(form->CurrentFile, folder / "b.bmp");

    const int photo = form->FLB->IndexOf("Photo.bmp");
    SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, ItemPoint(List(), photo));
    SendMessageA(List(), WM_LBUTTONUP, 0, ItemPoint(List(), photo));
    Pump();
    EXPECT_EQ(Selected(), "Photo.bmp");
    EXPECT_EQ(form->CurrentFile, folder / "b.bmp") << "a single click only selects";
    SendMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, ItemPoint(List(), photo));
    SendMessageA(List(), WM_LBUTTONUP, 0, ItemPoint(List(), photo));
    Pump();
    EXPECT_EQ(form->CurrentFile, folder / "Photo.bmp");

    // A double click on a directory entry enters it.
    const int sub = form->FLB->IndexOf("[sub]");
    SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, ItemPoint(List(), sub));
    SendMessageA(List(), WM_LBUTTONUP, 0, ItemPoint(List(), sub));
    SendMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, ItemPoint(List(), sub));
    SendMessageA(List(), WM_LBUTTONUP, 0, ItemPoint(List(), sub));
    Pump();
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder / "sub"));
}

TEST_F(FileBrowserTest, KeysPressedWhileAPictureLoadsActAfterItInOrder) {
    Create();
    ShowOnSel = true;
    Select("a.txt");
    SetForegroundWindow(form->Handle());
    form->FLB->SetFocus();
    Pump();
    form->LoadPicture(folder / "Photo.bmp");
    ASSERT_TRUE(form->Loading);
    // Typed while the picture decodes: each Down selects the next entry and shows it, after the load.
    INPUT keys[4] = {};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = VK_DOWN;
        keys[i].ki.dwFlags = i % 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof(INPUT));
    Pump(200);
    ASSERT_TRUE(test::RunUntil([this] { return !form->Loading && Selected() == "Photo.bmp"; }, 5000))
        << Selected();
    EXPECT_EQ(form->CurrentFile, folder / "Photo.bmp");
    EXPECT_EQ(form->FLB->SelectedPath(), form->CurrentFile) << "the selection names the picture shown";
}

TEST_F(FileBrowserTest, DeleteKeySendsTheFileToTheRecycleBinAndSelectsTheNeighbour) {
    const std::string trash = TrashFolder();
    if (trash.empty()) GTEST_SKIP() << "no XDG_DATA_HOME";
    const std::string name = UniqueName("deleted", ".txt");
    test::WriteFileBytes(folder / name, "recycle me");
    Create();
    Select(name);
    const int index = form->FLB->ItemIndex();
    const std::string next = form->FLB->Item(index + 1);
    test::WindowWatcher confirm(
        "", [](HWND box) { test::PressButton(box, IDYES); }, 5000);
    Key(VK_DELETE);
    EXPECT_TRUE(confirm.Done()) << "the shell asked";
    Pump();
    EXPECT_FALSE(test::PathExists(folder / name));
    EXPECT_EQ(test::ReadFileBytes(trash + name), "recycle me");
    EXPECT_EQ(form->FLB->ItemIndex(), index) << "the file that moved up takes its place";
    EXPECT_EQ(Selected(), next);
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: " + next) << "the key runs the selection handler";
    EXPECT_EQ(GetFocus(), List());

    // On a directory entry the key does nothing.
    Select("[sub]");
    Key(VK_DELETE);
    Pump(100);
    EXPECT_EQ(test::FindOwnDialog(), nullptr);
    EXPECT_TRUE(test::PathExists(folder / "sub\\inner.bmp"));
}

TEST_F(FileBrowserTest, ContextMenuDeleteOnTheLastFileSelectsTheNewLast) {
    const std::string trash = TrashFolder();
    if (trash.empty()) GTEST_SKIP() << "no XDG_DATA_HOME";
    const std::string name = UniqueName("zz-last", ".txt");
    test::WriteFileBytes(folder / name, "last one");
    Create();
    // The right button selects the entry under it before the menu opens.
    const int last = form->FLB->Count() - 1;
    ASSERT_EQ(form->FLB->Item(last), name);
    test::WindowWatcher confirm(
        "", [](HWND box) { test::PressButton(box, IDYES); }, 8000);
    test::AfterMessages([] { test::ChooseMenuItem(4); }, 200); // Select, Root, Refresh, Delete
    SendMessageA(List(), WM_RBUTTONDOWN, MK_RBUTTON, ItemPoint(List(), last));
    EXPECT_EQ(Selected(), name);
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: " + name);
    SendMessageA(List(), WM_RBUTTONUP, 0, ItemPoint(List(), last));
    EXPECT_TRUE(confirm.Done());
    Pump();
    EXPECT_FALSE(test::PathExists(folder / name));
    EXPECT_EQ(test::ReadFileBytes(trash + name), "last one");
    EXPECT_EQ(Selected(), "zeta.txt");
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: ") << "the menu's Delete runs no selection handler";
}

TEST_F(FileBrowserTest, MenuItemsForFilesAreEnabledOnlyForAFileEntry) {
    Create();
    ui::MenuItem& remove = *form->PopupMenu->Find("PopupItemDelete");
    ui::MenuItem& execute = *form->PopupMenu->Find("PopupItemExecute");
    const auto popup = [&] { form->PopupMenuPopup(*form->FLB); };
    Select("a.txt");
    popup();
    EXPECT_TRUE(remove.enabled);
    EXPECT_TRUE(execute.enabled);
    Select("[sub]");
    popup();
    EXPECT_FALSE(remove.enabled);
    EXPECT_FALSE(execute.enabled);
    form->FLB->SetItemIndex(-1);
    popup();
    EXPECT_FALSE(remove.enabled);
    EXPECT_FALSE(execute.enabled);
    for (const char* always : {"PopupItemSelDir", "PopupItemCdRoot", "PopupItemRefresh", "PopupItemFOp"})
        EXPECT_TRUE(form->PopupMenu->Find(always)->enabled) << always;
    // A right click below the last entry keeps the selection.
    Select("zeta.txt");
    SendMessageA(List(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, form->FLB->ClientHeight() - 2));
    EXPECT_EQ(Selected(), "zeta.txt");
}

TEST_F(FileBrowserTest, EnterInTheDriveSelectorGoesToTheListAndInsertNeedsASelection) {
    Create();
    form->DriveComboBox1->SetFocus();
    test::PostKey(form->DriveComboBox1->Handle(), VK_RETURN);
    Pump();
    EXPECT_EQ(GetFocus(), List());
    // Insert with nothing selected opens nothing.
    form->FLB->SetItemIndex(-1);
    bool opened = false;
    test::AfterMessages(
        [&] {
            HWND dialog = FindWindowA("TFileOpForm", nullptr);
            opened = dialog != nullptr;
            if (dialog) PostMessageA(dialog, WM_CLOSE, 0, 0);
        },
        100);
    Key(VK_INSERT);
    Pump(200);
    EXPECT_FALSE(opened);
}

TEST_F(FileBrowserTest, OtherFilesGoToTheShellOnEnterOnlyWithExecOtherFilesButAlwaysFromTheMenu) {
    // No program is associated with this extension: the shell's refusal is reported, nothing starts.
    test::WriteFileBytes(folder / "orphan.qqz", "?");
    Create();
    form->FLB->Update();
    Select("orphan.qqz");
    ExecOtherFiles = false;
    {
        test::ScriptedMessageBoxes boxes;
        Key(VK_RETURN);
        EXPECT_TRUE(boxes.Asked().empty()) << "Enter leaves other files alone";
    }
    {
        test::ScriptedMessageBoxes boxes({IDOK});
        form->PopupItemExecuteClick(*form->FLB);
        ASSERT_EQ(boxes.Asked().size(), 1u) << "the menu's command ignores the setting";
        EXPECT_EQ(boxes.Asked()[0].text, "Cannot execute file ! File-Extension is not associated.");
    }
    ExecOtherFiles = true;
    {
        test::ScriptedMessageBoxes boxes({IDOK});
        Key(VK_RETURN);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].caption, "Error");
    }
    EXPECT_EQ(form->CurrentFile, "");
}

TEST_F(FileBrowserTest, DraggingAFileOntoTheParentEntryMovesItThere) {
    Create();
    GoToPath(*form, folder / "sub", true);
    const int file = form->FLB->IndexOf("inner.bmp");
    const int parent = form->FLB->IndexOf("[..]");
    ASSERT_GE(file, 0);
    form->FLB->SetItemIndex(file);
    DragEntry(List(), file, parent);
    EXPECT_FALSE(test::PathExists(folder / "sub\\inner.bmp"));
    EXPECT_TRUE(test::PathExists(folder / "inner.bmp"));
    EXPECT_EQ(SourceFiles, folder / "sub\\inner.bmp");
    EXPECT_EQ(DestFiles, folder / "sub\\..");
    EXPECT_EQ(form->FLB->IndexOf("inner.bmp"), -1) << "the list was read again";
    EXPECT_FALSE(form->FLB->Dragging());
}

TEST_F(FileBrowserTest, RefusedDrags) {
    Create();
    CreateDirectoryA((folder / "other").c_str(), nullptr);
    form->PopupItemRefreshClick(*form->FLB);
    const auto accepts = [&](const std::string& dragged, const std::string& target) {
        Select(dragged);
        RECT rect{};
        SendMessageA(List(), LB_GETITEMRECT, form->FLB->IndexOf(target), reinterpret_cast<LPARAM>(&rect));
        bool accept = true;
        form->FLBDragOver(*form->FLB, *form->FLB, rect.left + 5, rect.top + 5, accept);
        return accept;
    };
    EXPECT_TRUE(accepts("a.txt", "[sub]"));
    EXPECT_TRUE(accepts("a.txt", "[..]"));
    EXPECT_FALSE(accepts("a.txt", "[.]"));
    EXPECT_FALSE(accepts("a.txt", "zeta.txt"));
    EXPECT_FALSE(accepts("a.txt", "a.txt"));
    EXPECT_FALSE(accepts("[other]", "[sub]"));
    bool accept = true;
    Select("a.txt");
    form->FLBDragOver(*form->FLB, *form->PanelFile, 10, 10, accept);
    EXPECT_FALSE(accept) << "only the list's own entries";
    accept = true;
    form->FLBDragOver(*form->FLB, *form->FLB, 10, form->FLB->ClientHeight() - 2, accept);
    EXPECT_FALSE(accept) << "below the last entry";

    // Real drags that are refused leave the files where they are.
    const int a = form->FLB->IndexOf("a.txt");
    form->FLB->SetItemIndex(a);
    DragEntry(List(), a, form->FLB->IndexOf("[.]"));
    form->FLB->SetItemIndex(form->FLB->IndexOf("a.txt"));
    DragEntry(List(), form->FLB->ItemIndex(), form->FLB->IndexOf("zeta.txt"));
    const int other = form->FLB->IndexOf("[other]");
    form->FLB->SetItemIndex(other);
    DragEntry(List(), other, form->FLB->IndexOf("[sub]"));
    EXPECT_TRUE(test::PathExists(folder / "a.txt"));
    EXPECT_TRUE(test::PathExists(folder / "zeta.txt"));
    EXPECT_EQ(GetFileAttributesA((folder / "other").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_FALSE(test::PathExists(folder / "sub\\other"));
}

TEST_F(FileBrowserTest, AtADriveRootTheDropPathsHaveOneBackslash) {
    const std::string dirName = UniqueName("corv-drop-dir", "");
    const std::string fileName = UniqueName("corv-drop-file", ".txt");
    const std::string dir = "C:\\" + dirName, file = "C:\\" + fileName;
    ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    test::WriteFileBytes(file, "at the root");
    Create();
    GoToPath(*form, "C:\\", true);
    ASSERT_EQ(form->FLB->Directory(), "C:\\");
    const int dragged = form->FLB->IndexOf(fileName);
    form->FLB->SetItemIndex(dragged);
    DragEntry(List(), dragged, form->FLB->IndexOf("[" + dirName + "]"));
    EXPECT_EQ(SourceFiles, file);
    EXPECT_EQ(DestFiles, dir);
    const bool moved = test::ReadFileBytes(dir + "\\" + fileName) == "at the root";
    DeleteFileA((dir + "\\" + fileName).c_str());
    DeleteFileA(file.c_str());
    RemoveDirectoryA(dir.c_str());
    EXPECT_TRUE(moved);
}

// A drive letter mapped to a folder that is gone: the system cannot read that drive.
class LostDrive {
  public:
    explicit LostDrive(const std::string& target) {
        for (char letter = 'Q'; letter <= 'Y' && !drive_; ++letter) {
            const std::string device{letter, ':'};
            if (GetLogicalDrives() & (1u << (letter - 'A'))) continue;
            if (DefineDosDeviceA(0, device.c_str(), target.c_str())) drive_ = letter;
        }
    }
    ~LostDrive() {
        if (drive_) DefineDosDeviceA(DDD_REMOVE_DEFINITION, std::string{drive_, ':'}.c_str(), nullptr);
    }
    char Letter() const { return drive_; }

  private:
    char drive_ = 0;
};

BOOL CALLBACK CollectTexts(HWND window, LPARAM param) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
    return TRUE;
}

TEST_F(FileBrowserTest, AnUnreadableDriveWarnsAndGoesBackToThePreviousDrive) {
    const std::string gone = folder / "gone";
    ASSERT_TRUE(CreateDirectoryA(gone.c_str(), nullptr));
    LostDrive lost(gone);
    ASSERT_NE(lost.Letter(), 0) << "no free drive letter could be mapped";
    ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));
    Create();
    const char before = form->DriveComboBox1->Drive();
    ASSERT_EQ(form->LastDrive, before);
    const std::string directory = form->FLB->Directory();

    // The user picks the drive in the selector.
    HWND combo = form->DriveComboBox1->Handle();
    form->DriveComboBox1->ReadDrives();
    const std::string lostText{lost.Letter(), ':'};
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(lostText.c_str()));
    ASSERT_NE(index, CB_ERR) << "the selector lists " << lostText;
    std::vector<std::string> texts;
    test::WindowWatcher warning("Warnung", [&](HWND box) {
        EnumChildWindows(box, &CollectTexts, reinterpret_cast<LPARAM>(&texts));
        test::PressButton(box, IDOK);
    });
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    ASSERT_TRUE(warning.Done()) << "the warning dialog";
    char shown[8] = "";
    GetWindowTextA(combo, shown, sizeof shown);
    EXPECT_EQ(std::string(shown), std::string(1, before) + ":") << "the selector shows the previous drive";
    const std::string expected = std::string("Access Error on Drive ") + lost.Letter() + ": !";
    EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
    EXPECT_EQ(form->DriveComboBox1->Drive(), before);
    EXPECT_EQ(form->LastDrive, before);
    EXPECT_EQ(form->FLB->Directory(), directory);
}

TEST_F(FileBrowserTest, ChangingToAReadableDriveShowsItsCurrentDirectory) {
    Create();
    ASSERT_EQ(Upper(form->FLB->Directory().substr(0, 2)), "C:");
    form->DriveComboBox1->SetDrive('Z');
    ASSERT_EQ(form->FLB->Directory().substr(0, 3), "Z:\\");
    EXPECT_EQ(form->LastDrive, 'Z');
    EXPECT_EQ(form->FLB->ItemIndex(), 0);
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: " + form->FLB->Item(0));
    EXPECT_EQ(form->LabelPath->Caption(), ShortenPath(form->FLB->Directory(), 30));
    form->DriveComboBox1->SetDrive('C');
    EXPECT_EQ(Upper(form->FLB->Directory().substr(0, 3)), "C:\\");
    EXPECT_EQ(form->LastDrive, 'C');
    EXPECT_EQ(form->CurrentFile, "") << "a drive change never loads";
}

TEST_F(FileBrowserTest, SelectDirectoryStartsOnTheListsDirectoryAndGoesThere) {
    Create();
    GoToPath(*form, folder / "sub", true);
    Select("inner.bmp");
    std::string status;
    std::vector<std::string> texts;
    test::WindowWatcher choose("Select Directory", [&](HWND box) {
        EnumChildWindows(box, &CollectTexts, reinterpret_cast<LPARAM>(&texts));
        status = test::FolderDialogStatus(box);
        test::PressButton(box, IDOK);
    });
    form->PopupItemSelDirClick(*form->FLB);
    ASSERT_TRUE(choose.Done());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Current Path:"), texts.end()) << "the title";
    EXPECT_EQ(Upper(status), Upper(folder / "sub"));
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder / "sub"));
    EXPECT_EQ(Selected(), "[..]") << "the chosen directory is shown from its first entry";
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: [..]");

    Select("inner.bmp");
    test::WindowWatcher cancel("Select Directory", [](HWND box) { test::PressButton(box, IDCANCEL); });
    form->PopupItemSelDirClick(*form->FLB);
    ASSERT_TRUE(cancel.Done());
    EXPECT_EQ(Selected(), "inner.bmp") << "a cancelled dialog changes nothing";
}

TEST_F(FileBrowserTest, FileOperationsDialogGetsTheFileOrTheDirectory) {
    Create();
    const auto fields = [&](auto open) {
        std::string from, to;
        bool found = false;
        test::AfterMessages(
            [&] {
                HWND dialog = FindWindowA("TFileOpForm", nullptr);
                found = dialog != nullptr;
                if (!dialog) return;
                auto* form = dynamic_cast<TFileOpForm*>(ui::Control::FromHandle(dialog));
                if (form) {
                    from = form->EditFrom->Text();
                    to = form->EditTo->Text();
                    form->BtnClose->Click();
                }
            },
            200);
        open();
        EXPECT_TRUE(found);
        return std::make_pair(from, to);
    };
    Select("b.bmp");
    EXPECT_EQ(fields([&] { form->PopupItemFOpClick(*form->FLB); }),
              std::make_pair(folder / "b.bmp", folder / "b.bmp"));
    EXPECT_EQ(GetFocus(), List());
    Select("[sub]");
    EXPECT_EQ(fields([&] {
                  Key(VK_INSERT);
                  Pump(400);
              }),
              std::make_pair(folder.Path(), folder.Path()))
        << "Insert on a directory entry";
    EXPECT_EQ(FindWindowA("TFileOpForm", nullptr), nullptr) << "freed after it closes";
}

class DropTest : public FileBrowserTest {
  protected:
    void SetUp() override {
        FileBrowserTest::SetUp();
        for (const char* name : {"one.txt", "two.txt", "three.txt"})
            test::WriteFileBytes(source / name, name);
    }
    std::vector<std::string> Names() const {
        return {source / "one.txt", source / "two.txt", source / "three.txt"};
    }
    // Drops the names on the window, answering the question; true when the drop was released.
    bool Drop(const std::vector<std::string>& names, int answer,
              std::vector<MessageBoxRequest>* asked = nullptr) {
        test::ScriptedMessageBoxes boxes({answer});
        HDROP drop = MakeDrop(names);
        SendMessageA(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        Pump();
        if (asked) *asked = boxes.Asked();
        return GlobalSize(drop) == 0;
    }
    test::TempFolder source;
};

TEST_F(DropTest, YesMovesEveryFileIntoTheListsDirectory) {
    // Wine's shell cancels a move of several plain files into one folder (Windows does not); with a folder
    // among them it moves them all, so this drop carries one.
    CreateDirectoryA((source / "album").c_str(), nullptr);
    test::WriteFileBytes(source / "album\\inside.txt", "inside");
    std::vector<std::string> names = Names();
    names.insert(names.begin() + 1, source / "album");
    Create();
    std::vector<MessageBoxRequest> asked;
    EXPECT_TRUE(Drop(names, IDYES, &asked));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text,
              "Move Files to " + form->FLB->Directory() + " ?\rYes = Move, No = Copy, Cancel = Do Nothing");
    EXPECT_EQ(asked[0].caption, "Question");
    EXPECT_EQ(asked[0].beepType, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(asked[0].buttons, static_cast<UINT>(MB_YESNOCANCEL));
    EXPECT_EQ(asked[0].owner, form->Handle());
    for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
        EXPECT_EQ(test::ReadFileBytes(folder / name), name);
        EXPECT_FALSE(test::PathExists(source / name));
    }
    EXPECT_EQ(test::ReadFileBytes(folder / "album\\inside.txt"), "inside");
    EXPECT_GE(form->FLB->IndexOf("two.txt"), 0) << "the list was refreshed";
    EXPECT_GE(form->FLB->IndexOf("[album]"), 0);
    EXPECT_EQ(form->FLB->ItemIndex(), 0);
}

TEST_F(DropTest, NoCopiesAndCancelDoesNothing) {
    Create();
    EXPECT_TRUE(Drop(Names(), IDCANCEL));
    EXPECT_FALSE(test::PathExists(folder / "one.txt"));
    EXPECT_TRUE(test::PathExists(source / "one.txt"));

    EXPECT_TRUE(Drop(Names(), IDNO));
    for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
        EXPECT_EQ(test::ReadFileBytes(folder / name), name);
        EXPECT_EQ(test::ReadFileBytes(source / name), name) << "copied, not moved";
    }
    EXPECT_EQ(Selected(), "[..]") << "refreshed with its first entry selected";
}

TEST_F(DropTest, NamesLongerThan255CharactersArriveWhole) {
    std::string dir = source.Path();
    while (dir.size() < 200) {
        dir += "\\deep-folder-name";
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    }
    const std::string padding(std::max<std::size_t>(1, 258 - dir.size() - 6), 'p');
    const std::string longName = dir + "\\" + padding + ".txt";
    ASSERT_GT(longName.size(), 255u);
    test::WriteFileBytes(longName, "whole");
    // Cut at 255 characters the name would name this file instead.
    test::WriteFileBytes(longName.substr(0, 255), "impostor");
    Create();
    EXPECT_TRUE(Drop({longName}, IDNO));
    EXPECT_EQ(test::ReadFileBytes(folder / (padding + ".txt")), "whole");
}

TEST_F(FileBrowserTest, StartTargetFromTheArgumentOrTheLastDirectory) {
    Create();
    test::TempFolder other;
    CopyFileA(Fixture("bmp/im-v3-8.bmp").c_str(), (other / "Start.bmp").c_str(), FALSE);
    test::WriteFileBytes(other / "notes.txt", "n");

    OpenStartTarget(*form, {other / "START.BMP"});
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(other.Path()));
    EXPECT_EQ(Selected(), "Start.bmp");
    EXPECT_EQ(form->CurrentFile, other / "START.BMP") << "a picture is shown";

    OpenStartTarget(*form, {other / "notes.txt"});
    EXPECT_EQ(Selected(), "notes.txt");
    EXPECT_EQ(form->CurrentFile, other / "START.BMP") << "another file is only selected";

    // A directory argument leaves the list where it is, even with a LastDir.
    LastDir = folder.Path();
    OpenStartTarget(*form, {folder / "sub"});
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(other.Path()));

    ShowOnSel = true;
    OpenStartTarget(*form, {});
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(folder.Path()));
    EXPECT_EQ(Selected(), "[..]");

    LastDir = folder / "no-longer-there";
    GoToPath(*form, other.Path(), true);
    OpenStartTarget(*form, {});
    EXPECT_EQ(Upper(form->FLB->Directory()), Upper(other.Path()));
}

} // namespace
} // namespace corv
