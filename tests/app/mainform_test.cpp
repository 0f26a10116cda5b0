// The main window in this process, with real windows and the real settings key.
#include "app/mainfrm.h"
#include "app/programpaths.h"
#include "options/optfrm.h"
#include "settings/pathtext.h"
#include "settings/registry.h"
#include "settings/store.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "ui/application.h"
#include "ui/filelistmodel.h"
#include "ui/layoutmath.h"
#include "ui/layout.h"
#include "ui/menus.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace corv {
namespace {

using test::PlaceInParent;
using test::Pump;

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
        test::WriteFileBytes(listFolder / "b.jpg", "b");
        test::WriteFileBytes(listFolder / "a & b.txt", "a");
        SetCurrentDirectoryA(listFolder.Path().c_str());
        ProgramDir = programFolder.Path();
        HelpFileName = ProgramDir + "\\CORV32.HLP";
        ui::App().SetCmdShow(SW_SHOWNORMAL);
        test::ForgetQuit();
    }
    void TearDown() override {
        form.reset();
        // A viewer left by a failed test must not outlive it.
        ui::App().HelpCommand(HELP_QUIT, 0);
        ui::App().SetHelpFile("");
        test::ForgetQuit();
        SetCurrentDirectoryA(savedDirectory);
    }
    void Create() {
        LoadSettings();
        form = std::make_unique<TMainForm>(nullptr);
        form->Show();
        Pump();
    }
    std::string Stored(const char* name) { return RegReadString(HKEY_CURRENT_USER, SettingsKey, name); }
    HWND Window(const char* name) { return ui::FindControl(*form, name)->Handle(); }

    char savedDirectory[MAX_PATH + 1] = "";
    test::ScratchKey key{SettingsKey};
    test::TempFolder listFolder;
    test::TempFolder programFolder;
    std::unique_ptr<TMainForm> form;
};

std::array<long, static_cast<int>(HandleKind::Count)> Counts() {
    std::array<long, static_cast<int>(HandleKind::Count)> counts{};
    for (int i = 0; i < static_cast<int>(HandleKind::Count); ++i)
        counts[i] = LiveHandles(static_cast<HandleKind>(i));
    return counts;
}

struct Placement {
    const char* name;
    const char* parent;
    int left, top, width, height;
    const char* caption;
    bool visible, enabled;
};

TEST_F(MainFormTest, ControlsStandWhereTheyAreDesigned) {
    Create();
    EXPECT_EQ(form->Width(), 606);
    EXPECT_EQ(form->Height(), 467);
    EXPECT_EQ(test::WindowText(form->Handle()), "Corvane");
    EXPECT_EQ(form->Font().name, "MS Sans Serif");
    EXPECT_EQ(form->Font().height, -11);
    EXPECT_TRUE(form->KeyPreview());
    EXPECT_EQ(form->HelpContext(), 120);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    // The heights that follow the client area (FormResize) are checked by the resize test; at the design
    // client height of 440 they are the designed 332, 228 and 340.
    const int clientHeight = form->ClientHeight();
    const int panelFileHeight = clientHeight - 108;
    const int listHeight = WholeItemHeight(panelFileHeight - 104, 16, 4);
    const Placement expected[] = {
        {"PanelFile", nullptr, 4, 4, 228, panelFileHeight, "", true, true},
        {"LabelPath", "PanelFile", 4, 20, 220, 13, nullptr, true, true},
        {"DriveComboBox1", "PanelFile", 12, 36, 204, 21, nullptr, true, true},
        {"LabelFilename", "PanelFile", 12, 62, 204, 13, nullptr, true, true},
        {"LabelImageinfo", "PanelFile", 12, 78, 204, 13, "", true, true},
        {"FLB", "PanelFile", 8, 96, 212, listHeight, "", true, true},
        {"PanelButton", nullptr, 4, clientHeight - 100, 228, 96, "", true, true},
        {"PanelLED", "PanelButton", 8, 14, 12, 12, "", true, false},
        {"BtnStretch", "PanelButton", 28, 8, 80, 24, "&STRETCH", true, true},
        {"ButtonVollbild", "PanelButton", 120, 8, 100, 24, "&FULLVIEW", true, true},
        {"BtnCpyClp", "PanelButton", 8, 36, 100, 24, "&COPY TO CLBD", true, false},
        {"BtnThumb", "PanelButton", 120, 36, 100, 24, "&THUMBNAILS", true, true},
        {"BtnExit", "PanelButton", 8, 64, 212, 24, "E &X I T", true, true},
        {"PanelImage", nullptr, 236, 4, 360, 272, "Corvane", true, true},
        {"PMI", "PanelImage", 4, 4, 352, 264, "", false, true},
    };
    for (const Placement& p : expected) {
        SCOPED_TRACE(p.name);
        HWND window = Window(p.name);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetParent(window), p.parent ? Window(p.parent) : form->Handle());
        const RECT place = PlaceInParent(window);
        EXPECT_EQ(place.left, p.left);
        EXPECT_EQ(place.top, p.top);
        EXPECT_EQ(place.right - place.left, p.width);
        EXPECT_EQ(place.bottom - place.top, p.height);
        if (p.caption) {
            EXPECT_EQ(test::WindowText(window), p.caption);
        }
        EXPECT_EQ(IsWindowVisible(window) != FALSE, p.visible);
        EXPECT_EQ(IsWindowEnabled(window) != FALSE, p.enabled);
    }
    std::printf("client height under this desktop: %d\n", clientHeight);

    // "Path:" sits at 100, 4 sized to its text.
    const RECT pathText = PlaceInParent(Window("LabelPathText"));
    EXPECT_EQ(pathText.left, 100);
    EXPECT_EQ(pathText.top, 4);
    EXPECT_GT(pathText.right - pathText.left, 10);
    EXPECT_LT(pathText.right - pathText.left, 60);
    EXPECT_EQ(test::WindowText(Window("LabelPathText")), "Path:");
    EXPECT_NE(GetWindowLongA(Window("LabelPathText"), GWL_STYLE) & SS_CENTER, 0);
    EXPECT_NE(GetWindowLongA(Window("LabelPath"), GWL_STYLE) & SS_CENTER, 0);
    EXPECT_NE(GetWindowLongA(Window("LabelFilename"), GWL_STYLE) & SS_NOPREFIX, 0) << "\"&\" shown as is";
    EXPECT_NE(GetWindowLongA(Window("LabelImageinfo"), GWL_STYLE) & SS_NOPREFIX, 0);

    // Colours and fonts.
    EXPECT_EQ(form->PanelLED->GetColor(), RGB(128, 0, 0));
    EXPECT_EQ(form->PanelImage->GetColor(), RGB(0, 0, 0));
    EXPECT_EQ(form->PanelImage->Font().name, "Times New Roman");
    EXPECT_EQ(form->PanelImage->Font().height, -32);
    EXPECT_TRUE(form->PanelImage->Font().bold);
    EXPECT_EQ(form->PanelImage->Font().color, RGB(255, 0, 0));
    EXPECT_EQ(form->PanelImage->BevelInner(), ui::Bevel::Lowered);
    EXPECT_EQ(form->PanelImage->BevelWidth(), 2);
    EXPECT_EQ(form->PanelFile->BevelInner(), ui::Bevel::Lowered);
    EXPECT_EQ(form->PanelFile->BorderWidth(), 1);
    EXPECT_EQ(form->PanelButton->BorderWidth(), 1);
    EXPECT_EQ(form->GetColor(), BackgroundColors[0]);

    // The picture view: centred, dithering, hidden, no tab stop.
    EXPECT_TRUE(form->PMI->Center());
    EXPECT_TRUE(form->PMI->ImageDither());
    EXPECT_FALSE(form->PMI->Stretch());
    EXPECT_FALSE(form->PMI->TabStop());

    // The file list: the current directory, its first entry selected, the labels filled.
    EXPECT_EQ(CompareNoCase(form->FLB->Directory(), listFolder.Path()), 0);
    EXPECT_EQ(form->FLB->ItemIndex(), 0);
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: [..]");
    EXPECT_EQ(form->LabelPath->Caption(), ShortenPath(listFolder.Path(), 30));
    EXPECT_EQ(form->FLB->Popup(), form->PopupMenu);
    EXPECT_EQ(GetFocus(), form->FLB->Handle()) << "the file list has the focus at start";
    EXPECT_EQ(form->LastDrive, form->DriveComboBox1->Drive());
    EXPECT_FALSE(form->ThumbsOpen);
    EXPECT_FALSE(form->Closing);
    EXPECT_FALSE(form->Loading);
    EXPECT_EQ(form->CurrentFile, "");
    EXPECT_EQ(ui::App().Title(), "Corvane");
}

TEST(ProgramPaths, FromTheRunningModule) {
    ComputeProgramPaths();
    char module[MAX_PATH + 1] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    const std::string name = module;
    EXPECT_EQ(ProgramDir, name.substr(0, name.rfind('\\')));
    EXPECT_NE(ProgramDir.back(), '\\');
    EXPECT_EQ(HelpFileName, ProgramDir + "\\CORV32.HLP");
}

TEST(FullViewForm, WaitsHiddenAsDesigned) {
    const auto before = Counts();
    {
        TFullViewForm view(nullptr);
        EXPECT_EQ(FullViewForm, &view);
        EXPECT_FALSE(IsWindowVisible(view.Handle()));
        EXPECT_EQ(GetWindowLongA(view.Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0) << "no frame";
        EXPECT_EQ(view.GetWindowState(), ui::WindowState::Maximized);
        EXPECT_EQ(view.GetColor(), RGB(0, 0, 0));
        EXPECT_TRUE(view.KeyPreview());
        EXPECT_EQ(view.Font().name, "System");
        EXPECT_EQ(view.Font().color, RGB(255, 0, 0));
        EXPECT_TRUE(view.Font().bold);
        const RECT place = PlaceInParent(view.PMI->Handle());
        EXPECT_EQ(place.left, 0);
        EXPECT_EQ(place.top, 0);
        EXPECT_EQ(place.right, 105);
        EXPECT_EQ(place.bottom, 105);
        EXPECT_TRUE(view.PMI->Center());
        EXPECT_FALSE(IsWindowEnabled(view.PMI->Handle())) << "takes no input of its own";
        EXPECT_FALSE(view.PMI->TabStop());
        EXPECT_EQ(view.PMI->GetColor(), RGB(0, 0, 0));
    }
    EXPECT_EQ(FullViewForm, nullptr);
    EXPECT_EQ(Counts(), before);
}

TEST_F(MainFormTest, ContextMenuItems) {
    Create();
    ASSERT_NE(form->PopupMenu, nullptr);
    std::vector<std::string> texts;
    for (const ui::MenuItem& item : form->PopupMenu->Items())
        texts.push_back(item.caption);
    EXPECT_EQ(texts, (std::vector<std::string>{"&Select Directory ...", "&Root Path", "-", "Refres&h", "-",
                                               "&Delete", "&File-Operation ...", "-", "&Execute File"}));
}

TEST_F(MainFormTest, TabOrder) {
    Create();
    EXPECT_EQ(form->PanelFile->TabOrder(), 0);
    EXPECT_EQ(form->PanelButton->TabOrder(), 1);
    EXPECT_EQ(form->PanelImage->TabOrder(), 2);
    EXPECT_EQ(form->DriveComboBox1->TabOrder(), 0);
    EXPECT_EQ(form->FLB->TabOrder(), 1);
    EXPECT_EQ(form->BtnStretch->TabOrder(), 0);
    EXPECT_EQ(form->ButtonVollbild->TabOrder(), 1);
    EXPECT_EQ(form->BtnCpyClp->TabOrder(), 2);
    EXPECT_EQ(form->BtnThumb->TabOrder(), 3);
    EXPECT_EQ(form->BtnExit->TabOrder(), 4);
    // Real Tab presses from the list: the disabled copy button and the hidden picture are skipped.
    std::vector<HWND> visited;
    for (int i = 0; i < 6; ++i) {
        test::PostKey(GetFocus(), VK_TAB);
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited, (std::vector<HWND>{form->BtnStretch->Handle(), form->ButtonVollbild->Handle(),
                                          form->BtnThumb->Handle(), form->BtnExit->Handle(),
                                          form->DriveComboBox1->Handle(), form->FLB->Handle()}));
}

TEST_F(MainFormTest, SystemMenuCommands) {
    Create();
    HMENU menu = GetSystemMenu(form->Handle(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 4);
    MENUITEMINFOA separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, static_cast<UINT>(count - 4), TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    const std::array<std::pair<UINT, const char*>, 3> items{
        {{IDM_ABOUT, "&About Corvane ..."}, {IDM_HELP, "Corvane &Help"}, {IDM_OPTIONS, "&Options ..."}}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetMenuItemID(menu, count - 3 + i), items[i].first);
        char text[64] = "";
        GetMenuStringA(menu, items[i].first, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ(text, items[i].second);
    }
    EXPECT_EQ(IDM_ABOUT, 272u);
    EXPECT_EQ(IDM_HELP, 288u);
    EXPECT_EQ(IDM_OPTIONS, 304u);
    EXPECT_TRUE(GetMenuState(menu, IDM_HELP, MF_BYCOMMAND) & MF_GRAYED) << "no help file here";
    EXPECT_FALSE(GetMenuState(menu, IDM_ABOUT, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MainFormTest, HelpNeedsBothFiles) {
    test::WriteFileBytes(programFolder / "CORV32.HLP", "help");
    Create();
    EXPECT_TRUE(GetMenuState(GetSystemMenu(form->Handle(), FALSE), IDM_HELP, MF_BYCOMMAND) & MF_GRAYED)
        << "the contents file is missing";
    form.reset();
    test::WriteFileBytes(programFolder / "CORV32.CNT", "contents");
    ui::App().SetHelpFile("");
    Create();
    EXPECT_FALSE(GetMenuState(GetSystemMenu(form->Handle(), FALSE), IDM_HELP, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(ui::App().HelpFile(), HelpFileName);
    ui::App().SetHelpFile("");
}

// The real help files in Wine's help viewer, read from outside: F1 opens the main window's topic, the Help
// command the contents, and closing the main window ends the viewer.
TEST_F(MainFormTest, HelpViewerShowsTheMainWindowsTopicAndTheContents) {
    ASSERT_TRUE(CopyFileA(test::BuiltHelpFile().c_str(), HelpFileName.c_str(), FALSE))
        << test::BuiltHelpFile() << " was not built (is halibut installed?)";
    ASSERT_TRUE(CopyFileA(test::BuiltContentsFile().c_str(), (ProgramDir + "\\CORV32.CNT").c_str(), FALSE));
    Create();
    ASSERT_FALSE(GetMenuState(GetSystemMenu(form->Handle(), FALSE), IDM_HELP, MF_BYCOMMAND) & MF_GRAYED);

    SetForegroundWindow(form->Handle());
    form->FLB->SetFocus();
    test::PressKey(VK_F1);
    test::HelpViewer viewer = test::WaitForHelpViewer("The main window is where you work with Corvane");
    ASSERT_NE(viewer.window, nullptr) << "F1 started no help viewer";
    EXPECT_NE(viewer.caption.find("Help"), std::string::npos) << viewer.caption;
    EXPECT_NE(viewer.text.find("Chapter 1: The main window"), std::string::npos) << viewer.text;
    EXPECT_NE(viewer.text.find("Keys of the main window"), std::string::npos) << "with its sections";

    PostMessageA(form->Handle(), WM_SYSCOMMAND, IDM_HELP, 0);
    viewer = test::WaitForHelpViewer("Corvane is a fast picture viewer");
    EXPECT_NE(viewer.text.find("Corvane is a fast picture viewer"), std::string::npos) << viewer.text;
    EXPECT_NE(viewer.text.find("Chapter 6: The options dialog"), std::string::npos) << "the contents";

    // F1 from a button finds the same topic again in the running viewer.
    SetForegroundWindow(form->Handle());
    form->BtnStretch->SetFocus();
    test::PressKey(VK_F1);
    viewer = test::WaitForHelpViewer("The main window is where you work with Corvane");
    EXPECT_NE(viewer.text.find("The main window is where you work with Corvane"), std::string::npos);

    form->Close();
    EXPECT_TRUE(test::HelpViewerEnds(viewer.process)) << "HELP_QUIT at close ends the viewer";
    ui::App().SetHelpFile("");
}

// Closes the options dialog from inside its modal loop once it shows, counting the dialogs seen.
void CloseOptionsWhenShown(int& shown) {
    test::AfterMessages([&shown] {
        if (HWND dialog = test::FindOwnWindow("Corvane Options")) {
            ++shown;
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        }
    });
}

TEST_F(MainFormTest, SystemCommandsReachTheHook) {
    Create();
    int options = 0;
    CloseOptionsWhenShown(options);
    PostMessageA(form->Handle(), WM_SYSCOMMAND, IDM_OPTIONS, 0);
    Pump();
    EXPECT_EQ(options, 1);
    // Sent straight to the window, not through the queue, it is handled too.
    CloseOptionsWhenShown(options);
    SendMessageA(form->Handle(), WM_SYSCOMMAND, IDM_OPTIONS, 0);
    EXPECT_EQ(options, 2);
    MSG other{form->Handle(), WM_SYSCOMMAND, IDM_OPTIONS + 1, 0, 0, {0, 0}};
    EXPECT_FALSE(form->HandleSystemCommand(other));
    MSG command{form->Handle(), WM_COMMAND, IDM_OPTIONS, 0, 0, {0, 0}};
    EXPECT_FALSE(form->HandleSystemCommand(command)) << "only WM_SYSCOMMAND";
    EXPECT_EQ(options, 2);
}

BOOL CALLBACK CollectText(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(test::WindowText(window));
    return TRUE;
}

TEST_F(MainFormTest, AboutBox) {
    Create();
    const auto before = Counts();
    std::vector<std::string> texts;
    std::string caption;
    bool ownerDisabled = false;
    HWND owner = nullptr, icon = nullptr;
    test::AfterMessages([&] {
        HWND about = FindWindowA("TAboutBox", nullptr);
        if (!about) return;
        caption = test::WindowText(about);
        owner = GetWindow(about, GW_OWNER);
        icon = FindWindowExA(about, nullptr, "TIconView", nullptr);
        ownerDisabled = !IsWindowEnabled(form->Handle());
        EnumChildWindows(about, &CollectText, reinterpret_cast<LPARAM>(&texts));
        // OK is the default button: Enter on whatever has the focus in the box closes it.
        HWND focus = GetFocus();
        if (!focus || GetAncestor(focus, GA_ROOT) != about) focus = about;
        PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 1);
    });
    PostMessageA(form->Handle(), WM_SYSCOMMAND, IDM_ABOUT, 0);
    Pump(300);
    for (int i = 0; i < 100 && FindWindowA("TAboutBox", nullptr); ++i)
        Pump(20);
    EXPECT_EQ(caption, "About Corvane");
    EXPECT_TRUE(ownerDisabled) << "the box is modal";
    EXPECT_EQ(owner, form->Handle());
    EXPECT_NE(icon, nullptr) << "the program's icon";
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Corvane"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Version 1.2"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "OK"), texts.end());
    EXPECT_EQ(FindWindowA("TAboutBox", nullptr), nullptr) << "closed by OK";
    EXPECT_EQ(Counts(), before) << "and freed with all its handles";
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

TEST_F(MainFormTest, ShrinkingSnapsBackAndResizingLaysOut) {
    Create();
    SetWindowPos(form->Handle(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(form->Width(), 606);
    EXPECT_EQ(form->Height(), 467);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 500, 700, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(form->Width(), 606) << "each side on its own";
    EXPECT_EQ(form->Height(), 700);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    const int clientHeight = form->ClientHeight();
    EXPECT_EQ(form->PanelButton->Top(), clientHeight - 100);
    EXPECT_EQ(form->PanelFile->Height(), clientHeight - 108);
    const int listHeight = form->FLB->Height();
    EXPECT_LE(listHeight, clientHeight - 108 - 104);
    EXPECT_GT(listHeight, clientHeight - 108 - 104 - 16);
    RECT listClient;
    GetClientRect(form->FLB->Handle(), &listClient);
    EXPECT_EQ(listClient.bottom % 16, 0) << "whole items";
    EXPECT_EQ(GetFocus(), form->FLB->Handle());
}

TEST_F(MainFormTest, BigUnscaledPictureAreaScrollsAndResizeScrollsBack) {
    Create();
    // Only the header is read: a bitmap header that promises 2000 x 1500 pixels is enough.
    corv::test::TempFolder folder;
    BITMAPFILEHEADER file{0x4D42, 14 + 40, 0, 0, 14 + 40};
    BITMAPINFOHEADER info{40, 2000, 1500, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(&file), 14);
    bytes.append(reinterpret_cast<const char*>(&info), 40);
    corv::test::WriteFileBytes(folder / "big.bmp", bytes);
    ASSERT_TRUE(form->PMI->ReadImageInfo(folder / "big.bmp"));
    ASSERT_EQ(form->PMI->ImageWidth(), 2000);
    form->FitImagePanel();
    Pump();
    EXPECT_EQ(form->PanelImage->Width(), 2008);
    EXPECT_EQ(form->PanelImage->Height(), 1508);
    EXPECT_TRUE(form->HorzScrollVisible());
    EXPECT_TRUE(form->VertScrollVisible());
    form->ScrollTo(300, 200);
    EXPECT_EQ(form->PanelImage->Left(), 236 - 300);
    SetWindowPos(form->Handle(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(form->HorzScrollPosition(), 0) << "resizing scrolls back";
    EXPECT_EQ(form->PanelImage->Left(), 236);
    form->ResetImagePanel();
    Pump();
    EXPECT_FALSE(form->HorzScrollVisible());
    EXPECT_FALSE(form->VertScrollVisible());
}

TEST_F(MainFormTest, BackgroundColours) {
    Create();
    const ui::Color expected[9] = {ui::SystemColor(COLOR_BACKGROUND),
                                   ui::SystemColor(COLOR_APPWORKSPACE),
                                   RGB(0, 0, 0),
                                   RGB(255, 255, 255),
                                   RGB(128, 0, 0),
                                   RGB(0, 128, 0),
                                   RGB(0, 0, 128),
                                   RGB(255, 255, 0),
                                   RGB(192, 192, 192)};
    for (int index = 0; index <= 8; ++index) {
        BgColorIdx = index;
        form->ApplyOptions();
        EXPECT_EQ(form->GetColor(), expected[index]) << index;
        form->Repaint();
        // A point of the form's own client area between the panels shows it.
        WindowDc dc(form->Handle());
        EXPECT_EQ(GetPixel(dc.Get(), 233, 200), ui::ToRgb(expected[index])) << index;
    }
    EXPECT_EQ(ui::ToRgb(expected[0]), GetSysColor(COLOR_BACKGROUND));
    EXPECT_EQ(ui::ToRgb(expected[1]), GetSysColor(COLOR_APPWORKSPACE));
    for (int outside : {9, -1, 1000}) {
        BgColorIdx = outside;
        form->ApplyOptions();
        EXPECT_EQ(form->GetColor(), expected[8]) << "left as it was by " << outside;
    }
}

TEST_F(MainFormTest, StoredStretchLightsTheLed) {
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "Stretch", "1");
    Create();
    EXPECT_EQ(form->PanelLED->GetColor(), RGB(255, 0, 0));
    EXPECT_TRUE(form->PMI->Stretch());
    form.reset();
    for (const char* other : {"0", "", "1 ", "yes"}) {
        RegWriteString(HKEY_CURRENT_USER, SettingsKey, "Stretch", other);
        Create();
        EXPECT_EQ(form->PanelLED->GetColor(), RGB(128, 0, 0)) << other;
        EXPECT_FALSE(form->PMI->Stretch()) << other;
        form.reset();
    }
}

TEST_F(MainFormTest, StretchButtonTogglesLedAndStretch) {
    Create();
    SendMessageA(form->BtnStretch->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->PanelLED->GetColor(), RGB(255, 0, 0));
    EXPECT_TRUE(form->PMI->Stretch());
    EXPECT_EQ(GetFocus(), form->FLB->Handle());
    SendMessageA(form->BtnStretch->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->PanelLED->GetColor(), RGB(128, 0, 0));
    EXPECT_FALSE(form->PMI->Stretch());
    EXPECT_EQ(form->PanelImage->Width(), 360) << "no picture: the design size stays";
}

TEST_F(MainFormTest, ClosingWritesTheSettings) {
    Create();
    SendMessageA(form->BtnStretch->Handle(), BM_CLICK, 0, 0);
    ShowOnSel = true;
    SendMessageA(form->BtnExit->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(form->Closing);
    EXPECT_TRUE(ui::App().Terminated()) << "closing the main window ends the program";
    EXPECT_EQ(Stored("Stretch"), "1");
    EXPECT_EQ(CompareNoCase(Stored("LastDir"), listFolder.Path()), 0);
    EXPECT_EQ(Stored("ShowOnSel"), "1");
    EXPECT_EQ(Stored("Maximized"), "0");
    EXPECT_EQ(Stored("BgColorIdx"), "0");
}

TEST_F(MainFormTest, ClosingMaximisedStoresIt) {
    Create();
    form->SetWindowState(ui::WindowState::Maximized);
    Pump();
    form->Close();
    EXPECT_EQ(Stored("Maximized"), "1");
    EXPECT_EQ(Stored("Stretch"), "0");
}

TEST_F(MainFormTest, StoredMaximizedStartsMaximised) {
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, "Maximized", "1");
    Create();
    EXPECT_TRUE(IsZoomed(form->Handle()));
    // The layout follows the bigger client area.
    EXPECT_EQ(form->PanelButton->Top(), form->ClientHeight() - 100);
}

TEST_F(MainFormTest, F4AndF5AreTakenBeforeTheFocusedControl) {
    Create();
    int options = 0;
    std::vector<WORD> listSaw;
    form->FLB->OnKeyUp = [&](ui::Control&, WORD& key, ui::ShiftState) { listSaw.push_back(key); };
    form->FLB->SetFocus();
    test::WriteFileBytes(listFolder / "new.bmp", "n");
    EXPECT_EQ(form->FLB->IndexOf("new.bmp"), -1);
    form->FLB->SetItemIndex(2);
    test::PostKey(form->FLB->Handle(), VK_F5, WM_KEYUP);
    EXPECT_GE(form->FLB->IndexOf("new.bmp"), 0) << "F5 refreshes the list";
    EXPECT_EQ(form->FLB->ItemIndex(), 0) << "and selects the first entry";
    CloseOptionsWhenShown(options);
    test::PostKey(form->FLB->Handle(), VK_F4, WM_KEYUP);
    EXPECT_EQ(options, 1);
    test::PostKey(form->FLB->Handle(), VK_F6, WM_KEYUP);
    EXPECT_EQ(listSaw, std::vector<WORD>{VK_F6}) << "F4 and F5 never reach the list";
    // The same from a button.
    form->BtnThumb->SetFocus();
    CloseOptionsWhenShown(options);
    test::PostKey(form->BtnThumb->Handle(), VK_F4, WM_KEYUP);
    EXPECT_EQ(options, 2);
}

TEST_F(MainFormTest, OptionsApplyRepaintsTheMainWindowAndTheSelectionIsHandledAgain) {
    Create();
    // Out of the way of the dialog, which is centred on the screen.
    SetWindowPos(form->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    const auto background = [&] {
        WindowDc dc(form->Handle());
        return GetPixel(dc.Get(), 2, 2) & 0xFFFFFF;
    };
    ASSERT_EQ(BgColorIdx, 0);
    EXPECT_EQ(background(), GetSysColor(COLOR_BACKGROUND) & 0xFFFFFF);
    form->LabelFilename->SetCaption("handled before");
    COLORREF afterApply = 0;
    bool wasModal = false;
    test::AfterMessages([&] {
        auto* dialog =
            dynamic_cast<TOptionsForm*>(ui::Control::FromHandle(test::FindOwnWindow("Corvane Options")));
        if (!dialog) return;
        wasModal = dialog->IsModal() && !IsWindowEnabled(form->Handle());
        dialog->ComboBoxBgColor->SetFocus();
        for (int i = 0; i < 5; ++i) // to "Green"
            test::PostKey(dialog->ComboBoxBgColor->Handle(), VK_DOWN);
        SendMessageA(dialog->BtnApply->Handle(), BM_CLICK, 0, 0);
        Pump(100);
        afterApply = background();
        test::PostKey(GetFocus(), VK_ESCAPE);
    });
    test::PostKey(form->FLB->Handle(), VK_F4, WM_KEYUP);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(afterApply, RGB(0, 128, 0)) << "painted in the new colour while the dialog is still open";
    EXPECT_EQ(BgColorIdx, 5);
    EXPECT_EQ(test::FindOwnWindow("Corvane Options"), nullptr);
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: [..]") << "the selection handler ran again";
    EXPECT_EQ(Stored("BgColorIdx"), "") << "settings reach the registry only at the close";
}

TEST_F(MainFormTest, HandlesComeBackAfterTheWindowIsGone) {
    const auto before = Counts();
    Create();
    SendMessageA(form->BtnStretch->Handle(), BM_CLICK, 0, 0);
    form->Repaint();
    EXPECT_GT(LiveHandles(HandleKind::Window), before[static_cast<int>(HandleKind::Window)] + 15);
    form.reset();
    EXPECT_EQ(Counts(), before);
    // And once more, for anything created only on the second run.
    Create();
    form.reset();
    EXPECT_EQ(Counts(), before);
}

} // namespace
} // namespace corv
