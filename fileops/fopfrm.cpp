#include "fileops/fopfrm.h"

#include "base/files.h"
#include "fileops/shellfileop.h"
#include "resources/fileop_layout.h"
#include "settings/pathtext.h"
#include "settings/system.h"
#include "ui/filelistmodel.h"
#include "ui/layout.h"

namespace corv {

using namespace ui;

TFileOpForm::TFileOpForm(Component* owner) : Form(owner, DialogStyle("TFileOpForm")) {
    BuildLayout(*this, FileOpFormDesign());
    LabelFrom = &ControlAs<Label>(*this, "LabelFrom");
    EditFrom = &ControlAs<Edit>(*this, "EditFrom");
    BtnBrowseFrom = &ControlAs<Button>(*this, "BtnBrowseFrom");
    BtnBrowseFrom->OnClick = [this](Control& s) { BtnBrowseFromClick(s); };
    LabelTo = &ControlAs<Label>(*this, "LabelTo");
    EditTo = &ControlAs<Edit>(*this, "EditTo");
    BtnBrowseTo = &ControlAs<Button>(*this, "BtnBrowseTo");
    BtnBrowseTo->OnClick = [this](Control& s) { BtnBrowseToClick(s); };
    BtnRename = &ControlAs<Button>(*this, "BtnRename");
    BtnRename->OnClick = [this](Control& s) { BtnRenameClick(s); };
    BtnDelete = &ControlAs<Button>(*this, "BtnDelete");
    BtnDelete->OnClick = [this](Control& s) { BtnDeleteClick(s); };
    BtnMove = &ControlAs<Button>(*this, "BtnMove");
    BtnMove->OnClick = [this](Control& s) { BtnMoveClick(s); };
    BtnCopy = &ControlAs<Button>(*this, "BtnCopy");
    BtnCopy->OnClick = [this](Control& s) { BtnCopyClick(s); };
    BtnClose = &ControlAs<Button>(*this, "BtnClose");

    FolderBrowseDlg = std::make_unique<TFolderBrowseDlg>(Handle());
    FolderBrowseDlg->Title = "Current Path:";
    FolderBrowseDlg->Root = TRootID::idDrives;
    FolderBrowseDlg->Options = {TBrowseFlag::bfDirectoriesOnly};
    FolderBrowseDlg->SetCaption("Select a Location");
    FolderBrowseDlg->ShowSelectionInStatus = true;
    DoCreate();
}

TFileOpForm::~TFileOpForm() {
    FolderBrowseDlg.reset();
    DestroyHandle();
}

bool TFileOpForm::CheckSource() {
    if (!SourceFiles.empty()) return true;
    BeepMessageBox(Handle(), MB_ICONINFORMATION, MB_OK, "Please select Source file(s) first !",
                   "Information");
    EditFrom->SelectAll();
    EditFrom->SetFocus();
    return false;
}

bool TFileOpForm::CheckDest() {
    if (!DestFiles.empty()) return true;
    BeepMessageBox(Handle(), MB_ICONINFORMATION, MB_OK, "Please select a Destination first !", "Information");
    EditTo->SelectAll();
    EditTo->SetFocus();
    return false;
}

void TFileOpForm::TwoNameOperation(int kind) {
    SourceFiles = EditFrom->Text();
    DestFiles = EditTo->Text();
    // The destination is looked at only once there is a source.
    if (CheckSource() && CheckDest()) ShellFileOp(Handle(), kind);
}

void TFileOpForm::BtnRenameClick(Control&) {
    TwoNameOperation(foRename);
}

void TFileOpForm::BtnMoveClick(Control&) {
    TwoNameOperation(foMove);
}

void TFileOpForm::BtnCopyClick(Control&) {
    TwoNameOperation(foCopy);
}

void TFileOpForm::BtnDeleteClick(Control&) {
    SourceFiles = EditFrom->Text();
    if (CheckSource()) ShellFileOp(Handle(), foDelete);
}

bool TFileOpForm::BrowseFrom(const std::string& text, std::string& chosen) {
    FolderBrowseDlg->SetSelection(DirectoryExists(text) ? text : ExtractDir(text));
    if (!FolderBrowseDlg->Execute()) return false;
    chosen = FolderBrowseDlg->Selection();
    return true;
}

void TFileOpForm::BtnBrowseFromClick(Control&) {
    std::string chosen;
    // All files of the chosen folder; a drive root keeps its one backslash.
    if (BrowseFrom(EditFrom->Text(), chosen)) EditFrom->SetText(JoinEntry(chosen, "*.*"));
}

void TFileOpForm::BtnBrowseToClick(Control&) {
    std::string chosen;
    if (BrowseFrom(EditTo->Text(), chosen)) EditTo->SetText(chosen);
}

} // namespace corv
