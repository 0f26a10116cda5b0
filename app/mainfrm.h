// TMainForm: the main window with the file panel on the left and the picture panel on the right.
#pragma once
#include "fullview/fviewfrm.h"
#include "image/picview.h"
#include "ui/filelist.h"
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace corv {

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
    bool Loading = false;
    std::vector<std::string> DropList;
    std::vector<char> DropBuffer;
    char DropName[256] = {};
    STARTUPINFOA StartupInfo{};
    std::string CurrentFile;
    char LastDrive = 0;
    bool ThumbsOpen = false;
    bool Closing = false;
    HMENU SystemMenu = nullptr; // the system's menu of this window, not ours to free

    void FormCreate(ui::Control& sender);
    void FormResize(ui::Control& sender);
    void FormClose(ui::Form& sender, ui::CloseAction& action);
    void FormKeyUp(ui::Control& sender, WORD& key, ui::ShiftState shift);
    bool HandleSystemCommand(MSG& message);
    void ApplyOptions();
    void BtnExitClick(ui::Control& sender);
    void BtnStretchClick(ui::Control& sender);
    void FLBChange(ui::Control& sender);
    void PopupItemRefreshClick(ui::Control& sender);
    void FitImagePanel();
    void ResetImagePanel();

    // Picture viewing (app/mainview.cpp).
    void LoadPicture(const std::string& fileName);
    void ShowPicture(bool visible);
    void RunWithShell(const std::string& fileName);
    void ButtonVollbildClick(ui::Control& sender);
    void BtnCpyClpClick(ui::Control& sender);
    void BtnThumbClick(ui::Control& sender);
    // The full-screen view has closed: the selected name and the layout again.
    void FullViewClosed();
    void ShowAbout();
    void ShowHelpContents();
    void ShowOptionsDialog();

    // The options dialog arrives with its own module; until then this seam stands in for it.
    static std::function<void(TMainForm&)> OptionsDialog;

  private:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The About box: program name, version, icon and OK.
class TAboutBox : public ui::Form {
  public:
    explicit TAboutBox(ui::Component* owner);
};

} // namespace corv
