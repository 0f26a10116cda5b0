#include "app/mainfrm.h"

#include "app/programpaths.h"
#include "base/files.h"
#include "options/optfrm.h"
#include "resources/mainform_layout.h"
#include "settings/pathtext.h"
#include "settings/registry.h"
#include "settings/store.h"
#include "settings/system.h"
#include "thumbs/thmbfrm.h"
#include "ui/application.h"
#include "ui/layout.h"
#include "ui/layoutmath.h"
#include "ui/menus.h"

#include <shellapi.h>

namespace corv {

using namespace ui;

const Color BackgroundColors[9] = {
    SystemColor(COLOR_BACKGROUND),
    SystemColor(COLOR_APPWORKSPACE),
    RGB(0, 0, 0),
    RGB(255, 255, 255),
    RGB(128, 0, 0),
    RGB(0, 128, 0),
    RGB(0, 0, 128),
    RGB(255, 255, 0),
    RGB(192, 192, 192),
};

namespace {
constexpr COLORREF kLedOff = RGB(128, 0, 0);
constexpr COLORREF kLedOn = RGB(255, 0, 0);

} // namespace

TMainForm::TMainForm(Component* owner) : Form(owner, FormStyle{.className = "TMainForm"}) {
    TPictureView::RegisterKind();
    BuildLayout(*this, MainFormDesign());
    OnCreate = [this](Control& s) { FormCreate(s); };
    OnResize = [this](Control& s) { FormResize(s); };
    OnClose = [this](Form& s, CloseAction& a) { FormClose(s, a); };
    OnKeyUp = [this](Control& s, WORD& k, ShiftState sh) { FormKeyUp(s, k, sh); };
    PanelFile = &ControlAs<Panel>(*this, "PanelFile");
    LabelPathText = &ControlAs<Label>(*this, "LabelPathText");
    LabelPath = &ControlAs<Label>(*this, "LabelPath");
    DriveComboBox1 = &ControlAs<DriveComboBox>(*this, "DriveComboBox1");
    DriveComboBox1->OnChange = [this](Control& s) { DriveComboBox1Change(s); };
    DriveComboBox1->OnKeyPress = [this](Control& s, char& k) { DriveComboBox1KeyPress(s, k); };
    LabelFilename = &ControlAs<Label>(*this, "LabelFilename");
    LabelImageinfo = &ControlAs<Label>(*this, "LabelImageinfo");
    FLB = &ControlAs<FileListBox>(*this, "FLB");
    FLB->OnChange = [this](Control& s) { FLBChange(s); };
    FLB->OnKeyDown = [this](Control& s, WORD& k, ShiftState sh) { FLBKeyDown(s, k, sh); };
    FLB->OnKeyPress = [this](Control& s, char& k) { FLBKeyPress(s, k); };
    FLB->OnDblClick = [this](Control& s) { FLBDblClick(s); };
    FLB->OnMouseDown = [this](Control& s, MouseButton b, ShiftState sh, int x, int y) {
        FLBMouseDown(s, b, sh, x, y);
    };
    FLB->OnDragOver = [this](Control& s, Control& src, int x, int y, bool& a) {
        FLBDragOver(s, src, x, y, a);
    };
    FLB->OnDragDrop = [this](Control& s, Control& src, int x, int y) { FLBDragDrop(s, src, x, y); };
    PanelButton = &ControlAs<Panel>(*this, "PanelButton");
    PanelLED = &ControlAs<Panel>(*this, "PanelLED");
    BtnStretch = &ControlAs<Button>(*this, "BtnStretch");
    BtnStretch->OnClick = [this](Control& s) { BtnStretchClick(s); };
    ButtonVollbild = &ControlAs<Button>(*this, "ButtonVollbild");
    ButtonVollbild->OnClick = [this](Control& s) { ButtonVollbildClick(s); };
    BtnCpyClp = &ControlAs<Button>(*this, "BtnCpyClp");
    BtnCpyClp->OnClick = [this](Control& s) { BtnCpyClpClick(s); };
    BtnThumb = &ControlAs<Button>(*this, "BtnThumb");
    BtnThumb->OnClick = [this](Control& s) { BtnThumbClick(s); };
    BtnExit = &ControlAs<Button>(*this, "BtnExit");
    BtnExit->OnClick = [this](Control& s) { BtnExitClick(s); };
    PanelImage = &ControlAs<Panel>(*this, "PanelImage");
    PMI = &ControlAs<TPictureView>(*this, "PMI");
    PMI->SetDecodeAhead(&PicturesAhead);
    // Pictures decoded ahead belong to the folder they were decoded in.
    FLB->OnDirectoryChange = [this](Control&) { PicturesAhead.Clear(); };
    FLB->OnReadFailure = [this](Control&) { FLBReadFailure(); };
    PopupMenu = &ComponentAs<ui::PopupMenu>(*this, "PopupMenu");
    PopupMenu->OnPopup = [this](Control& s) { PopupMenuPopup(s); };
    PopupMenu->Item("PopupItemSelDir").onClick = [this](Control& s) { PopupItemSelDirClick(s); };
    PopupMenu->Item("PopupItemCdRoot").onClick = [this](Control& s) { PopupItemCdRootClick(s); };
    PopupMenu->Item("PopupItemRefresh").onClick = [this](Control& s) { PopupItemRefreshClick(s); };
    PopupMenu->Item("PopupItemDelete").onClick = [this](Control& s) { PopupItemDeleteClick(s); };
    PopupMenu->Item("PopupItemFOp").onClick = [this](Control& s) { PopupItemFOpClick(s); };
    PopupMenu->Item("PopupItemExecute").onClick = [this](Control& s) { PopupItemExecuteClick(s); };
    if (!App().MainForm()) App().SetMainForm(this);
    SetUpFileBrowser();
    DoCreate();
}

TMainForm::~TMainForm() {
    // No handler of ours may run once the window starts going away, and the picture view, which lives
    // on until the controls go, must not reach the pictures ahead, which go before.
    App().SetMessageHook(nullptr);
    PMI->CancelLoad();
    PMI->SetDecodeAhead(nullptr);
    loadHold_.reset();
    DestroyHandle();
}

void TMainForm::FormCreate(Control&) {
    SystemMenu = GetSystemMenu(Handle(), FALSE);
    AppendMenuW(SystemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(SystemMenu, MF_STRING, IDM_ABOUT, L"&About Corvane ...");
    AppendMenuW(SystemMenu, MF_STRING, IDM_HELP, L"Corvane &Help");
    AppendMenuW(SystemMenu, MF_STRING, IDM_OPTIONS, L"&Options ...");
    DrawMenuBar(Handle());

    App().SetTitle("Corvane");
    CurrentFile.clear();
    Loading = false;
    SetCaption(App().Title());

    SetAutoScroll(true);

    LabelPath->SetCaption(ShortenPath(FLB->Directory(), 30));
    if (FLB->Count() > 0) FLB->SetItemIndex(0);
    LabelFilename->SetCaption("Filename: " + (FLB->Count() > 0 ? FLB->Item(0) : std::string()));

    LastDrive = DriveComboBox1->Drive();
    ThumbsOpen = false;
    Closing = false;

    if (RegReadString(HKEY_CURRENT_USER, SettingsKey, "Stretch") == "1") {
        PanelLED->SetColor(kLedOn);
        PMI->SetStretch(true);
    }

    ApplyOptions();

    // The help file names no windows of its own, so contents and context help share its main window;
    // no ">window" after the name either: Wine's help viewer takes that for part of the file's name.
    if (FileExists(HelpFileName) && FileExists(ProgramDir + "\\CORV32.CNT"))
        App().SetHelpFile(HelpFileName);
    else
        EnableMenuItem(SystemMenu, IDM_HELP, MF_BYCOMMAND | MF_GRAYED);

    App().SetMessageHook([this](MSG& message) { return HandleSystemCommand(message); });

    DragAcceptFiles(Handle(), TRUE);

    if (Maximized) SetWindowState(WindowState::Maximized);

    // The shortcut's show command: taken from the start-up information when the entry got the default.
    int show = App().CmdShow();
    if (show == SW_SHOWDEFAULT) {
        StartupInfo.cb = sizeof StartupInfo;
        GetStartupInfoW(&StartupInfo);
        // wShowWindow means something only when the starter said so.
        show = (StartupInfo.dwFlags & STARTF_USESHOWWINDOW) ? StartupInfo.wShowWindow : SW_SHOWDEFAULT;
    }
    if (show == SW_SHOWMINIMIZED || show == SW_MINIMIZE || show == SW_SHOWMINNOACTIVE)
        SetWindowState(WindowState::Minimized);
    else if (show == SW_SHOWMAXIMIZED)
        SetWindowState(WindowState::Maximized);
}

bool TMainForm::HandleSystemCommand(MSG& message) {
    if (message.message != WM_SYSCOMMAND) return false;
    switch (message.wParam) {
    case IDM_ABOUT:
        ShowAbout();
        return true;
    case IDM_HELP:
        ShowHelpContents();
        return true;
    case IDM_OPTIONS:
        ShowOptionsDialog();
        return true;
    }
    return false;
}

void TMainForm::ShowAbout() {
    TAboutBox about(nullptr);
    about.ShowModal();
}

void TMainForm::ShowHelpContents() {
    App().HelpCommand(HELP_FINDER, 0);
}

void TMainForm::ShowOptionsDialog() {
    {
        TOptionsForm options(nullptr);
        options.ApplyOptions = [this] { ApplyOptions(); };
        options.ShowModal();
    }
    // A changed ShowOnSel takes effect on the selected entry at once.
    FLBChange(*FLB);
}

void TMainForm::FormKeyUp(Control&, WORD& key, ShiftState) {
    if (key == VK_F4) {
        key = 0;
        ShowOptionsDialog();
    } else if (key == VK_F5) {
        key = 0;
        PopupItemRefreshClick(*FLB);
    }
}

void TMainForm::FormResize(Control&) {
    if (FullViewActive) return;
    ScrollTo(0, 0);
    // A minimised window has no layout to keep; it is laid out again when restored.
    if (IsIconic(Handle())) return;
    const FormDesign& design = MainFormDesign();
    const Extent size = AtLeast({Width(), Height()}, {design.width, design.height});
    if (size.width != Width() || size.height != Height()) SetBounds(Left(), Top(), size.width, size.height);
    // The file panel and its list grow with the window; the button panel keeps to the bottom edge.
    ApplyAnchors(*this, design);
    if (PMI->Stretch()) FitImagePanel();
    FLB->SetFocus();
}

void TMainForm::FormClose(Form&, CloseAction&) {
    Closing = true;
    // Without its question, since Closing is set; while it builds, it closes once its current cell is done.
    if (ThumbsOpen && ThumbForm) ThumbForm->Close();
    App().HelpCommand(HELP_QUIT, 0);
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "Stretch", PMI->Stretch() ? "1" : "0");
    LastDir = FLB->Directory();
    SaveSettings();
}

void TMainForm::ApplyOptions() {
    if (BgColorIdx >= 0 && BgColorIdx <= 8) SetColor(BackgroundColors[BgColorIdx]);
}

void TMainForm::BtnExitClick(Control&) {
    Close();
}

void TMainForm::BtnStretchClick(Control&) {
    FLB->SetFocus();
    PanelLED->SetColor(PanelLED->GetColor() == kLedOff ? kLedOn : kLedOff);
    PMI->SetStretch(!PMI->Stretch());
    FitImagePanel();
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) {
        DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return Form::WndProc(message, wParam, lParam);
}

TAboutBox::TAboutBox(Component* owner) : Form(owner, DialogStyle("TAboutBox")) {
    BuildLayout(*this, AboutBoxDesign());
}

} // namespace corv
