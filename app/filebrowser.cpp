// The file browser panel of the main window: the drive selector, the file list with its keys, mouse,
// dragging and context menu, and files dropped from the shell.
#include "app/mainfrm.h"
#include "image/pictureinfo.h"
#include "base/files.h"
#include "base/handles.h"
#include "base/shellhandles.h"
#include "base/wide.h"
#include "fileops/fopfrm.h"
#include "fileops/shellfileop.h"
#include "settings/pathtext.h"
#include "settings/store.h"
#include "settings/system.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/filelistmodel.h"
#include "ui/menus.h"

#include <shellapi.h>

namespace corv {

using namespace ui;

namespace {

// The index that asks a drop for the number of its files instead of a name.
constexpr UINT kDropFileCount = 0xFFFFFFFF;

// The characters up to and including the last "\" or ":".
std::string DirectoryPartOf(const std::string& path) {
    const auto slash = path.find_last_of("\\:");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string SelectedText(const FileListBox& list) {
    const int index = list.ItemIndex();
    return index >= 0 ? list.Item(index) : std::string();
}

void SelectFirst(FileListBox& list) {
    if (list.Count() > 0) list.SetItemIndex(0);
}

// Looks for the path as a directory search would, with the attribute set of the probe: a directory
// probe finds everything but volume labels, a file probe leaves directories out too.
bool ProbePath(const std::string& path, bool isDirectory, std::string& foundName) {
    // Wildcards would probe other names than the one asked for.
    if (path.find_first_of("*?") != std::string::npos) return false;
    if (path.empty()) return false;
    const std::string pattern = isDirectory && path.back() == '\\' ? path + "*.*" : path;
    const DWORD excluded = kVolumeLabelAttribute | (isDirectory ? 0 : FILE_ATTRIBUTE_DIRECTORY);
    for (FileSearch search(pattern); search.Valid(); search.Next()) {
        if (!(search.Found().dwFileAttributes & excluded)) {
            foundName = search.Name();
            return true;
        }
    }
    return false;
}

// The main window's list as the shell file operations see it.
class MainFileOpList : public FileOpList {
  public:
    explicit MainFileOpList(FileListBox& list) : list_(list) { SetFileOpList(this); }
    ~MainFileOpList() override { SetFileOpList(nullptr); }
    int ItemIndex() const override { return list_.ItemIndex(); }
    int Count() const override { return list_.Count(); }
    void Update() override { list_.Update(); }
    void SelectIndex(int index) override { list_.SetItemIndex(index); }

  private:
    FileListBox& list_;
};

} // namespace

void GoToPath(TMainForm& form, const std::string& path, bool isDirectory) {
    std::string foundName;
    if (!ProbePath(path, isDirectory, foundName)) return;
    FileListBox& list = *form.FLB;
    list.EnterPath(isDirectory ? path : DirectoryPartOf(path));
    // Only a drive letter goes to the drive selector; a network path has none.
    const std::string& directory = list.Directory();
    if (directory.size() >= 2 && directory[1] == ':') form.DriveComboBox1->SetDrive(directory[0]);
    form.LabelPath->SetCaption(ShortenPath(list.Directory(), 30));
    if (isDirectory) {
        SelectFirst(list);
    } else {
        const int index = list.IndexOfEntry(foundName, false);
        if (index >= 0)
            list.SetItemIndex(index);
        else
            SelectFirst(list);
    }
    form.LabelFilename->SetCaption("Filename: " + SelectedText(list));
    // The new folder and selection show at once, before a load that may follow; painting only, so no
    // handler runs in the middle of this.
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void GoToPath(const std::string& path, bool isDirectory) {
    if (auto* form = dynamic_cast<TMainForm*>(App().MainForm())) GoToPath(*form, path, isDirectory);
}

void TMainForm::SetUpFileBrowser() {
    FolderBrowseDlg = std::make_unique<TFolderBrowseDlg>(Handle());
    FolderBrowseDlg->SetCaption("Select Directory");
    FolderBrowseDlg->Title = "Current Path:";
    FolderBrowseDlg->Root = TRootID::idDrives;
    FolderBrowseDlg->Options = {TBrowseFlag::bfDirectoriesOnly};
    FolderBrowseDlg->ShowSelectionInStatus = true;
    fileOpList_ = std::make_unique<MainFileOpList>(*FLB);
}

// A file entry is a selected entry of a file that is still there; a directory entry, or a file that has
// gone since the list was read, counts as a directory entry.
bool TMainForm::FileEntrySelected() const {
    return FLB->ItemIndex() >= 0 && !FLB->SelectedIsDirectory() && FileExists(FLB->SelectedPath());
}

void TMainForm::FLBChange(Control&) {
    LabelFilename->SetCaption("Filename: " + SelectedText(*FLB));
    if (FileEntrySelected() && ShowOnSel && IsPictureFile(FLB->SelectedPath())) OpenSelectedEntry();
}

void TMainForm::OpenSelectedEntry() {
    const std::string fileName = FLB->SelectedPath();
    if (!FileEntrySelected()) {
        // Entered by its exact name; a file that has gone enters nothing.
        if (FLB->SelectedIsDirectory()) FLB->EnterEntry(FLB->ItemIndex());
        LabelPath->SetCaption(ShortenPath(FLB->Directory(), 30));
        SelectFirst(*FLB);
        FLBChange(*FLB);
    } else if (IsPictureFile(fileName)) {
        LoadPicture(fileName);
    } else if (ExecOtherFiles) {
        RunWithShell(fileName);
    }
}

void TMainForm::FLBReadFailure() {
    // Said once the window is up; the list keeps "[..]" so that the user can leave the folder.
    if (!Handle() || !IsWindowVisible(Handle())) return;
    BeepMessageBox(Handle(), MB_ICONHAND, MB_OK, "Cannot read the directory " + FLB->Directory() + " !",
                   "Error");
}

void TMainForm::DriveComboBox1Change(Control&) {
    const char drive = DriveComboBox1->Drive();
    const std::string root{drive, ':', '\\'};
    // An empty removable drive or a lost network drive must not bring up the system's own error box.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    ULARGE_INTEGER total{};
    const BOOL readable = GetDiskFreeSpaceExW(Wide(root).c_str(), nullptr, &total, nullptr);
    SetErrorMode(previousMode);
    if (!readable) {
        MessageBeep(MB_ICONEXCLAMATION);
        WarningDialog("Access Error on Drive " + std::string(1, drive) + ":" + " !");
        // Back to the drive that worked; this handler runs again for it.
        DriveComboBox1->SetDrive(LastDrive);
        return;
    }
    FLB->EnterPath(std::string{drive, ':'});
    FLB->Repaint();
    LabelPath->SetCaption(ShortenPath(FLB->Directory(), 30));
    SelectFirst(*FLB);
    LabelFilename->SetCaption("Filename: " + SelectedText(*FLB));
    LastDrive = drive;
}

void TMainForm::DriveComboBox1KeyPress(Control&, char& key) {
    if (key != '\r') return;
    key = 0;
    FLB->SetFocus();
}

void TMainForm::FLBKeyDown(Control&, WORD& key, ShiftState) {
    if (key == VK_DELETE) {
        if (!FileEntrySelected()) return;
        SourceFiles = FLB->SelectedPath();
        ShellFileOp(Handle(), foDelete);
        FLB->SetFocus();
        FLBChange(*FLB);
    } else if (key == VK_INSERT) {
        if (FLB->ItemIndex() >= 0) PopupItemFOpClick(*FLB);
    }
}

void TMainForm::FLBKeyPress(Control&, char& key) {
    if (key != '\r') return;
    key = 0;
    OpenSelectedEntry();
}

void TMainForm::FLBDblClick(Control&) {
    OpenSelectedEntry();
}

void TMainForm::FLBMouseDown(Control&, MouseButton button, ShiftState, int x, int y) {
    if (button != MouseButton::Right) return;
    // The context menu acts on the entry under the mouse.
    const int index = FLB->ItemAtPos(x, y);
    if (index < 0) return;
    FLB->SetItemIndex(index);
    FLBChange(*FLB);
}

void TMainForm::FLBDragOver(Control&, Control& source, int x, int y, bool& accept) {
    accept = false;
    if (&source != FLB) return;
    const int target = FLB->ItemAtPos(x, y);
    const int dragged = FLB->ItemIndex();
    if (target < 0 || dragged < 0 || target == dragged) return;
    // Only a file, and only onto a directory other than the shown one: decided by the entries' kinds,
    // never by their texts (a file may be named "[xy]").
    accept = !FLB->IsDirectoryItem(dragged) && FLB->IsDirectoryItem(target) && FLB->Entry(target).name != ".";
}

void TMainForm::FLBDragDrop(Control&, Control&, int x, int y) {
    const int target = FLB->ItemAtPos(x, y);
    const int dragged = FLB->ItemIndex();
    if (target < 0 || dragged < 0 || target >= FLB->Count() || dragged >= FLB->Count()) return;
    if (FLB->IsDirectoryItem(dragged) || !FLB->IsDirectoryItem(target) || FLB->Entry(target).name == ".")
        return;
    SourceFiles = FLB->EntryPath(dragged);
    DestFiles = FLB->EntryPath(target);
    ShellFileOp(Handle(), foMove);
}

void TMainForm::PopupMenuPopup(Control&) {
    const bool fileEntry = FileEntrySelected();
    if (MenuItem* item = PopupMenu->Find("PopupItemDelete")) item->enabled = fileEntry;
    if (MenuItem* item = PopupMenu->Find("PopupItemExecute")) item->enabled = fileEntry;
}

void TMainForm::PopupItemSelDirClick(Control&) {
    FolderBrowseDlg->SetSelection(FLB->Directory());
    if (!FolderBrowseDlg->Execute()) return;
    GoToPath(*this, FolderBrowseDlg->Selection(), true);
    FLBChange(*FLB);
}

void TMainForm::PopupItemCdRootClick(Control&) {
    GoToPath(*this, FLB->Directory().substr(0, 3), true);
    FLBChange(*FLB);
}

void TMainForm::PopupItemRefreshClick(Control&) {
    FLB->Update();
    SelectFirst(*FLB);
    FLBChange(*FLB);
}

void TMainForm::PopupItemDeleteClick(Control&) {
    // Only a file entry: the menu item is off for the others, and a key or a stale menu must not
    // delete what a directory entry's text happens to name.
    if (!FileEntrySelected()) return;
    SourceFiles = FLB->SelectedPath();
    ShellFileOp(Handle(), foDelete);
}

void TMainForm::PopupItemFOpClick(Control&) {
    {
        TFileOpForm dialog(nullptr);
        const std::string names = FileEntrySelected() ? FLB->SelectedPath() : FLB->Directory();
        dialog.EditFrom->SetText(names);
        dialog.EditTo->SetText(names);
        dialog.ShowModal();
    }
    FLB->SetFocus();
    FLBChange(*FLB);
}

void TMainForm::PopupItemExecuteClick(Control&) {
    if (FLB->ItemIndex() < 0) return;
    RunWithShell(FLB->SelectedIsDirectory() ? FLB->FileName() : FLB->SelectedPath());
}

void TMainForm::DropFiles(HDROP drop) {
    const DropHandle finish(drop); // the shell's drop is finished on every way out
    SetForegroundWindow(Handle());
    const UINT count = DragQueryFileW(drop, kDropFileCount, nullptr, 0);
    const int answer = BeepMessageBox(Handle(), MB_ICONQUESTION, MB_YESNOCANCEL,
                                      "Move Files to " + FLB->Directory() + " ?" + "\r" +
                                          "Yes = Move, No = Copy, Cancel = Do Nothing",
                                      "Question");
    if (answer == IDYES || answer == IDNO) {
        // Each name at the length the shell reports: a long name is never cut.
        for (UINT i = 0; i < count; ++i) {
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring name(length + 1, L'\0');
            const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
            name.resize(copied);
            if (!name.empty()) DropList.push_back(Utf8(name));
        }
        const std::string names = MakeShellFileList(DropList);
        const bool any = !DropList.empty();
        DropList.clear();
        if (any) {
            DestFiles = FLB->Directory();
            ShellFileOp(Handle(), answer == IDYES ? foMove : foCopy, &names);
        }
        PopupItemRefreshClick(*FLB);
    }
}

} // namespace corv
