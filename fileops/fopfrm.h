// TFileOpForm: a small modal dialog in which the user types or browses a source and a destination and
// has the shell rename, delete, move or copy.
#pragma once
#include "browse/folderdlg.h"
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <memory>

namespace corv {

class TFileOpForm : public ui::Form {
  public:
    explicit TFileOpForm(ui::Component* owner);
    ~TFileOpForm() override;

    ui::Label* LabelFrom = nullptr;
    ui::Edit* EditFrom = nullptr;
    ui::Button* BtnBrowseFrom = nullptr;
    ui::Label* LabelTo = nullptr;
    ui::Edit* EditTo = nullptr;
    ui::Button* BtnBrowseTo = nullptr;
    ui::Button* BtnRename = nullptr;
    ui::Button* BtnDelete = nullptr;
    ui::Button* BtnMove = nullptr;
    ui::Button* BtnCopy = nullptr;
    ui::Button* BtnClose = nullptr;
    std::unique_ptr<TFolderBrowseDlg> FolderBrowseDlg;

    void BtnRenameClick(ui::Control& sender);
    void BtnDeleteClick(ui::Control& sender);
    void BtnMoveClick(ui::Control& sender);
    void BtnCopyClick(ui::Control& sender);
    void BtnBrowseFromClick(ui::Control& sender);
    void BtnBrowseToClick(ui::Control& sender);
    // Whether a source (a destination) was given; if not the user is told and the edit gets the focus.
    bool CheckSource();
    bool CheckDest();

  private:
    void TwoNameOperation(int kind);
    // Starts the folder dialog where the edit's text points; the chosen folder or "" when cancelled.
    bool BrowseFrom(const std::string& text, std::string& chosen);
};

} // namespace corv
