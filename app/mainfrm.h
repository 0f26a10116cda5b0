// TMainForm: the main window with the file panel on the left and the picture panel on the right.
#pragma once
#include "browse/folderdlg.h"
#include "fileops/shellfileop.h"
#include "fullview/fviewfrm.h"
#include "image/decodeahead.h"
#include "image/pictureinfo.h"
#include "image/picview.h"
#include "ui/filelist.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corv {

class TCvThumbForm;

// Commands added to the main window's system menu.
inline constexpr UINT IDM_ABOUT = 0x110;
inline constexpr UINT IDM_HELP = 0x120;
inline constexpr UINT IDM_OPTIONS = 0x130;

// The main window's colour by BgColorIdx; the first two are system colours.
extern const ui::Color BackgroundColors[9];

class TMainForm : public ui::Form {
  public:
    explicit TMainForm(ui::Component* owner);
    ~TMainForm() override;

    // Controls, as the design names them.
    ui::Panel* PanelFile = nullptr;
    ui::Label* LabelPathText = nullptr;
    ui::Label* LabelPath = nullptr;
    ui::DriveComboBox* DriveComboBox1 = nullptr;
    ui::Label* LabelFilename = nullptr;
    ui::Label* LabelImageinfo = nullptr;
    ui::FileListBox* FLB = nullptr;
    ui::Panel* PanelButton = nullptr;
    ui::Panel* PanelLED = nullptr;
    ui::Button* BtnStretch = nullptr;
    ui::Button* ButtonVollbild = nullptr;
    ui::Button* BtnCpyClp = nullptr;
    ui::Button* BtnThumb = nullptr;
    ui::Button* BtnExit = nullptr;
    ui::Panel* PanelImage = nullptr;
    TPictureView* PMI = nullptr;
    ui::PopupMenu* PopupMenu = nullptr;

    // State beyond the controls.
    bool Loading = false;              // a picture is on its way: its header read, its decode not ended
    std::vector<std::string> DropList; // the dropped names, only while a drop is handled
    STARTUPINFOW StartupInfo{};
    std::string CurrentFile;
    char LastDrive = 0;
    bool ThumbsOpen = false;
    bool Closing = false;
    TCvThumbForm* ThumbForm = nullptr; // while ThumbsOpen
    HMENU SystemMenu = nullptr;        // the system's menu of this window, not ours to free
    // The next picture in the direction of the last move, decoded while the shown one is looked at.
    DecodeAhead PicturesAhead;

    void FormCreate(ui::Control& sender);
    void FormResize(ui::Control& sender);
    void FormClose(ui::Form& sender, ui::CloseAction& action);
    void FormKeyUp(ui::Control& sender, WORD& key, ui::ShiftState shift);
    bool HandleSystemCommand(MSG& message);
    void ApplyOptions();
    void BtnExitClick(ui::Control& sender);
    void BtnStretchClick(ui::Control& sender);
    // The file browser panel (app/filebrowser.cpp).
    std::unique_ptr<TFolderBrowseDlg> FolderBrowseDlg;
    void DriveComboBox1Change(ui::Control& sender);
    void DriveComboBox1KeyPress(ui::Control& sender, char& key);
    void FLBReadFailure();
    void FLBChange(ui::Control& sender);
    void FLBKeyDown(ui::Control& sender, WORD& key, ui::ShiftState shift);
    void FLBKeyPress(ui::Control& sender, char& key);
    void FLBDblClick(ui::Control& sender);
    void FLBMouseDown(ui::Control& sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);
    void FLBDragOver(ui::Control& sender, ui::Control& source, int x, int y, bool& accept);
    void FLBDragDrop(ui::Control& sender, ui::Control& source, int x, int y);
    void PopupMenuPopup(ui::Control& sender);
    void PopupItemSelDirClick(ui::Control& sender);
    void PopupItemCdRootClick(ui::Control& sender);
    void PopupItemRefreshClick(ui::Control& sender);
    void PopupItemDeleteClick(ui::Control& sender);
    void PopupItemFOpClick(ui::Control& sender);
    void PopupItemExecuteClick(ui::Control& sender);
    // Enter or a double click: into a directory, show a picture, or hand another file to the shell.
    void OpenSelectedEntry();
    // An entry is selected and it names a file (not a directory, not something that is gone).
    bool FileEntrySelected() const;
    // Files dropped from the shell: moved or copied into the list's directory.
    void DropFiles(HDROP drop);
    void FitImagePanel();
    void ResetImagePanel();
    void ApplyImagePanelLayout(const ImagePanelLayout& layout);

    // Picture viewing (app/mainview.cpp).
    // Starts showing the picture; the decode ends later, from the message loop (Loading until then).
    void LoadPicture(const std::string& fileName);
    // Starts decoding the picture after the shown one in the list, in the direction from the previous one
    // (the other way at the end of the list).
    void DecodeNextAhead(const std::string& previousFile);
    void ShowPicture(bool visible);
    void RunWithShell(const std::string& fileName);
    void ButtonVollbildClick(ui::Control& sender);
    void BtnCpyClpClick(ui::Control& sender);
    void BtnThumbClick(ui::Control& sender);
    // Creates and shows the thumbnail window for the file list's directory (it is built separately).
    TCvThumbForm& OpenThumbnails();
    // The full-screen view has closed: the selected name and the layout again.
    void FullViewClosed();
    void ShowAbout();
    void ShowHelpContents();
    // The options dialog, modal; afterwards the selection handler runs again.
    void ShowOptionsDialog();

  private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Builds what the file browser needs beyond the layout; the constructor calls it.
    void SetUpFileBrowser();
    std::unique_ptr<FileOpList> fileOpList_;
    // The end of a load, once its picture is decoded.
    void FinishLoad(const std::string& previousFile, bool showCursor);
    std::vector<ui::Button*> LoadButtons() const;
    // The last load asked for while another was on its way.
    std::optional<std::string> waitingLoad_;
    std::unique_ptr<ui::InputHold> loadHold_;
};

// Points the main window's file list at a path: a directory (isDirectory) or a file, which is then
// selected. A path that cannot be found changes nothing. The selection handler is not run.
void GoToPath(TMainForm& form, const std::string& path, bool isDirectory);
// The same for the program's main window.
void GoToPath(const std::string& path, bool isDirectory);

// Lets the full-screen view walk the main window's file list and load its pictures through it.
void ConnectFullView(TMainForm& form, TFullViewForm& view);

// The About box: program name, version, icon and OK.
class TAboutBox : public ui::Form {
  public:
    explicit TAboutBox(ui::Component* owner);
};

} // namespace corv
